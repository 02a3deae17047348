#pragma once
// Every control of the main window, by the name the window gives it.
// The window creates them; the commands of every subsystem reach them here.

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QTimer;
class FlexGrid;

struct Controls
{
    // Link panel
    QLabel *Label20 = nullptr;
    QLineEdit *Text11 = nullptr; // terminal number
    QLabel *Label26 = nullptr;
    QLineEdit *Text21 = nullptr; // COM port
    std::array<QPushButton *, 4> Command13{}; // baud buttons 38400, 19200, 9600, 4800
    QPushButton *Command15 = nullptr; // Close COM

    // Reader pointers panel
    QPushButton *Command18 = nullptr; // Read Pointers
    QLineEdit *Text14 = nullptr;
    QLineEdit *Text15 = nullptr;
    QLineEdit *Text16 = nullptr;
    QPushButton *Command24 = nullptr; // Write Pointers
    QPushButton *Command23 = nullptr; // Write Pointer3

    // Capture panel
    QLineEdit *Text23 = nullptr; // capture file name
    QPushButton *Command26 = nullptr; // Capture
    QLineEdit *Text24 = nullptr; // restore file name
    QPushButton *Command25 = nullptr; // Restore
    QLabel *Label29 = nullptr;
    QCheckBox *Check8 = nullptr; // Keep Blanks

    // Clock time row
    QPushButton *Command7 = nullptr;  // Read Clock
    QPushButton *Command8 = nullptr;  // +sec
    QPushButton *Command11 = nullptr; // +10s
    QPushButton *Command12 = nullptr; // -min
    QLineEdit *Text12 = nullptr;      // clock second count
    QLineEdit *Text13 = nullptr;      // the date line
    QPushButton *Command6 = nullptr;  // Set Clock
    QPushButton *Command20 = nullptr; // Calibrate Quartz Crystal
    QPushButton *Command9 = nullptr;  // PC seconds

    // Event schedule panel
    QPushButton *Command5 = nullptr; // Event
    QLabel *Label7 = nullptr;
    QLineEdit *Text7 = nullptr; // index
    QLabel *Label9 = nullptr;
    QLineEdit *Text9 = nullptr; // period
    QLabel *Label10 = nullptr;
    QLineEdit *Text10 = nullptr; // repeats
    QLabel *Label11 = nullptr;
    QComboBox *Combo1 = nullptr; // function
    QPushButton *Command22 = nullptr; // Clear All Events
    QLabel *Label21 = nullptr;
    std::array<QCheckBox *, 32> Check3{}; // seconds to ring
    QLabel *Label22 = nullptr;
    std::array<QCheckBox *, 7> Check4{}; // weekdays, Monday first
    QPushButton *Command27 = nullptr; // Kill

    // Configuration panel
    std::array<QLineEdit *, 7> Text1{};
    std::array<QLabel *, 7> Text1Labels{}; // Label1, Label4, Label8, Label12, Label13, Label15, Label16
    QCheckBox *Check5 = nullptr; // day close on
    QCheckBox *Check6 = nullptr; // maximum work time on
    QLabel *Label17 = nullptr;
    QLineEdit *Text3 = nullptr; // gate 1
    QLabel *Label18 = nullptr;
    QLineEdit *Text8 = nullptr; // gate 2
    QLabel *Label14 = nullptr;
    QCheckBox *Check1 = nullptr; // 12 hours
    QCheckBox *Check2 = nullptr; // clock tick
    QPushButton *Command10 = nullptr; // Send Configurations

    // Display messages panel
    QPushButton *Command4 = nullptr; // Message
    QTextEdit *RichTextBox1 = nullptr; // message text
    QPushButton *Command21 = nullptr; // Show Message
    QComboBox *Combo2 = nullptr; // message kind
    QTextEdit *RichTextBox2 = nullptr; // employee last clicked

    // Employees and entries panel
    QPushButton *Command1 = nullptr; // Ptr1=0
    QPushButton *Command2 = nullptr; // Insert Entry
    QPushButton *Command3 = nullptr; // Delete Entry
    QPushButton *Command16 = nullptr; // Delete Card
    QLabel *Label2 = nullptr;
    QLineEdit *Text2 = nullptr; // index
    QLabel *Label5 = nullptr;
    QLineEdit *Text5 = nullptr; // seconds
    QLabel *Label3 = nullptr;
    QLineEdit *Text4 = nullptr; // employee
    QLabel *Label6 = nullptr;
    QLineEdit *Text6 = nullptr; // presence
    QLabel *Label27 = nullptr;
    QLineEdit *Text22 = nullptr; // times
    FlexGrid *MSFlexGrid1 = nullptr; // entry grid
    FlexGrid *MSFlexGrid2 = nullptr; // employee grid

    // Right column
    FlexGrid *MSFlexGrid3 = nullptr; // justification grid
    QPushButton *Command14 = nullptr; // Send justifications
    QLineEdit *Text17 = nullptr; // first employee
    QLabel *Label23 = nullptr;
    QLineEdit *Text18 = nullptr; // last employee
    QPushButton *Command17 = nullptr; // Send employees
    QLabel *Label19 = nullptr;
    QLineEdit *Text19 = nullptr; // telephone number
    QPushButton *Command19 = nullptr; // Dial

    QTimer *Timer1 = nullptr;
    std::array<QFrame *, 8> Lines{}; // Line1 to Line8
};
