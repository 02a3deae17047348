#include "terminal/program/TerminalWindow.h"

#include "app/Messages.h"
#include "terminal/engine/SimState.h"
#include "terminal/program/WindowQuestions.h"
#include "terminal/panel/ByteRate.h"
#include "terminal/panel/EnginePanelModel.h"
#include "terminal/panel/PanelWindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace terminal::program {

TerminalWindow::TerminalWindow(const QString &portName, const QString &socketPath, Pace pace,
                               QWidget *parent)
    : QWidget(parent), m_port(portName), m_dialogs(std::make_unique<DialogMessages>(this)),
      m_messages(m_dialogs.get()), m_rate(std::make_unique<panel::ByteRate>())
{
    setWindowTitle(QStringLiteral("Velmora terminal on %1").arg(portName));
    m_clock.start();
    auto *layout = new QVBoxLayout(this);

    auto *serves = new QLabel(QStringLiteral("<b>Serves %1</b>").arg(portName.toHtmlEscaped()));
    // Selectable, and a long home folder does not widen the window: the
    // fields scroll instead.
    const auto place = [](const QString &name, const QString &path) {
        auto *field = new QLineEdit(path);
        field->setReadOnly(true);
        field->setFrame(false);
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, Qt::transparent);
        field->setPalette(palette);
        field->setAccessibleName(name);
        field->setCursorPosition(0);
        field->setToolTip(path);
        return field;
    };
    auto *where = place(QStringLiteral("Socket"), socketPath);
    m_database = place(QStringLiteral("Database"), QString());
    auto *places = new QFormLayout;
    places->addRow(QStringLiteral("Socket"), where);
    places->addRow(QStringLiteral("Database"), m_database);
    m_demoMorning = new QPushButton(QStringLiteral("Back to the demo morning"));
    connect(m_demoMorning, &QPushButton::clicked, this, &TerminalWindow::backToDemoMorning);

    auto *paceBox = new QGroupBox(QStringLiteral("Pace"));
    auto *paceLayout = new QHBoxLayout(paceBox);
    m_wire = new QRadioButton(QStringLiteral("wire pace"));
    m_instant = new QRadioButton(QStringLiteral("instant"));
    auto *group = new QButtonGroup(this);
    group->addButton(m_wire);
    group->addButton(m_instant);
    paceLayout->addWidget(m_wire);
    paceLayout->addWidget(m_instant);
    paceLayout->addStretch();
    setPace(pace);
    connect(m_wire, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit paceChosen(Pace::Wire);
    });
    connect(m_instant, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit paceChosen(Pace::Instant);
    });

    // One row, so the panels keep the height.
    auto *top = new QHBoxLayout;
    top->addWidget(serves);
    top->addLayout(places, 1);
    top->addWidget(m_demoMorning);
    top->addWidget(paceBox);
    layout->addLayout(top);

    m_problem = new QLabel;
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #a00000"));
    m_problem->hide();
    layout->addWidget(m_problem);

    panel::LineHooks hooks;
    hooks.port = portName;
    hooks.bytesPerSecond = [this] { return double(m_rate->perSecond(m_clock.elapsed())); };
    m_model = std::make_unique<panel::EnginePanelModel>(std::move(hooks));
    m_panels = new panel::PanelWindow(*m_model);
    layout->addWidget(m_panels, 1);

    const QSize room = screen() ? screen()->availableGeometry().size() * 0.95 : QSize(1180, 800);
    resize(QSize(1180, 800).boundedTo(room));
}

TerminalWindow::~TerminalWindow()
{
    // The panels read the model until they go.
    delete m_panels;
}

void TerminalWindow::setPace(Pace pace)
{
    (pace == Pace::Wire ? m_wire : m_instant)->setChecked(true);
}

void TerminalWindow::showProblem(const QString &message)
{
    m_problem->setText(message);
    m_problem->setVisible(!message.isEmpty());
}

void TerminalWindow::setDatabasePath(const QString &path)
{
    m_database->setText(path);
    m_database->setCursorPosition(0);
    m_database->setToolTip(path);
}

void TerminalWindow::backToDemoMorning()
{
    if (!m_messages->confirm(DemoMorningQuestion(HoldingsOf(engine::EngineState()))))
        return;
    engine::ReturnToDemoMorning();
    // The pace is kept beside the line, so the switch saves it.
    setPace(Pace::Wire);
    refresh();
}

void TerminalWindow::closeEvent(QCloseEvent *event)
{
    const auto question = ClosingQuestion(m_port, m_programConnected && m_programConnected());
    if (question && !m_messages->confirm(*question)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

QString TerminalWindow::problem() const
{
    return m_problem->text();
}

void TerminalWindow::refresh()
{
    m_model->refresh();
}

void TerminalWindow::countBytes(qint64 bytes)
{
    m_rate->add(bytes, m_clock.elapsed());
}

QTabWidget *TerminalWindow::pages() const
{
    return m_panels->tabs();
}

} // namespace terminal::program
