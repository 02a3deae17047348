#include "app/ClockTestForm.h"

#include "app/Accessibility.h"
#include "app/BusyCursor.h"
#include "app/ButtonFace.h"
#include "app/CaptionFit.h"
#include "app/LinkCommands.h"
#include "app/Messages.h"
#include "app/PcClock.h"
#include "capture/CaptureCommands.h"
#include "capture/StartFileNames.h"
#include "clock/ClockCommands.h"
#include "config/ConfigCommands.h"
#include "config/DisplayMessages.h"
#include "config/EventFunctions.h"
#include "entries/EntryCommands.h"
#include "entries/EntryGrid.h"
#include "entries/FlexGrid.h"
#include "link/KestCom.h"
#include "reception/EntryPolling.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

namespace {

constexpr int kTwips = FlexGrid::kTwipsPerPixel;
constexpr int kFormWidth = 12030;
constexpr int kFormHeight = 9450;

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(left / kTwips, top / kTwips, width / kTwips, height / kTwips);
}

} // namespace

ClockTestForm::ClockTestForm(KestCom &lib, Messages &messages, PcClock &pcClock, QWidget *parent)
    : QWidget(parent)
    , m_buttons((createControls(), std::make_unique<LinkButtons>(m_controls)))
    , m_context{lib, m_state, m_controls, *m_buttons, messages, pcClock, m_file1}
    , m_endProgram([] { QCoreApplication::quit(); })
{
    setObjectName(QStringLiteral("ClockTestForm"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setFixedSize(kFormWidth / kTwips, kFormHeight / kTwips);
    accessibility::NameControls(m_controls);
    accessibility::ChainTabOrder(m_controls);
    captionfit::FitCaptions(this);
    wireControls();
    load();
}

ClockTestForm::~ClockTestForm() = default;

void ClockTestForm::createControls()
{
    Controls &c = m_controls;
    auto button = [this](const char *name, const QString &caption, int l, int t, int w, int h) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFocusPolicy(Qt::TabFocus);
        place(b, l, t, w, h);
        return b;
    };
    auto edit = [this](const char *name, const QString &text, int l, int t, int w, int h = 285) {
        auto *e = new QLineEdit(text, this);
        e->setObjectName(QString::fromLatin1(name));
        place(e, l, t, w, h);
        return e;
    };
    auto label = [this](const char *name, const QString &text, int l, int t, int w, int h = 240) {
        auto *lb = new QLabel(text, this);
        lb->setObjectName(QString::fromLatin1(name));
        place(lb, l, t, w, h);
        return lb;
    };
    auto check = [this](const QString &name, bool ticked, int l, int t, int w = 240, int h = 240) {
        auto *cb = new QCheckBox(this);
        cb->setObjectName(name);
        cb->setChecked(ticked);
        place(cb, l, t, w, h);
        return cb;
    };
    auto line = [this](int n, int x1, int y1, int x2, int y2) {
        auto *f = new QFrame(this);
        f->setObjectName(QStringLiteral("Line%1").arg(n));
        const bool horizontal = y1 == y2;
        f->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
        f->setFrameShadow(QFrame::Sunken);
        if (horizontal)
            place(f, x1, y1 - 15, x2 - x1, 45);
        else
            place(f, x1 - 15, y1, 45, y2 - y1);
        m_controls.Lines[size_t(n - 1)] = f;
    };

    // Link panel
    c.Label20 = label("Label20", QStringLiteral("PONTO_"), 30, 60, 630);
    c.Text11 = edit("Text11", QStringLiteral("00"), 660, 30, 420);
    c.Label26 = label("Label26", QStringLiteral("COM"), 1200, 60, 360);
    c.Text21 = edit("Text21", QStringLiteral("1"), 1560, 30, 420);
    c.Command15 = button("Command15", QStringLiteral("Close COM"), 2160, 0, 1680, 345);
    const char *bauds[4] = {"38400", "19200", "9600", "4800"};
    for (int k = 0; k < 4; ++k) {
        c.Command13[size_t(k)] = button(QStringLiteral("Command13_%1").arg(k).toLatin1().constData(),
                                        QString::fromLatin1(bauds[k]), 60 + k * 945, 420, 900, 390);
    }
    face::SetColour(c.Command13[1], face::Green);

    // Reader pointers panel
    c.Command18 = button("Command18", QStringLiteral("Read Pointers"), 4080, 0, 1695, 255);
    c.Text14 = edit("Text14", QString(), 4080, 240, 495);
    c.Text15 = edit("Text15", QString(), 4680, 240, 495);
    c.Text16 = edit("Text16", QString(), 5280, 240, 495);
    c.Command24 = button("Command24", QStringLiteral("Write Pointers"), 4080, 540, 1695, 255);
    c.Command23 = button("Command23", QStringLiteral("Write Pointer3"), 4080, 780, 1695, 255);

    // Capture panel
    c.Text23 = edit("Text23", QString(), 6000, 45, 2700);
    c.Command26 = button("Command26", QStringLiteral("Capture"), 8790, 15, 1170, 345);
    c.Text24 = edit("Text24", QString(), 6000, 525, 2700);
    c.Command25 = button("Command25", QStringLiteral("Restore"), 8790, 495, 1170, 345);
    c.Label29 = label("Label29", QStringLiteral("Keep Blanks"), 6300, 855, 1200);
    c.Check8 = check(QStringLiteral("Check8"), false, 6000, 855);

    // Clock time row
    c.Command7 = button("Command7", QStringLiteral("Read Clock"), 60, 1230, 1020, 375);
    c.Command8 = button("Command8", QStringLiteral("+sec"), 1110, 1230, 600, 375);
    c.Command11 = button("Command11", QStringLiteral("+10s"), 1740, 1230, 600, 375);
    c.Command12 = button("Command12", QStringLiteral("-min"), 2370, 1230, 600, 375);
    c.Text12 = edit("Text12", QString(), 3030, 1230, 1500);
    c.Text13 = edit("Text13", QString(), 3030, 1530, 3060);
    c.Command6 = button("Command6", QStringLiteral("Set Clock"), 6150, 1230, 1020, 375);
    c.Command20 = button("Command20", QStringLiteral("Calibrate Quartz Crystal"), 7200, 1230, 1800,
                         375);
    face::SetColour(c.Command20, face::Red);
    c.Command9 = button("Command9", QStringLiteral("PC seconds"), 9030, 1230, 960, 375);

    // Event schedule panel
    c.Command5 = button("Command5", QStringLiteral("Event"), 60, 2040, 780, 375);
    c.Label7 = label("Label7", QStringLiteral("Index"), 900, 1890, 540, 210);
    c.Text7 = edit("Text7", QStringLiteral("0"), 900, 2100, 540);
    c.Label9 = label("Label9", QStringLiteral("Period"), 1500, 1890, 600, 210);
    c.Text9 = edit("Text9", QStringLiteral("0"), 1500, 2100, 600);
    c.Label10 = label("Label10", QStringLiteral("Repeats"), 2160, 1890, 600, 210);
    c.Text10 = edit("Text10", QStringLiteral("0"), 2160, 2100, 600);
    c.Label11 = label("Label11", QStringLiteral("Function"), 2820, 1890, 1500, 210);
    c.Combo1 = new QComboBox(this);
    c.Combo1->setObjectName(QStringLiteral("Combo1"));
    place(c.Combo1, 2820, 2085, 1650, 315);
    for (const std::string_view name : config::kFunctionNames)
        c.Combo1->addItem(QString::fromUtf8(name.data(), qsizetype(name.size())));
    c.Command22 = button("Command22", QStringLiteral("Clear All Events"), 4560, 2040, 1500, 375);
    face::SetColour(c.Command22, face::Green);
    c.Label22 = label("Label22", QStringLiteral(" S T  Q  Q S  S  D"), 6180, 1890, 1680, 210);
    for (int i = 0; i < 7; ++i)
        c.Check4[size_t(i)] = check(QStringLiteral("Check4_%1").arg(i), true, 6180 + i * 240, 2100);
    c.Command27 = button("Command27", QStringLiteral("Kill"), 9180, 2040, 780, 375);
    c.Label21 = label("Label21", QStringLiteral("Seconds to ring"), 60, 2550, 1260, 240);
    for (int i = 0; i < 32; ++i)
        c.Check3[size_t(i)] = check(QStringLiteral("Check3_%1").arg(i), i <= 4, 1320 + i * 255, 2550);

    // Configuration panel
    struct ConfigField
    {
        const char *labelName;
        const char *labelText;
        const char *start;
        int left;
        int top;
    };
    const ConfigField fields[7] = {
        {"Label1", "Entry Separation", "60 segundos", 60, 3060},
        {"Label4", "Message Delay", "4 segundos", 60, 3345},
        {"Label8", "Day Close time", "86100 (23:55)", 60, 3630},
        {"Label12", "Entry Mensage", "ENTRA", 60, 3915},
        {"Label13", "Exit Message", "SALE", 3240, 3060},
        {"Label15", "Card Series", "8000", 3240, 3345},
        {"Label16", "Maximum work time", "0", 3240, 3630},
    };
    for (int i = 0; i < 7; ++i) {
        const ConfigField &f = fields[i];
        c.Text1Labels[size_t(i)] = label(f.labelName, QString::fromLatin1(f.labelText), f.left,
                                         f.top + 30, 1440);
        c.Text1[size_t(i)] = edit(QStringLiteral("Text1_%1").arg(i).toLatin1().constData(),
                                  QString::fromLatin1(f.start), f.left + 1740, f.top, 1380);
    }
    c.Check5 = check(QStringLiteral("Check5"), true, 60 + 1470, 3630 + 30);
    c.Check6 = check(QStringLiteral("Check6"), false, 3240 + 1470, 3630 + 30);
    c.Label17 = label("Label17", QStringLiteral("Gate #1"), 3240, 3945, 660);
    c.Text3 = edit("Text3", QStringLiteral("0"), 3900, 3915, 600);
    c.Label18 = label("Label18", QStringLiteral("Gate #2"), 4620, 3945, 660);
    c.Text8 = edit("Text8", QStringLiteral("0"), 5280, 3915, 600);
    c.Label14 = label("Label14", QStringLiteral("12hrs / ClockTick"), 60, 4230, 1440);
    c.Check1 = check(QStringLiteral("Check1"), false, 1530, 4230);
    c.Check2 = check(QStringLiteral("Check2"), false, 1800, 4230);
    c.Command10 = button("Command10", QStringLiteral("Send Configurations"), 2100, 4200, 1860, 285);
    face::SetColour(c.Command10, face::ConfigurationChanged);

    // Display messages panel
    c.Command4 = button("Command4", QStringLiteral("Message"), 60, 4650, 1320, 375);
    c.RichTextBox1 = new QTextEdit(this);
    c.RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    c.RichTextBox1->setAcceptRichText(false);
    c.RichTextBox1->setFont(config::MessageFont());
    // Wrapping at the box's own width keeps the three lines what they look like.
    c.RichTextBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.RichTextBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.RichTextBox1->document()->setDocumentMargin(0); // else the third line is cut off
    place(c.RichTextBox1, 1500, 4530, 2235, 615);
    c.Command21 = button("Command21", QStringLiteral("Show Message"), 3840, 4650, 1380, 375);
    c.Combo2 = new QComboBox(this);
    c.Combo2->setObjectName(QStringLiteral("Combo2"));
    c.Combo2->setEditable(true);
    c.Combo2->setInsertPolicy(QComboBox::NoInsert); // Enter must not add an item: the kind stays 1
    c.Combo2->setEditText(QString::fromUtf8("Entrada/Saída"));
    place(c.Combo2, 60, 5070, 1380, 315);
    c.Combo2->lineEdit()->setCursorPosition(0);
    c.RichTextBox2 = new QTextEdit(this);
    c.RichTextBox2->setObjectName(QStringLiteral("RichTextBox2"));
    c.RichTextBox2->setAcceptRichText(false);
    c.RichTextBox2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.RichTextBox2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.RichTextBox2->setLineWrapMode(QTextEdit::NoWrap);
    place(c.RichTextBox2, 1500, 5160, 2235, 255);

    // Employees and entries panel
    c.Command1 = button("Command1", QStringLiteral("Ptr1=0"), 60, 5580, 1155, 435);
    c.Command2 = button("Command2", QStringLiteral("Insert Entry"), 1260, 5580, 1095, 435);
    c.Command3 = button("Command3", QStringLiteral("Delete Entry"), 2400, 5580, 1095, 435);
    c.Label2 = label("Label2", QStringLiteral("Index"), 3600, 5520, 735);
    c.Text2 = edit("Text2", QStringLiteral("0"), 3600, 5760, 735);
    c.Label5 = label("Label5", QStringLiteral("Seconds"), 4380, 5520, 855);
    c.Text5 = edit("Text5", QStringLiteral("654321"), 4380, 5760, 855);
    c.Label3 = label("Label3", QStringLiteral("Employee"), 5250, 5520, 855);
    c.Text4 = edit("Text4", QStringLiteral("53"), 5250, 5760, 855);
    c.Label6 = label("Label6", QStringLiteral("Pres"), 6180, 5520, 375);
    c.Text6 = edit("Text6", QStringLiteral("1"), 6180, 5760, 375);
    c.Label27 = label("Label27", QStringLiteral("Times"), 6720, 5520, 615);
    c.Text22 = edit("Text22", QStringLiteral("1"), 6720, 5760, 615);
    c.Command16 = button("Command16", QStringLiteral("Delete Card"), 8040, 5580, 1335, 375);
    c.MSFlexGrid1 = new FlexGrid(entries::kEntryColumns, 2, this);
    c.MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    place(c.MSFlexGrid1, 120, 6120, 9855, 3195);
    c.MSFlexGrid2 = new FlexGrid(2, 2, this);
    c.MSFlexGrid2->setObjectName(QStringLiteral("MSFlexGrid2"));
    place(c.MSFlexGrid2, 6780, 3000, 2655, 2415);

    // Right column
    c.MSFlexGrid3 = new FlexGrid(1, 2, this);
    c.MSFlexGrid3->setObjectName(QStringLiteral("MSFlexGrid3"));
    place(c.MSFlexGrid3, 10200, 60, 1695, 2520);
    c.Command14 = button("Command14", QStringLiteral("Send justifications"), 10200, 2640, 1695, 375);
    c.Label19 = label("Label19", QStringLiteral("Number"), 10200, 3240, 1695);
    c.Text19 = edit("Text19", QString(), 10200, 3480, 1695);
    c.Command19 = button("Command19", QStringLiteral("Dial"), 10200, 3840, 1695, 375);
    c.Text17 = edit("Text17", QStringLiteral("Text17"), 10320, 5760, 495);
    c.Label23 = label("Label23", QStringLiteral("->"), 10860, 5790, 270);
    c.Text18 = edit("Text18", QStringLiteral("Text18"), 11160, 5760, 495);
    c.Command17 = button("Command17", QStringLiteral("Send employees"), 10200, 6120, 1695, 375);

    // Separator lines
    line(1, 0, 1140, 10080, 1140);   // under the three top panels
    line(2, 3960, 0, 3960, 1140);    // link | pointers
    line(3, 5880, 0, 5880, 1140);    // pointers | capture
    line(4, 5940, 420, 10080, 420);  // capture row | restore row
    line(5, 0, 3000, 6720, 3000);    // above the configuration panel
    line(6, 0, 4515, 6720, 4515);    // below the configuration panel
    line(7, 0, 5490, 10080, 5490);   // above the entries panel
    line(8, 10080, 0, 10080, kFormHeight); // sets off the right column

    c.Timer1 = new QTimer(this);
    c.Timer1->setObjectName(QStringLiteral("Timer1"));
    c.Timer1->setInterval(reception::kPollIntervalMs);

    // Created disabled; the load step disables the rest of the link commands.
    for (QPushButton *b : {c.Command23, c.Command24, c.Command25, c.Command26, c.Command27})
        b->setEnabled(false);
}

void ClockTestForm::wireControls()
{
    Controls &c = m_controls;
    FormContext &ctx = m_context;
    auto onClick = [this](QPushButton *b, void (*command)(FormContext &)) {
        connect(b, &QPushButton::clicked, this, [this, command] {
            BusyCursor busy;
            command(m_context);
        });
    };

    for (int k = 0; k < 4; ++k) {
        connect(c.Command13[size_t(k)], &QPushButton::clicked, this,
                [this, k] {
                    BusyCursor busy;
                    connection::OpenLink(m_context, k);
                });
    }
    onClick(c.Command15, connection::CloseCom);
    onClick(c.Command19, connection::Dial);
    onClick(c.Command27, connection::Kill);
    connect(c.Text11, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_state.TerminalName = MakeTerminalName(text); });

    onClick(c.Command9, clocktime::PcSeconds);
    onClick(c.Command6, clocktime::SetClock);
    onClick(c.Command20, clocktime::CalibrateQuartzCrystal);
    onClick(c.Command7, clocktime::ReadClock);
    onClick(c.Command8, clocktime::PlusSec);
    onClick(c.Command11, clocktime::PlusTenSec);
    onClick(c.Command12, clocktime::MinusMin);
    connect(c.Text12, &QLineEdit::textChanged, this, [&ctx] { clocktime::SecondsChanged(ctx); });

    onClick(c.Command10, config::SendConfigurations);
    for (int i = 0; i < 7; ++i) {
        connect(c.Text1[size_t(i)], &QLineEdit::textChanged, this,
                [&ctx, i] { config::ConfigFieldChanged(ctx, i); });
    }
    connect(c.Check5, &QCheckBox::clicked, this, [&ctx] { config::Check5Click(ctx); });
    connect(c.Check6, &QCheckBox::clicked, this, [&ctx] { config::Check6Click(ctx); });
    connect(c.Check1, &QCheckBox::clicked, this, [&ctx] { config::MarkConfigurationChanged(ctx); });
    connect(c.Check2, &QCheckBox::clicked, this, [&ctx] { config::MarkConfigurationChanged(ctx); });
    onClick(c.Command14, config::SendJustifications);
    connect(c.RichTextBox1, &QTextEdit::textChanged, this, [&ctx] { config::LimitMessageLines(ctx); });
    onClick(c.Command4, config::Message);
    onClick(c.Command21, config::ShowMessage);
    onClick(c.Command5, config::Event);
    onClick(c.Command22, config::ClearAllEvents);

    onClick(c.Command2, entries::InsertEntry);
    onClick(c.Command3, entries::DeleteEntry);
    onClick(c.Command18, entries::ReadPointers);
    onClick(c.Command24, entries::WritePointers);
    onClick(c.Command23, entries::WritePointer3);
    onClick(c.Command1, entries::Ptr1Zero);
    onClick(c.Command17, entries::SendEmployees);
    onClick(c.Command16, entries::DeleteCard);
    connect(c.MSFlexGrid1, &FlexGrid::cellClicked, this, [this] { entries::EntryGridClick(m_controls); });
    connect(c.MSFlexGrid2, &FlexGrid::cellClicked, this,
            [this] { entries::EmployeeGridClick(m_controls); });
    accessibility::PressCellsWithKeys(c.MSFlexGrid1, [this] { entries::EntryGridClick(m_controls); });
    accessibility::PressCellsWithKeys(c.MSFlexGrid2,
                                      [this] { entries::EmployeeGridClick(m_controls); });

    connect(c.Timer1, &QTimer::timeout, this, [&ctx] { reception::Timer1Tick(ctx); });

    onClick(c.Command26, capture::Capture);
    onClick(c.Command25, capture::Restore);
}

