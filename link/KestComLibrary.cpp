#include "link/KestComLibrary.h"

#include "link/AnsiText.h"
#include "link/TerminalLimits.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// Calls a name-taking operation and takes the name buffer back afterwards.
template <typename Fn, typename... Args>
int32_t withName(Fn fn, QString &name, Args... args)
{
    if (!fn)
        return 0;
    ansi::Buffer buffer(name);
    const int32_t result = fn(buffer.data(), args...);
    name = buffer.takeBack();
    return result;
}

} // namespace

std::unique_ptr<KestComLibrary> KestComLibrary::bindDefault()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(kBaseName);
    auto library = bind(beside);
    if (library->loaded())
        return library;
    auto fromSearchPath = bind(QString::fromLatin1(kBaseName));
    if (fromSearchPath->loaded())
        return fromSearchPath;
    return library;
}

std::unique_ptr<KestComLibrary> KestComLibrary::bind(const QString &fileName)
{
    std::unique_ptr<KestComLibrary> library(new KestComLibrary);
    library->m_fileName = fileName;
    library->m_library.setFileName(fileName);
    if (library->m_library.load())
        library->resolveAll();
    else
        library->m_loadError = library->m_library.errorString();
    return library;
}

KestComLibrary::~KestComLibrary()
{
    // The vendor's library may keep threads or handles of its own; leave it
    // mapped until the process ends rather than unload it under them.
}

