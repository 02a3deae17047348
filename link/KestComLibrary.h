#pragma once
// The clock link library bound at run time by operation name.

#include "link/KestCom.h"
#include "link/KestComAbi.h"
#include "link/KestComOperations.h"

#include <QLibrary>
#include <QStringList>

#include <memory>

class KestComLibrary final : public KestCom
{
public:
    // The platform's name for the library: libKestCom.so, KestCom.dll, ...
    static constexpr const char *kBaseName = "KestCom";

    // Looks beside the executable first, then in the system's search path.
    static std::unique_ptr<KestComLibrary> bindDefault();
    // Binds the library at this path (or base name, for the search path).
    static std::unique_ptr<KestComLibrary> bind(const QString &fileName);

    ~KestComLibrary() override;

    bool loaded() const { return m_library.isLoaded(); }
    QString fileName() const { return m_fileName; }
    // Operations the library lacks; an unbound operation answers 0.
    QStringList missingOperations() const { return m_missing; }
    bool complete() const { return loaded() && m_missing.isEmpty(); }
    // One message naming what could not be bound, or empty when all is bound.
    QString bindingProblem() const;

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
    KestComLibrary() = default;
    void resolveAll();

    QLibrary m_library;
    QString m_fileName;
    QStringList m_missing;
    QString m_loadError;

    struct Table
    {
#define KESTCOM_MEMBER(op, shape) kestcom_abi::op op = nullptr;
        KESTCOM_OPERATIONS(KESTCOM_MEMBER)
#undef KESTCOM_MEMBER
    } m_ops;
    static_assert(sizeof(Table) == KESTCOM_OPERATION_COUNT * sizeof(void *),
                  "one binding for each operation");
};
