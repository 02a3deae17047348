#include "FakeKestCom.h"

QStringList FakeKestCom::ops() const
{
    QStringList out;
    for (const Call &c : calls)
        out << c.op;
    return out;
}

QList<FakeKestCom::Call> FakeKestCom::callsOf(const QString &op) const
{
    QList<Call> out;
    for (const Call &c : calls) {
        if (c.op == op)
            out << c;
    }
    return out;
}

int32_t FakeKestCom::record(const QString &op, QVariantList args)
{
    calls << Call{op, std::move(args)};
    if (onCall)
        onCall(calls.last());
    return results.value(op, 1);
}

int32_t FakeKestCom::recordNamed(const QString &op, QString &name, QVariantList args)
{
    args.prepend(name);
    const int32_t result = record(op, std::move(args));
    if (!rewriteNameTo.isNull())
        name = rewriteNameTo;
    return result;
}

int32_t FakeKestCom::SetPCName(const QString &pcName) { return record("SetPCName", {pcName}); }
int32_t FakeKestCom::SetConfirmationsTimeout(int32_t a, int32_t b)
{
    return record("SetConfirmationsTimeout", {a, b});
}
int32_t FakeKestCom::InitializeCommWithoutError(int32_t port, int32_t baud)
{
    return record("InitializeCommWithoutError", {port, baud});
}
int32_t FakeKestCom::InitializeCommWithoutOpen(int32_t port)
{
    return record("InitializeCommWithoutOpen", {port});
}
int32_t FakeKestCom::Reset_Message(QString &name) { return recordNamed("Reset_Message", name, {}); }
int32_t FakeKestCom::TerminateComm(int32_t port) { return record("TerminateComm", {port}); }
int32_t FakeKestCom::IO_Open(int32_t port, int32_t baud) { return record("IO_Open", {port, baud}); }
int32_t FakeKestCom::IO_Write(int32_t port, int32_t length, const QString &text)
{
    return record("IO_Write", {port, length, text});
}
int32_t FakeKestCom::W_SendSeconds(QString &name, int32_t seconds)
{
    return recordNamed("W_SendSeconds", name, {seconds});
}
int32_t FakeKestCom::W_ReadSeconds(QString &name)
{
    recordNamed("W_ReadSeconds", name, {});
    return readSeconds;
}
int32_t FakeKestCom::W_AdjustSeconds(QString &name, int32_t seconds)
{
    return recordNamed("W_AdjustSeconds", name, {seconds});
}
int32_t FakeKestCom::W_SendConfigurations(QString &name, int32_t a, int32_t b, int32_t c, int32_t d,
                                          int32_t e, int32_t f, int32_t g, int32_t h, int32_t i)
{
    return recordNamed("W_SendConfigurations", name, {a, b, c, d, e, f, g, h, i});
}
int32_t FakeKestCom::W_InsertEvent(QString &name, int32_t index, int32_t seconds, int32_t period,
                                   int32_t repeats, int32_t function, int32_t ringMask,
                                   int32_t weekdayMask)
{
    return recordNamed("W_InsertEvent", name,
                       {index, seconds, period, repeats, function, ringMask, weekdayMask});
}
int32_t FakeKestCom::W_SendMessage(QString &name, int32_t employee, const QString &text,
                                   int32_t kind)
{
    return recordNamed("W_SendMessage", name, {employee, text, kind});
}
int32_t FakeKestCom::W_ShowMessage(QString &name, int32_t number, const QString &text)
{
    return recordNamed("W_ShowMessage", name, {number, text});
}
int32_t FakeKestCom::W_SendJustifications(QString &name, const QString &text)
{
    return recordNamed("W_SendJustifications", name, {text});
}
int32_t FakeKestCom::W_InsertEntry(QString &name, int32_t index, int32_t seconds, int32_t cardCode,
                                   int32_t aux1, int32_t justification, int32_t presence)
{
    return recordNamed("W_InsertEntry", name,
                       {index, seconds, cardCode, aux1, justification, presence});
}
int32_t FakeKestCom::W_DeleteEntry(QString &name, int32_t index)
{
    return recordNamed("W_DeleteEntry", name, {index});
}
int32_t FakeKestCom::W_ReadPointers(QString &name, int32_t &first, int32_t &second, int32_t &third)
{
    const int32_t result = recordNamed("W_ReadPointers", name, {first, second, third});
    first = pointers[0];
    second = pointers[1];
    third = pointers[2];
    return result;
}
int32_t FakeKestCom::W_SendReaderPointer(QString &name, int32_t value)
{
    return recordNamed("W_SendReaderPointer", name, {value});
}
int32_t FakeKestCom::W_SendAllPointers(QString &name, int32_t first, int32_t second, int32_t third)
{
    return recordNamed("W_SendAllPointers", name, {first, second, third});
}
int32_t FakeKestCom::W_SendEmployerName(QString &name, int32_t employee, const QString &text,
                                        int32_t cardCode, int32_t last)
{
    return recordNamed("W_SendEmployerName", name, {employee, text, cardCode, last});
}
int32_t FakeKestCom::W_ClearEmployerName(QString &name, int32_t employee)
{
    return recordNamed("W_ClearEmployerName", name, {employee});
}
int32_t FakeKestCom::W_Kill(QString &name) { return recordNamed("W_Kill", name, {}); }
int32_t FakeKestCom::W_ReceiveEntry(QString &clockName, int32_t &index, int32_t &seconds,
                                    int32_t &cardCode, uint8_t &aux1, uint8_t &justification,
                                    uint8_t &presence, int32_t &orValue, int32_t &code)
{
    // What the poll handed in, so tests see the values carried between calls.
    record("W_ReceiveEntry", {clockName, index, seconds, cardCode, aux1, justification, presence,
                              orValue, code});
    if (pending.isEmpty())
        return 0;
    const ReceivedEntry e = pending.takeFirst();
    clockName = e.clockName;
    index = e.index;
    seconds = e.seconds;
    cardCode = e.cardCode;
    aux1 = e.aux1;
    justification = e.justification;
    presence = e.presence;
    orValue = e.orValue;
    code = e.code;
    return 1;
}
