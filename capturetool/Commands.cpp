#include "capturetool/Commands.h"

#include "capture/CaptureRecord.h"
#include "capturetool/Csv.h"
#include "capturetool/CsvRecords.h"
#include "capturetool/RecordStream.h"
#include "capturetool/Table.h"
#include "capturetool/Verify.h"
#include "clock/ClockSeconds.h"

#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstdio>

namespace capturetool {

using capture::RecordKind;

void Complain(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("velmora-capture: ") + text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

namespace {

// The widest date text: the weekday names are the only part that varies.
qsizetype dateWidth()
{
    qsizetype width = 0;
    for (int day = 0; day < 7; ++day)
        width = std::max(width, clocktime::SecondsToDateText(day * int32_t(clocktime::kSecondsPerDay)).size());
    return width;
}

qsizetype digitsOf(qint64 n)
{
    return QString::number(n).size();
}

bool openStream(RecordStream &stream, const QString &path)
{
    if (stream.open(path))
        return true;
    Complain(QStringLiteral("%1 cannot be read: %2").arg(path, stream.error()));
    return false;
}

// Reads every slot of the file into the tally and hands entries on.
template<typename OnSlot>
int readAll(RecordStream &stream, VerifyTally &tally, OnSlot onSlot)
{
    for (;;) {
        QByteArrayView slot;
        const RecordStream::Step step = stream.next(slot);
        if (step == RecordStream::Step::End)
            return kExitOk;
        if (step == RecordStream::Step::Failed) {
            tally.readFailed(stream.number() + 1, stream.error());
            Complain(QStringLiteral("%1: record %2 cannot be read: %3")
                         .arg(stream.path())
                         .arg(stream.number() + 1)
                         .arg(stream.error()));
            return kExitTrouble;
        }
        onSlot(stream.number(), slot);
    }
}

} // namespace

int ListCommand(const QString &path, const Output &out)
{
    RecordStream stream;
    if (!openStream(stream, path))
        return kExitTrouble;
    const QList<TableColumn> columns{
        {QStringLiteral("record"), digitsOf(stream.size() / capture::kRecordSize + 1), true},
        {QStringLiteral("terminal"), 9, false},
        {QStringLiteral("index"), 11, true},
        {QStringLiteral("date"), dateWidth(), false},
        {QStringLiteral("seconds"), 11, true},
        {QStringLiteral("cardCode"), 11, true},
        {QStringLiteral("aux1"), 3, true},
        {QStringLiteral("justification"), 3, true},
        {QStringLiteral("presence"), 3, true},
    };
    TextOut text(stdout);
    QStringList header;
    for (const TableColumn &c : columns)
        header << c.header;
    text.line(TableLine(columns, header, out.aligned));

    VerifyTally tally;
    bool notedEmpty = false;
    const int read = readAll(stream, tally, [&](qint64 number, QByteArrayView slot) {
        const capture::ParsedRecord r = capture::ParseCaptureRecord(slot);
        tally.add(number, r);
        if (r.kind == RecordKind::Entry) {
            const capture::CaptureFields &f = r.fields;
            text.line(TableLine(columns,
                                {QString::number(number), DisplayName(f.terminalName),
                                 QString::number(f.index), clocktime::SecondsToDateText(f.seconds),
                                 QString::number(f.seconds), QString::number(f.cardCode),
                                 QString::number(f.aux1), QString::number(f.justification),
                                 QString::number(f.presence)},
                                out.aligned));
        } else if (r.kind == RecordKind::Bad) {
            text.finish();
            Complain(QStringLiteral("%1: record %2 is malformed: %3").arg(path).arg(number).arg(r.problem));
        } else if (!notedEmpty) {
            notedEmpty = true;
            text.finish();
            Complain(QStringLiteral("%1: record %2 is an empty slot: a restore ends there")
                         .arg(path)
                         .arg(number));
        }
    });
    if (!text.finish())
        return kExitTrouble;
    return read != kExitOk ? read : tally.status();
}

int VerifyCommand(const QString &path)
{
    RecordStream stream;
    if (!openStream(stream, path))
        return kExitTrouble;
    VerifyTally tally;
    const int read = readAll(stream, tally, [&](qint64 number, QByteArrayView slot) {
        tally.add(number, capture::ParseCaptureRecord(slot));
    });
    TextOut text(stdout);
    const auto dateText = [](int32_t seconds) { return clocktime::SecondsToDateText(seconds); };
    for (const QString &line : tally.report(path, stream.size(), dateText))
        text.line(line);
    if (!text.finish())
        return kExitTrouble;
    return read != kExitOk ? read : tally.status();
}

int CsvCommand(const QString &path, const QString &outPath, bool withDate)
{
    RecordStream stream;
    if (!openStream(stream, path))
        return kExitTrouble;
    QSaveFile file(outPath);
    if (!outPath.isEmpty() && !file.open(QIODevice::WriteOnly)) {
        Complain(QStringLiteral("%1 cannot be written: %2").arg(outPath, file.errorString()));
        return kExitTrouble;
    }
    TextOut text = outPath.isEmpty() ? TextOut(stdout, TextOut::Mode::Bytes) : TextOut(&file);
    text.text(CsvLine(CsvHeader(withDate)));
    qint64 raw = 0;
    qint64 firstRaw = 0;
    for (;;) {
        QByteArrayView slot;
        const RecordStream::Step step = stream.next(slot);
        if (step == RecordStream::Step::End)
            break;
        if (step == RecordStream::Step::Failed) {
            Complain(QStringLiteral("%1: record %2 cannot be read: %3. Nothing was written.")
                         .arg(path)
                         .arg(stream.number() + 1)
                         .arg(stream.error()));
            file.cancelWriting();
            return kExitTrouble;
        }
        const QStringList row = CsvRow(stream.number(), slot, withDate);
        if (!row.back().isEmpty() && raw++ == 0)
            firstRaw = stream.number();
        text.text(CsvLine(row));
    }
    if (!text.finish() || (!outPath.isEmpty() && !file.commit())) {
        Complain(QStringLiteral("%1 cannot be written: %2")
                     .arg(outPath.isEmpty() ? QStringLiteral("the output") : outPath,
                          file.errorString()));
        return kExitTrouble;
    }
    if (raw > 0)
        Complain(QStringLiteral("%1: %2 record(s), the first record %3, kept as raw bytes: their "
                                "fields do not rebuild them as a capture writes records")
                     .arg(path)
                     .arg(raw)
                     .arg(firstRaw));
    return kExitOk;
}

int FromCsvCommand(const QString &path, const QString &outPath)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        Complain(QStringLiteral("%1 cannot be read: %2").arg(path, in.errorString()));
        return kExitTrouble;
    }
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly)) {
        Complain(QStringLiteral("%1 cannot be written: %2").arg(outPath, out.errorString()));
        return kExitTrouble;
    }
    const auto refuse = [&](qint64 line, const QString &why) {
        out.cancelWriting();
        Complain(QStringLiteral("%1: line %2: %3. Nothing was written.").arg(path).arg(line).arg(why));
        return kExitNo;
    };

    constexpr qint64 kMaxLine = 1 << 20;
    QStringDecoder utf8(QStringDecoder::Utf8);
    CsvRowReader reader;
    CsvColumns columns;
    bool haveHeader = false;
    qint64 lineNumber = 0;
    qint64 shortLine = 0; // a record cut short, which must be the last
    const auto takeRow = [&]() -> int {
        const QStringList row = reader.row();
        if (row.size() == 1 && row[0].trimmed().isEmpty())
            return kExitOk; // a blank line
        if (!haveHeader) {
            haveHeader = true;
            const QString problem = columns.read(row);
            return problem.isEmpty() ? kExitOk : refuse(reader.rowLine(), problem);
        }
        if (row.size() != columns.count())
            return refuse(reader.rowLine(), QStringLiteral("it has %1 fields, the header %2")
                                                .arg(row.size())
                                                .arg(columns.count()));
        if (shortLine != 0)
            return refuse(reader.rowLine(),
                          QStringLiteral("the record on line %1 is shorter than %2 bytes, so "
                                         "it can only be the last")
                              .arg(shortLine)
                              .arg(capture::kRecordSize));
        const RowRecord record = RecordOfRow(columns, row);
        if (!record.problem.isEmpty())
            return refuse(reader.rowLine(), record.problem);
        if (record.bytes.size() < capture::kRecordSize)
            shortLine = reader.rowLine();
        if (out.write(record.bytes) != record.bytes.size()) {
            Complain(QStringLiteral("%1 cannot be written: %2").arg(outPath, out.errorString()));
            out.cancelWriting();
            return kExitTrouble;
        }
        return kExitOk;
    };

    // One buffer for every line: a fresh megabyte per line would cost more
    // than the line.
    QByteArray buffer(kMaxLine, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.readLine(buffer.data(), kMaxLine);
        if (n <= 0) {
            if (n < 0 && !in.atEnd()) {
                out.cancelWriting();
                Complain(QStringLiteral("%1 cannot be read: %2").arg(path, in.errorString()));
                return kExitTrouble;
            }
            break;
        }
        const QByteArrayView bytes(buffer.constData(), n);
        ++lineNumber;
        if (n >= kMaxLine - 1 && !bytes.endsWith('\n'))
            return refuse(lineNumber, QStringLiteral("it is longer than %1 bytes").arg(kMaxLine));
        const QString line = utf8.decode(bytes);
        if (utf8.hasError())
            return refuse(lineNumber, QStringLiteral("it is not UTF-8 text"));
        if (reader.feed(line)) {
            if (const int status = takeRow(); status != kExitOk)
                return status;
        } else if (!reader.error().isEmpty()) {
            return refuse(reader.errorLine(), reader.error());
        }
    }
    if (reader.finish()) {
        if (const int status = takeRow(); status != kExitOk)
            return status;
    } else if (!reader.error().isEmpty()) {
        return refuse(reader.errorLine(), reader.error());
    }
    if (!haveHeader)
        return refuse(1, QStringLiteral("it has no header row"));
    if (!out.commit()) {
        Complain(QStringLiteral("%1 cannot be written: %2").arg(outPath, out.errorString()));
        return kExitTrouble;
    }
    return kExitOk;
}