void KestComLibrary::resolveAll()
{
#define KESTCOM_RESOLVE(op, shape)                                                                 \
    m_ops.op = reinterpret_cast<kestcom_abi::op>(m_library.resolve(#op));                          \
    if (!m_ops.op)                                                                                 \
        m_missing << QStringLiteral(#op);
    KESTCOM_OPERATIONS(KESTCOM_RESOLVE)
#undef KESTCOM_RESOLVE
}

QString KestComLibrary::bindingProblem() const
{
    if (!loaded()) {
        return QStringLiteral("The clock link library %1 could not be loaded (%2). "
                              "Every terminal command will fail until it is installed "
                              "beside the program.")
            .arg(QFileInfo(m_fileName).fileName(), m_loadError);
    }
    if (!m_missing.isEmpty()) {
        return QStringLiteral("The clock link library %1 lacks the operation(s) %2. "
                              "Those commands will fail.")
            .arg(m_library.fileName(), m_missing.join(QStringLiteral(", ")));
    }
    return {};
}

int32_t KestComLibrary::SetPCName(const QString &pcName)
{
    if (!m_ops.SetPCName)
        return 0;
    ansi::Buffer buffer(pcName); // a temporary copy: nothing is read back
    return m_ops.SetPCName(buffer.data());
}

int32_t KestComLibrary::SetConfirmationsTimeout(int32_t a, int32_t b)
{
    return m_ops.SetConfirmationsTimeout ? m_ops.SetConfirmationsTimeout(a, b) : 0;
}

int32_t KestComLibrary::InitializeCommWithoutError(int32_t port, int32_t baud)
{
    return m_ops.InitializeCommWithoutError ? m_ops.InitializeCommWithoutError(port, baud) : 0;
}

int32_t KestComLibrary::InitializeCommWithoutOpen(int32_t port)
{
    return m_ops.InitializeCommWithoutOpen ? m_ops.InitializeCommWithoutOpen(port) : 0;
}

int32_t KestComLibrary::Reset_Message(QString &name)
{
    return withName(m_ops.Reset_Message, name);
}

int32_t KestComLibrary::TerminateComm(int32_t port)
{
    return m_ops.TerminateComm ? m_ops.TerminateComm(port) : 0;
}

int32_t KestComLibrary::IO_Open(int32_t port, int32_t baud)
{
    return m_ops.IO_Open ? m_ops.IO_Open(port, baud) : 0;
}

int32_t KestComLibrary::IO_Write(int32_t port, int32_t length, const QString &text)
{
    if (!m_ops.IO_Write)
        return 0;
    ansi::Buffer buffer(text);
    return m_ops.IO_Write(port, length, buffer.data());
}

int32_t KestComLibrary::W_SendSeconds(QString &name, int32_t seconds)
{
    return withName(m_ops.W_SendSeconds, name, seconds);
}

int32_t KestComLibrary::W_ReadSeconds(QString &name)
{
    return withName(m_ops.W_ReadSeconds, name);
}

int32_t KestComLibrary::W_AdjustSeconds(QString &name, int32_t seconds)
{
    return withName(m_ops.W_AdjustSeconds, name, seconds);
}

int32_t KestComLibrary::W_SendConfigurations(QString &name, int32_t entrySeparation,
                                             int32_t messageDelay, int32_t dayCloseTime,
                                             int32_t twelveHours, int32_t cardSeries,
                                             int32_t maximumWorkTime, int32_t clockTick,
                                             int32_t gate1, int32_t gate2)
{
    return withName(m_ops.W_SendConfigurations, name, entrySeparation, messageDelay, dayCloseTime,
                    twelveHours, cardSeries, maximumWorkTime, clockTick, gate1, gate2);
}

int32_t KestComLibrary::W_InsertEvent(QString &name, int32_t index, int32_t seconds,
                                      int32_t period, int32_t repeats, int32_t function,
                                      int32_t ringMask, int32_t weekdayMask)
{
    return withName(m_ops.W_InsertEvent, name, index, seconds, period, repeats, function, ringMask,
                    weekdayMask);
}

int32_t KestComLibrary::W_SendMessage(QString &name, int32_t employee, const QString &text,
                                      int32_t kind)
{
    if (!m_ops.W_SendMessage)
        return 0;
    ansi::Buffer textBuffer(text); // the library's changes to the text are not taken back
    return withName(m_ops.W_SendMessage, name, employee, textBuffer.data(), kind);
}

int32_t KestComLibrary::W_ShowMessage(QString &name, int32_t number, const QString &text)
{
    if (!m_ops.W_ShowMessage)
        return 0;
    ansi::Buffer textBuffer(text);
    return withName(m_ops.W_ShowMessage, name, number, textBuffer.data());
}

int32_t KestComLibrary::W_SendJustifications(QString &name, const QString &text)
{
    if (!m_ops.W_SendJustifications)
        return 0;
    ansi::Buffer textBuffer(text);
    return withName(m_ops.W_SendJustifications, name, textBuffer.data());
}

int32_t KestComLibrary::W_InsertEntry(QString &name, int32_t index, int32_t seconds,
                                      int32_t cardCode, int32_t aux1, int32_t justification,
                                      int32_t presence)
{
    return withName(m_ops.W_InsertEntry, name, index, seconds, cardCode, aux1, justification,
                    presence);
}

int32_t KestComLibrary::W_DeleteEntry(QString &name, int32_t index)
{
    return withName(m_ops.W_DeleteEntry, name, index);
}

int32_t KestComLibrary::W_ReadPointers(QString &name, int32_t &first, int32_t &second,
                                       int32_t &third)
{
    return withName(m_ops.W_ReadPointers, name, &first, &second, &third);
}

int32_t KestComLibrary::W_SendReaderPointer(QString &name, int32_t value)
{
    return withName(m_ops.W_SendReaderPointer, name, value);
}

int32_t KestComLibrary::W_SendAllPointers(QString &name, int32_t first, int32_t second,
                                          int32_t third)
{
    return withName(m_ops.W_SendAllPointers, name, first, second, third);
}

int32_t KestComLibrary::W_SendEmployerName(QString &name, int32_t employee, const QString &text,
                                           int32_t cardCode, int32_t last)
{
    if (!m_ops.W_SendEmployerName)
        return 0;
    ansi::Buffer textBuffer(text);
    return withName(m_ops.W_SendEmployerName, name, employee, textBuffer.data(), cardCode, last);
}

int32_t KestComLibrary::W_ClearEmployerName(QString &name, int32_t employee)
{
    return withName(m_ops.W_ClearEmployerName, name, employee);
}

int32_t KestComLibrary::W_Kill(QString &name)
{
    return withName(m_ops.W_Kill, name);
}

int32_t KestComLibrary::W_ReceiveEntry(QString &clockName, int32_t &index, int32_t &seconds,
                                       int32_t &cardCode, uint8_t &aux1, uint8_t &justification,
                                       uint8_t &presence, int32_t &orValue, int32_t &code)
{
    if (!m_ops.W_ReceiveEntry)
        return 0;
    // Nine characters and a terminating zero, taken back as nine characters.
    constexpr qsizetype kNameLength = kestcom_abi::kClockNameLength;
    QByteArray buffer = ansi::encode(clockName).leftJustified(kNameLength, ' ', true);
    buffer.append(QByteArray(256, '\0'));
    const int32_t result = m_ops.W_ReceiveEntry(buffer.data(), &index, &seconds, &cardCode, &aux1,
                                                &justification, &presence, &orValue, &code);
    clockName = ansi::decode(buffer.constData(), kNameLength);
    return result;
}
