#pragma once
// A temporary folder set up as a technician would: the trace library as
// libKestCom.so, and the real library (if any) beside it under its second
// name. Each folder's copy loads as a library of its own, with fresh state.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <dlfcn.h>

class TraceFolder
{
public:
    explicit TraceFolder(const QString &realLibrary = {}) : m_dir(root() + "/XXXXXX")
    {
        // Left in place until the program's next run: the leak check at exit
        // trips over loaded libraries whose files are gone.
        m_dir.setAutoRemove(false);
        m_ok = m_dir.isValid()
               && QFile::copy(QStringLiteral(KESTCOM_TRACE_PATH), path("libKestCom.so"))
               && (realLibrary.isEmpty()
                   || QFile::copy(realLibrary, path("libKestCom.real.so")));
    }

    bool ok() const { return m_ok; }
    QString folder() const { return m_dir.path(); }
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QString traceFile() const { return path("KestCom.trace.txt"); }

    // The trace library, opened as the program's binding opens it.
    bool open()
    {
        m_trace = dlopen(QFile::encodeName(path("libKestCom.so")).constData(),
                         RTLD_NOW | RTLD_LOCAL);
        return m_trace != nullptr;
    }
    template <typename Fn>
    Fn op(const char *name) const
    {
        return reinterpret_cast<Fn>(dlsym(m_trace, name));
    }

    // A function of the real library, once the trace has loaded it.
    template <typename Fn>
    Fn real(const char *name) const
    {
        void *handle = dlopen(QFile::encodeName(path("libKestCom.real.so")).constData(),
                              RTLD_NOW | RTLD_NOLOAD);
        return handle ? reinterpret_cast<Fn>(dlsym(handle, name)) : nullptr;
    }

private:
    // One folder per test program in the build tree, emptied on first use.
    static QString root()
    {
        static const QString folder = [] {
            QDir dir(QStringLiteral(KESTCOM_TEST_FOLDERS "/")
                     + QCoreApplication::applicationName());
            dir.removeRecursively();
            dir.mkpath(QStringLiteral("."));
            return dir.path();
        }();
        return folder;
    }

    QTemporaryDir m_dir;
    bool m_ok = false;
    void *m_trace = nullptr; // never closed: the trace keeps the real library loaded
};

// One line of the trace, split into its columns.
struct TraceRecord
{
    QString time, thread, operation, result, duration, note;
    QStringList args;
};

// Every line after the header; *header gets the first line. A line that
// lacks its newline or the fixed columns comes back with an empty operation.
inline QList<TraceRecord> readTrace(const QString &fileName, QString *header = nullptr)
{
    QFile file(fileName);
    QList<TraceRecord> records;
    if (!file.open(QIODevice::ReadOnly))
        return records;
    // Latin-1 keeps each byte one character; the trace itself is ASCII.
    const QString text = QString::fromLatin1(file.readAll());
    QStringList lines = text.split(u'\n');
    const bool ended = lines.last().isEmpty();
    if (ended)
        lines.removeLast();
    if (lines.isEmpty())
        return records;
    if (header)
        *header = lines.takeFirst();
    else
        lines.removeFirst();
    for (const QString &line : lines) {
        QStringList fields = line.split(u'\t');
        TraceRecord r;
        if (fields.size() >= 6) {
            r.time = fields[0];
            r.thread = fields[1];
            r.operation = fields[2];
            r.result = fields[3];
            r.duration = fields[4];
            r.note = fields[5];
            r.args = fields.mid(6);
        }
        records << r;
    }
    if (!ended && !records.isEmpty())
        records.last().operation.clear();
    return records;
}

inline const char *kTraceHeader = "time\tthread\toperation\tresult\tduration_us\tnote\targuments";
