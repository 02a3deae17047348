#include "capture/StartFileNames.h"

#include <QDir>

namespace capture {

StartFileNames StartFileNamesFor(Platform platform, const QDate &today, const QString &documents)
{
    const QString capture = QStringLiteral("CLOCK") + today.toString(QStringLiteral("MM-dd-yyyy"))
                            + QStringLiteral(".RAW");
    const QString restore = QStringLiteral("CLOCKDATA.RAW");
    if (platform == Platform::Windows)
        return {QStringLiteral("C:\\") + capture, QStringLiteral("C:\\") + restore};
    const QDir folder(documents);
    return {QDir::toNativeSeparators(folder.filePath(capture)),
            QDir::toNativeSeparators(folder.filePath(restore))};
}

} // namespace capture
