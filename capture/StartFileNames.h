#pragma once
// Where the capture and restore fields start: the drive root on Windows;
// elsewhere, where a root of that name would be a file in whatever folder
// the program was started from, the user's documents folder.

#include <QDate>
#include <QString>

namespace capture {

enum class Platform { Windows, Other };

#ifdef Q_OS_WIN
inline constexpr Platform kThisPlatform = Platform::Windows;
#else
inline constexpr Platform kThisPlatform = Platform::Other;
#endif

struct StartFileNames
{
    QString capture; // named for the start date, month-day-year
    QString restore;
};

// documents: the user's documents folder, used on Other only.
StartFileNames StartFileNamesFor(Platform platform, const QDate &today, const QString &documents);

} // namespace capture
