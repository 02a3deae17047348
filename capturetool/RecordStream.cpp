#include "capturetool/RecordStream.h"

#include "capture/CaptureRecord.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace capturetool {

namespace {
constexpr qint64 kBlockSlots = 8192;
constexpr qint64 kBlockSize = kBlockSlots * capture::kRecordSize;
} // namespace

bool RecordStream::open(const QString &path)
{
    m_file.setFileName(path);
    if (QFileInfo(path).isDir()) {
        m_error = QStringLiteral("it is a folder");
        return false;
    }
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    m_size = m_file.size();
    m_block = std::make_unique<char[]>(size_t(kBlockSize));
    return true;
}

RecordStream::Step RecordStream::next(QByteArrayView &slot)
{
    if (m_filled - m_at < capture::kRecordSize) {
        // Keep a partial slot at the start of the block and fill up behind it.
        const qint64 rest = m_filled - m_at;
        std::memmove(m_block.get(), m_block.get() + m_at, size_t(rest));
        m_filled = rest;
        m_at = 0;
        while (m_filled < kBlockSize) {
            const qint64 n = m_file.read(m_block.get() + m_filled, kBlockSize - m_filled);
            if (n < 0) {
                m_error = m_file.errorString();
                return Step::Failed;
            }
            if (n == 0)
                break;
            m_filled += n;
        }
    }
    const qint64 n = std::min<qint64>(capture::kRecordSize, m_filled - m_at);
    if (n == 0)
        return Step::End;
    slot = QByteArrayView(m_block.get() + m_at, n);
    m_at += n;
    ++m_number;
    return Step::Slot;
}

} // namespace capturetool
