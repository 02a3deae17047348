#pragma once
// What a front panel needs from the terminals on one line and what it can do
// to them. The panel knows nothing of the engine behind it: the in-process
// simulated terminal and the terminal program each provide one of these.

#include "terminal/engine/EventFiring.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace terminal::panel {

struct EmployeeName
{
    int32_t employee = 0;
    QString name;
    int32_t cardCode = 0;
};

// When events fire is the engine's to say; the panel shows what it says.
using ScheduledEvent = engine::SlotEvent;
using engine::Lamp;
using engine::Lamps;
using engine::NextEvent;

struct StampedEntry
{
    int32_t seconds = 0;
    int32_t cardCode = 0;
    uint8_t aux1 = 0;
    uint8_t justification = 0;
    uint8_t presence = 0;
    int32_t origin = 0; // 0 a card at the reader, 1 inserted by the program
    int32_t serial = 0;
};

struct ShownMessage
{
    int32_t number = 0; // how long the terminal keeps it, in seconds
    QString text;
    int64_t shownAt = 0; // terminal clock when it arrived
};

// One terminal as its panel shows it; entries are read one by one.
struct TerminalView
{
    QString name;
    int64_t clock = 0; // the terminal's clock second count now
    QList<EmployeeName> employees;
    QStringList justifications;
    QList<ScheduledEvent> events; // slots holding an event; the empty event is none
    Lamps lamps{};                // lit now
    std::optional<NextEvent> next; // the next event due, spent clock changes left out
    std::optional<ShownMessage> shown;
    QString entryMessage;
    QString exitMessage;
    int32_t messageDelay = 0; // seconds a pass stays on the display
    int32_t entryCount = 0;
    int32_t firstPointer = 0;
    int32_t secondPointer = 0;
    int32_t readerPointer = 0;
};

struct LineView
{
    QString port;
    bool open = false;
    int32_t baud = 0;
    bool modem = false;
    bool callConnected = false;
    bool linkOpen = false;
    double bytesPerSecond = 0;
};

struct CardPass
{
    int32_t cardCode = 0;
    bool exit = false;
    int justification = -1; // position in the terminal's list; -1 none
};

class PanelModel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QStringList terminals() const = 0;
    virtual std::optional<TerminalView> terminal(const QString &name) const = 0;
    virtual std::optional<StampedEntry> entryAt(const QString &name, int32_t index) const = 0;
    // The message sent with "Message" to that employee; empty when none.
    virtual QString employeeMessage(const QString &name, int32_t employee) const = 0;
    virtual LineView line() const = 0;

    // Each returns an empty text on success, else what went wrong.
    virtual QString passCard(const QString &name, const CardPass &pass) = 0;
    virtual QString setClock(const QString &name, int32_t clockSeconds) = 0;
    virtual QString addTerminal(const QString &name) = 0;
    virtual QString removeTerminal(const QString &name) = 0;

    // Reads the engine again; emits changed() when anything the panel shows
    // may have moved (the clock always does).
    virtual void refresh() = 0;

signals:
    void changed();
};

} // namespace terminal::panel