void ClockTestForm::load()
{
    Controls &c = m_controls;
    const capture::StartFileNames files = capture::StartFileNamesFor(
        capture::kThisPlatform, m_context.pcClock.now().date(),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    c.Text23->setText(files.capture);
    c.Text24->setText(files.restore);
    m_context.lib.SetPCName(QStringLiteral("PONTO_PC"));
    m_context.lib.SetConfirmationsTimeout(1000, 1000);
    c.Combo1->setCurrentIndex(17);
    m_buttons->setLinkCommandsEnabled(false);
    m_state.TerminalName = MakeTerminalName(c.Text11->text());
    roster::BuildTestRoster(*c.MSFlexGrid2, m_pools, m_random);

    FlexGrid &justifications = *c.MSFlexGrid3;
    justifications.setTextMatrix(0, 0, QStringLiteral("Justificacoes"));
    justifications.setTextMatrix(1, 0, QStringLiteral("Aleitamento"));
    for (const char *name : {"Almoco", "Lanche", "Jantar", "Medico", "Casamento", "Funeral"}) {
        justifications.addItem();
        justifications.setTextMatrix(justifications.rows() - 1, 0, QString::fromLatin1(name));
    }
    justifications.setColWidth(0, 10000);

    c.Text17->setText(QStringLiteral("1"));
    c.Text18->setText(QStringLiteral("99"));
    entries::ResetEntryGrid(c);
}

void ClockTestForm::unload()
{
    capture::CloseCaptureFile(m_context);
    // Nothing runs after this: no timer tick, no library call.
    m_controls.Timer1->stop();
    m_state.Ending = true;
    m_endProgram();
}

void ClockTestForm::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}
