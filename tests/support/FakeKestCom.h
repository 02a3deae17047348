#pragma once
// A clock link library that records every call and answers as told.

#include "link/KestCom.h"
#include "link/ReceivedEntry.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class FakeKestCom final : public KestCom
{
public:
    struct Call
    {
        QString op;
        QVariantList args; // the terminal name first where the operation takes one
    };

    QList<Call> calls;
    // Result per operation; 1 when not set. W_ReadSeconds answers readSeconds.
    QHash<QString, int32_t> results;
    int32_t readSeconds = 0;
    int32_t pointers[3] = {0, 0, 0};
    QList<ReceivedEntry> pending; // delivered by W_ReceiveEntry, first first
    // When set, every name-taking call leaves this text in the name buffer.
    QString rewriteNameTo;
    // Runs inside every call, after it is recorded (to look at the window mid-command).
    std::function<void(const Call &)> onCall;

    void clearCalls() { calls.clear(); }
    QStringList ops() const;
    QList<Call> callsOf(const QString &op) const;
    int count(const QString &op) const { return int(callsOf(op).size()); }

    int32_t SetPCName(const QString &pcName) override;
    int32_t SetConfirmationsTimeout(int32_t a, int32_t b) override;
    int32_t InitializeCommWithoutError(int32_t port, int32_t baud) override;
    int32_t InitializeCommWithoutOpen(int32_t port) override;
    int32_t Reset_Message(QString &name) override;
    int32_t TerminateComm(int32_t port) override;
    int32_t IO_Open(int32_t port, int32_t baud) override;
    int32_t IO_Write(int32_t port, int32_t length, const QString &text) override;
    int32_t W_SendSeconds(QString &name, int32_t seconds) override;
    int32_t W_ReadSeconds(QString &name) override;
    int32_t W_AdjustSeconds(QString &name, int32_t seconds) override;
    int32_t W_SendConfigurations(QString &name, int32_t entrySeparation, int32_t messageDelay,
                                 int32_t dayCloseTime, int32_t twelveHours, int32_t cardSeries,
                                 int32_t maximumWorkTime, int32_t clockTick, int32_t gate1,
                                 int32_t gate2) override;
    int32_t W_InsertEvent(QString &name, int32_t index, int32_t seconds, int32_t period,
                          int32_t repeats, int32_t function, int32_t ringMask,
                          int32_t weekdayMask) override;
    int32_t W_SendMessage(QString &name, int32_t employee, const QString &text,
                          int32_t kind) override;
    int32_t W_ShowMessage(QString &name, int32_t number, const QString &text) override;
    int32_t W_SendJustifications(QString &name, const QString &text) override;
    int32_t W_InsertEntry(QString &name, int32_t index, int32_t seconds, int32_t cardCode,
                          int32_t aux1, int32_t justification, int32_t presence) override;
    int32_t W_DeleteEntry(QString &name, int32_t index) override;
    int32_t W_ReadPointers(QString &name, int32_t &first, int32_t &second,
                           int32_t &third) override;
    int32_t W_SendReaderPointer(QString &name, int32_t value) override;
    int32_t W_SendAllPointers(QString &name, int32_t first, int32_t second,
                              int32_t third) override;
    int32_t W_SendEmployerName(QString &name, int32_t employee, const QString &text,
                               int32_t cardCode, int32_t last) override;
    int32_t W_ClearEmployerName(QString &name, int32_t employee) override;
    int32_t W_Kill(QString &name) override;
    int32_t W_ReceiveEntry(QString &clockName, int32_t &index, int32_t &seconds,
                           int32_t &cardCode, uint8_t &aux1, uint8_t &justification,
                           uint8_t &presence, int32_t &orValue, int32_t &code) override;

private:
    int32_t record(const QString &op, QVariantList args);
    int32_t recordNamed(const QString &op, QString &name, QVariantList args);
};
