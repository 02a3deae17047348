#include "terminal/panel/TerminalPanel.h"

#include "terminal/panel/PanelItemModels.h"
#include "terminal/panel/PanelRules.h"
#include "terminal/panel/PanelWidgets.h"

#include "config/EventFunctions.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace terminal::panel {

namespace {

QTableView *MakeTable(QAbstractItemModel *model, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setModel(model);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    return view;
}

// Widths from sample texts: measuring the rows of a long memory would read them all.
void SizeColumns(QTableView *view, const QStringList &samples)
{
    const QFontMetrics metrics(view->font());
    for (int i = 0; i < samples.size(); ++i)
        view->setColumnWidth(i, metrics.horizontalAdvance(samples[i]) + 16);
}

// The hint says what the field takes; it is no use cut short.
void FitPlaceholder(QLineEdit *edit)
{
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(edit->placeholderText()) + 16);
}

// Rows below the header, with room left for the sideways scroll bar.
void ShowRowsAtLeast(QTableView *view, int rows)
{
    view->setMinimumHeight(view->horizontalHeader()->sizeHint().height()
                           + rows * view->verticalHeader()->defaultSectionSize()
                           + view->horizontalScrollBar()->sizeHint().height()
                           + 2 * view->frameWidth());
}

QString YesNo(bool v, const char *yes, const char *no)
{
    return QString::fromLatin1(v ? yes : no);
}

} // namespace

TerminalPanel::TerminalPanel(PanelModel &model, const QString &terminal, QWidget *parent)
    : QWidget(parent), m_model(model), m_terminal(terminal)
{
    // Side by side: a screen is wider than tall, and at 150 % on 1080 pixels
    // stacking the reader over the bells left the event list one row.
    auto *left = new QVBoxLayout;
    left->addWidget(buildDisplayAndReader());
    left->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(buildBells(), 2);
    layout->addWidget(buildMemoryAndLine(), 3);

    connect(&m_model, &PanelModel::changed, this, &TerminalPanel::showModel);
    showModel();
}

QWidget *TerminalPanel::buildDisplayAndReader()
{
    auto *box = new QGroupBox(QStringLiteral("Display and card reader"), this);
    m_controls.display = new DisplayWidget(box);

    m_controls.employee = new QComboBox(box);
    m_controls.employee->setAccessibleName(QStringLiteral("Employee"));
    m_controls.cardCode = new QLineEdit(box);
    m_controls.cardCode->setPlaceholderText(QStringLiteral("any card code"));
    m_controls.entry = new QRadioButton(QStringLiteral("Entry"), box);
    m_controls.exit = new QRadioButton(QStringLiteral("Exit"), box);
    m_controls.entry->setChecked(true);
    auto *direction = new QButtonGroup(box);
    direction->addButton(m_controls.entry);
    direction->addButton(m_controls.exit);
    m_controls.justification = new QComboBox(box);
    m_controls.passCard = new QPushButton(QStringLiteral("Pass card"), box);
    m_controls.readerStatus = new QLabel(box);
    m_controls.readerStatus->setWordWrap(true);

    m_controls.clockInput = new QLineEdit(box);
    m_controls.clockInput->setPlaceholderText(QStringLiteral("dd/mm/yyyy hh:mm:ss or seconds"));
    FitPlaceholder(m_controls.clockInput);
    m_controls.setClock = new QPushButton(QStringLiteral("Set clock"), box);

    auto *inOut = new QHBoxLayout;
    inOut->addWidget(m_controls.entry);
    inOut->addWidget(m_controls.exit);
    inOut->addStretch();

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Employee"), m_controls.employee);
    form->addRow(QStringLiteral("Card code"), m_controls.cardCode);
    form->addRow(QString(), inOut);
    form->addRow(QStringLiteral("Justification"), m_controls.justification);
    form->addRow(QString(), m_controls.passCard);
    // The button under the field keeps the reader's column narrow.
    form->addRow(QStringLiteral("Terminal clock"), m_controls.clockInput);
    form->addRow(QString(), m_controls.setClock);

    auto *layout = new QVBoxLayout(box);
    layout->addWidget(m_controls.display);
    layout->addLayout(form);
    layout->addWidget(m_controls.readerStatus);

    connect(m_controls.employee, &QComboBox::activated, this, &TerminalPanel::pickEmployee);
    connect(m_controls.passCard, &QPushButton::clicked, this, &TerminalPanel::passCard);
    connect(m_controls.cardCode, &QLineEdit::returnPressed, this, &TerminalPanel::passCard);
    connect(m_controls.setClock, &QPushButton::clicked, this, &TerminalPanel::setClock);
    connect(m_controls.clockInput, &QLineEdit::returnPressed, this, &TerminalPanel::setClock);
    return box;
}