namespace {

// One file's entries of one terminal in rising index order: read straight
// from a file whose indices rise, else from its sorted entries.
class DiffSide
{
public:
    DiffSide(const QString &path, const SortedEntries *sorted) : m_path(path), m_sorted(sorted) {}
    bool open(const QString &terminal)
    {
        if (m_sorted) {
            m_cursor = m_sorted->entriesOf(terminal);
            return m_cursor.error().isEmpty();
        }
        return m_reader.open(m_path, terminal);
    }
    EntryReader::Step next(DiffEntry &entry)
    {
        return m_sorted ? m_cursor.next(entry) : m_reader.next(entry);
    }
    QString error() const { return m_sorted ? m_cursor.error() : m_reader.error(); }

private:
    QString m_path;
    const SortedEntries *m_sorted;
    EntryReader m_reader;
    SortedEntries::Cursor m_cursor;
};

} // namespace

int DiffCommand(const QString &a, const QString &b, FieldMask ignored, const Output &out,
                const SortLimits &limits)
{
    // First pass: the terminals of both files, and whether each file's
    // indices rise within every terminal, as the plain merge needs them.
    QStringList terminals;
    bool rising[2] = {true, true};
    for (int side = 0; side < 2; ++side) {
        const QString &path = side == 0 ? a : b;
        EntryReader reader;
        if (!reader.open(path, std::nullopt)) {
            Complain(reader.error());
            return kExitTrouble;
        }
        DiffEntry entry;
        EntryReader::Step step;
        while ((step = reader.next(entry)) == EntryReader::Step::Entry) {
        }
        if (step == EntryReader::Step::Failed) {
            Complain(reader.error());
            return kExitTrouble;
        }
        rising[side] = reader.rising();
        for (const QString &t : reader.terminals()) {
            if (!terminals.contains(t))
                terminals << t;
        }
        if (terminals.size() > EntryReader::kMaxTerminals) {
            Complain(QStringLiteral("the two files name more than %1 terminals")
                         .arg(EntryReader::kMaxTerminals));
            return kExitTrouble;
        }
    }
    std::sort(terminals.begin(), terminals.end());
    // A file delivered again in part is sorted on disk first.
    SortedEntries sorted[2];
    for (int side = 0; side < 2; ++side) {
        if (!rising[side] && !sorted[side].build(side == 0 ? a : b, terminals, limits)) {
            Complain(sorted[side].error());
            return kExitTrouble;
        }
    }

    const QList<TableColumn> columns{
        {QStringLiteral("difference"), 9, false}, {QStringLiteral("terminal"), 9, false},
        {QStringLiteral("index"), 11, true},      {QStringLiteral("field"), 13, false},
        {QStringLiteral("A"), 11, true},          {QStringLiteral("B"), 11, true},
    };
    TextOut text(stdout);
    bool headerWritten = false;
    const auto row = [&](const QStringList &cells) {
        if (!headerWritten) {
            headerWritten = true;
            QStringList header;
            for (const TableColumn &c : columns)
                header << c.header;
            text.line(TableLine(columns, header, out.aligned));
        }
        text.line(TableLine(columns, cells, out.aligned));
    };
    const auto record = [](qint64 n) { return QStringLiteral("record %1").arg(n); };

    qint64 same = 0, onlyA = 0, onlyB = 0, differ = 0;
    for (const QString &terminal : terminals) {
        DiffSide ra(a, rising[0] ? nullptr : &sorted[0]);
        DiffSide rb(b, rising[1] ? nullptr : &sorted[1]);
        if (!ra.open(terminal) || !rb.open(terminal)) {
            text.finish();
            Complain(ra.error().isEmpty() ? rb.error() : ra.error());
            return kExitTrouble;
        }
        DiffEntry ea, eb;
        EntryReader::Step sa = ra.next(ea);
        EntryReader::Step sb = rb.next(eb);
        const QString name = DisplayName(terminal);
        while (sa == EntryReader::Step::Entry || sb == EntryReader::Step::Entry) {
            const bool takeA = sa == EntryReader::Step::Entry
                               && (sb != EntryReader::Step::Entry || ea.index <= eb.index);
            const bool takeB = sb == EntryReader::Step::Entry
                               && (sa != EntryReader::Step::Entry || eb.index <= ea.index);
            if (takeA && takeB) {
                const QList<EntryField> fields = DifferingFields(ea, eb, ignored);
                if (fields.isEmpty())
                    ++same;
                else
                    ++differ;
                for (EntryField f : fields) {
                    row({QStringLiteral("differs"), name, QString::number(ea.index),
                         EntryFieldName(f), FieldText(ea.values[size_t(f)]),
                         FieldText(eb.values[size_t(f)])});
                }
            } else if (takeA) {
                ++onlyA;
                row({QStringLiteral("only in A"), name, QString::number(ea.index), QString(),
                     record(ea.record), QString()});
            } else {
                ++onlyB;
                row({QStringLiteral("only in B"), name, QString::number(eb.index), QString(),
                     QString(), record(eb.record)});
            }
            if (takeA)
                sa = ra.next(ea);
            if (takeB)
                sb = rb.next(eb);
        }
        if (sa == EntryReader::Step::Failed || sb == EntryReader::Step::Failed) {
            text.finish();
            Complain(sa == EntryReader::Step::Failed ? ra.error() : rb.error());
            return kExitTrouble;
        }
    }
    if (!text.finish())
        return kExitTrouble;
    Complain(QStringLiteral("%1 alike, %2 differ, %3 only in A, %4 only in B")
                 .arg(same)
                 .arg(differ)
                 .arg(onlyA)
                 .arg(onlyB));
    return differ + onlyA + onlyB == 0 ? kExitOk : kExitNo;
}

} // namespace capturetool
