#pragma once
// Entries and capture files for the capture tests.

#include "capture/CaptureRecord.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <initializer_list>

inline ReceivedEntry TestEntry(int32_t index, int32_t seconds, int32_t cardCode,
                               const QString &name = QStringLiteral("PONTO_00 "))
{
    ReceivedEntry e;
    e.clockName = name;
    e.index = index;
    e.seconds = seconds;
    e.cardCode = cardCode;
    e.presence = 1;
    e.code = index + 1;
    return e;
}

inline QByteArray Records(std::initializer_list<ReceivedEntry> entries)
{
    QByteArray bytes;
    for (const ReceivedEntry &e : entries)
        bytes += capture::CaptureRecord(e);
    return bytes;
}

inline bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