QWidget *TerminalPanel::buildBells()
{
    auto *box = new QGroupBox(QStringLiteral("Bells and relays"), this);
    const std::array<std::pair<const char *, QColor>, 4> lamps = {{
        {"Beep 1", QColor(255, 190, 40)},
        {"Beep 2", QColor(255, 140, 30)},
        {"Relay 1", QColor(230, 40, 40)},
        {"Relay 2", QColor(60, 200, 60)},
    }};
    auto *row = new QHBoxLayout;
    for (std::size_t i = 0; i < lamps.size(); ++i) {
        m_controls.lamps[i] = new LampWidget(QString::fromLatin1(lamps[i].first), lamps[i].second, box);
        row->addWidget(m_controls.lamps[i]);
    }
    m_eventModel = new EventTableModel(this);
    m_controls.events = MakeTable(m_eventModel, box);
    ShowRowsAtLeast(m_controls.events, kListRowsShown);
    SizeColumns(m_controls.events, {QStringLiteral("Slot"), FunctionName(config::function::kWinterTime),
                             QStringLiteral("00/00/0000  00:00:00"), QStringLiteral("STQQSSD"),
                             QString(), QStringLiteral("Period"), QStringLiteral("Repeats")});
    m_controls.events->setColumnWidth(
        4, QFontMetrics(QFontDatabase::systemFont(QFontDatabase::FixedFont)).horizontalAdvance(QString(32, QLatin1Char('#'))) + 16);
    m_controls.nextEvent = new QLabel(box);

    auto *layout = new QVBoxLayout(box);
    layout->addLayout(row);
    layout->addWidget(m_controls.nextEvent);
    layout->addWidget(m_controls.events, 1);
    return box;
}

QWidget *TerminalPanel::buildMemoryAndLine()
{
    auto *box = new QGroupBox(QStringLiteral("Memory and line"), this);
    m_controls.memory = new QLabel(box);
    m_entryModel = new EntryListModel(m_model, this);
    m_controls.entries = MakeTable(m_entryModel, box);
    SizeColumns(m_controls.entries, {QStringLiteral("0000000"), QStringLiteral("00/00/0000  00:00:00"),
                              QStringLiteral("-2147483648"), QStringLiteral("In/out"),
                              QStringLiteral("A Aleitamento"), QStringLiteral("inserted"),
                              QStringLiteral("Serial")});
    ShowRowsAtLeast(m_controls.entries, kListRowsShown);
    m_controls.line = new QLabel(box);
    m_controls.line->setWordWrap(true);

    auto *layout = new QVBoxLayout(box);
    layout->addWidget(m_controls.memory);
    layout->addWidget(m_controls.entries, 1);
    layout->addWidget(m_controls.line);

    // The list follows the newest entry (also once laid out) unless the
    // technician scrolled away from the end.
    QScrollBar *bar = m_controls.entries->verticalScrollBar();
    connect(bar, &QScrollBar::actionTriggered, this, [this, bar] {
        QTimer::singleShot(0, this, [this, bar] { m_followNewest = bar->value() == bar->maximum(); });
    });
    connect(bar, &QScrollBar::rangeChanged, this, [this] {
        if (m_followNewest)
            m_controls.entries->scrollToBottom();
    });
    return box;
}

void TerminalPanel::showEmployees(const QList<EmployeeName> &employees)
{
    const bool same = employees.size() == m_employees.size()
                      && std::equal(employees.begin(), employees.end(), m_employees.begin(),
                                    [](const EmployeeName &a, const EmployeeName &b) {
                                        return a.employee == b.employee && a.name == b.name
                                               && a.cardCode == b.cardCode;
                                    });
    if (same && m_controls.employee->count() > 0)
        return;
    m_employees = employees;
    const int kept = m_controls.employee->currentIndex();
    m_controls.employee->clear();
    m_controls.employee->addItem(employees.isEmpty() ? QStringLiteral("(no names held)")
                                              : QStringLiteral("(pick an employee)"));
    for (const EmployeeName &e : employees)
        m_controls.employee->addItem(
            QStringLiteral("%1  %2  (%3)").arg(e.employee).arg(e.name.trimmed()).arg(e.cardCode));
    m_controls.employee->setCurrentIndex(kept < m_controls.employee->count() ? std::max(kept, 0) : 0);
}

