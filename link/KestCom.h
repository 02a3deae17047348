#pragma once
// The clock link library as the program sees it. Every command reaches the
// terminal only through this interface; the by-name binding of the real
// library, the simulated terminal and the tests' fakes all implement it.
//
// A QString& name is the terminal name: it goes to the library as a
// single-byte buffer and whatever the library leaves there comes back.

#include <QString>
#include <cstdint>

class KestCom
{
public:
    virtual ~KestCom() = default;

    virtual int32_t SetPCName(const QString &pcName) = 0;
    virtual int32_t SetConfirmationsTimeout(int32_t a, int32_t b) = 0;
    virtual int32_t InitializeCommWithoutError(int32_t port, int32_t baud) = 0;
    virtual int32_t InitializeCommWithoutOpen(int32_t port) = 0;
    virtual int32_t Reset_Message(QString &name) = 0;
    virtual int32_t TerminateComm(int32_t port) = 0;
    virtual int32_t IO_Open(int32_t port, int32_t baud) = 0;
    virtual int32_t IO_Write(int32_t port, int32_t length, const QString &text) = 0;
    virtual int32_t W_SendSeconds(QString &name, int32_t seconds) = 0;
    virtual int32_t W_ReadSeconds(QString &name) = 0;
    virtual int32_t W_AdjustSeconds(QString &name, int32_t seconds) = 0;
    virtual int32_t W_SendConfigurations(QString &name, int32_t entrySeparation,
                                         int32_t messageDelay, int32_t dayCloseTime,
                                         int32_t twelveHours, int32_t cardSeries,
                                         int32_t maximumWorkTime, int32_t clockTick,
                                         int32_t gate1, int32_t gate2) = 0;
    virtual int32_t W_InsertEvent(QString &name, int32_t index, int32_t seconds, int32_t period,
                                  int32_t repeats, int32_t function, int32_t ringMask,
                                  int32_t weekdayMask) = 0;
    virtual int32_t W_SendMessage(QString &name, int32_t employee, const QString &text,
                                  int32_t kind) = 0;
    virtual int32_t W_ShowMessage(QString &name, int32_t number, const QString &text) = 0;
    virtual int32_t W_SendJustifications(QString &name, const QString &text) = 0;
    virtual int32_t W_InsertEntry(QString &name, int32_t index, int32_t seconds, int32_t cardCode,
                                  int32_t aux1, int32_t justification, int32_t presence) = 0;
    virtual int32_t W_DeleteEntry(QString &name, int32_t index) = 0;
    virtual int32_t W_ReadPointers(QString &name, int32_t &first, int32_t &second,
                                   int32_t &third) = 0;
    virtual int32_t W_SendReaderPointer(QString &name, int32_t value) = 0;
    virtual int32_t W_SendAllPointers(QString &name, int32_t first, int32_t second,
                                      int32_t third) = 0;
    virtual int32_t W_SendEmployerName(QString &name, int32_t employee, const QString &text,
                                       int32_t cardCode, int32_t last) = 0;
    virtual int32_t W_ClearEmployerName(QString &name, int32_t employee) = 0;
    virtual int32_t W_Kill(QString &name) = 0;
    // clockName comes back with exactly nine characters, zero characters included.
    virtual int32_t W_ReceiveEntry(QString &clockName, int32_t &index, int32_t &seconds,
                                   int32_t &cardCode, uint8_t &aux1, uint8_t &justification,
                                   uint8_t &presence, int32_t &orValue, int32_t &code) = 0;
};
