#pragma once
// Every modal message box of the program goes through this seam, so that
// tests can answer them without blocking.

#include <QString>

#include <cstdint>

class QWidget;

class Messages
{
public:
    virtual ~Messages() = default;
    // A message with a single OK button.
    virtual void inform(const QString &text) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool confirm(const QString &text) = 0;
};

// The real thing: QMessageBox with the program's default title.
class DialogMessages final : public Messages
{
public:
    explicit DialogMessages(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void inform(const QString &text) override;
    bool confirm(const QString &text) override;

private:
    QWidget *m_parent;
};

namespace message {
inline const QString CommunicationError = QStringLiteral("Comunication error");
inline const QString ClockNotFound = QString::fromUtf8("Não encontro o relógio");
inline const QString AreYouSure = QStringLiteral("Are you sure ?");
inline const QString TerminalNotEmpty = QStringLiteral("Terminal Not Empty");

// A zero result of an operation the command examines is reported the same
// way everywhere; the command then goes on. True when it failed.
inline bool ReportFailure(Messages &messages, int32_t result)
{
    if (result == 0)
        messages.inform(CommunicationError);
    return result == 0;
}
} // namespace message