void TerminalPanel::showJustifications(const QStringList &justifications)
{
    if (justifications == m_justifications && m_controls.justification->count() > 0)
        return;
    m_justifications = justifications;
    m_controls.justification->clear();
    m_controls.justification->addItem(QStringLiteral("(none)"));
    for (int i = 0; i < justifications.size(); ++i) {
        const auto code = JustificationCode(i);
        if (!code)
            break; // no letter code left for the rest
        m_controls.justification->addItem(QStringLiteral("%1  %2").arg(QChar(*code), justifications[i]));
    }
    m_controls.justification->setEnabled(!justifications.isEmpty());
}

void TerminalPanel::showModel()
{
    const auto view = m_model.terminal(m_terminal);
    setEnabled(view.has_value());
    if (!view)
        return;

    showEmployees(view->employees);
    showJustifications(view->justifications);

    DisplayInput in;
    in.clock = view->clock;
    in.shown = view->shown;
    in.entryMessage = view->entryMessage;
    in.exitMessage = view->exitMessage;
    in.messageDelay = view->messageDelay;
    if (view->entryCount > 0)
        in.lastEntry = m_model.entryAt(m_terminal, view->entryCount - 1);
    if (in.lastEntry) {
        if (const auto e = EmployeeForCard(view->employees, in.lastEntry->cardCode)) {
            in.employeeName = e->name;
            in.employeeMessage = m_model.employeeMessage(m_terminal, e->employee);
        }
    }
    m_controls.display->setLines(DisplayLinesOf(in));

    for (std::size_t i = 0; i < view->lamps.size(); ++i)
        m_controls.lamps[i]->setLit(view->lamps[i]);
    const std::optional<NextEvent> &next = view->next;
    m_eventModel->setEvents(view->events, next ? std::optional<int>(next->slot) : std::nullopt);
    if (next) {
        const auto it = std::find_if(view->events.begin(), view->events.end(),
                                     [&](const ScheduledEvent &e) { return e.slot == next->slot; });
        const QString function = it == view->events.end() ? QString() : FunctionName(it->function);
        m_controls.nextEvent->setText(QStringLiteral("Next: slot %1, %2, at %3")
                                   .arg(next->slot)
                                   .arg(function, ClockText(next->at)));
    } else {
        m_controls.nextEvent->setText(view->events.isEmpty() ? QStringLiteral("No events held.")
                                                      : QStringLiteral("No event due."));
    }

    m_controls.memory->setText(QStringLiteral("Entries: %1    Pointers: first %2, second %3, reader %4")
                            .arg(view->entryCount)
                            .arg(view->firstPointer)
                            .arg(view->secondPointer)
                            .arg(view->readerPointer));
    m_entryModel->setTerminal(m_terminal, view->entryCount, view->justifications);

    const LineView line = m_model.line();
    QString state;
    if (!line.open)
        state = QStringLiteral("closed");
    else
        state = QStringLiteral("open at %1, %2, call %3, link %4, %5 bytes/s now")
                    .arg(line.baud)
                    .arg(YesNo(line.modem, "by modem", "direct"))
                    .arg(YesNo(line.callConnected, "connected", "none"))
                    .arg(YesNo(line.linkOpen, "open", "closed"))
                    .arg(line.bytesPerSecond, 0, 'f', 0);
    m_controls.line->setText(QStringLiteral("Line %1: %2").arg(line.port, state));
}

void TerminalPanel::pickEmployee(int index)
{
    if (index >= 1 && index - 1 < m_employees.size())
        m_controls.cardCode->setText(QString::number(m_employees[index - 1].cardCode));
}

void TerminalPanel::passCard()
{
    const Parsed code = ParseCardCode(m_controls.cardCode->text());
    if (!code.value) {
        m_controls.readerStatus->setText(code.error);
        return;
    }
    CardPass pass;
    pass.cardCode = *code.value;
    pass.exit = m_controls.exit->isChecked();
    pass.justification = m_controls.justification->currentIndex() - 1;
    const QString problem = m_model.passCard(m_terminal, pass);
    m_controls.readerStatus->setText(problem.isEmpty()
                                  ? QStringLiteral("Card %1 stamped.").arg(pass.cardCode)
                                  : problem);
}

void TerminalPanel::setClock()
{
    const Parsed clock = ParseClockInput(m_controls.clockInput->text());
    if (!clock.value) {
        m_controls.readerStatus->setText(clock.error);
        return;
    }
    const QString problem = m_model.setClock(m_terminal, *clock.value);
    m_controls.readerStatus->setText(problem.isEmpty()
                                  ? QStringLiteral("Clock set to %1.").arg(ClockText(*clock.value))
                                  : problem);
}

} // namespace terminal::panel
