// velmora-capture: reads, checks, converts and compares capture files
// without the window or a terminal.
#include "capturetool/Commands.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace capturetool;

namespace {

const char *const kTool = "velmora-capture";

struct Command
{
    const char *name;
    const char *files;     // the positional arguments
    const char *arguments; // as the tool's help shows them
    const char *summary;
};

constexpr Command kCommands[] = {
    {"list", "FILE", "FILE", "One line per record: its number, terminal, index, date, seconds, card "
                     "code, aux1, justification and presence."},
    {"verify", "FILE", "FILE", "Reads every record as a restore does and sums the file up. Exit "
                       "status 0 for a whole file, 1 for a malformed one, 2 for a file that "
                       "cannot be read."},
    {"csv", "FILE", "FILE [-o OUT] [--seconds-only]", "The records as CSV (RFC 4180, UTF-8) with a header row."},
    {"from-csv", "IN.csv", "IN.csv -o OUT", "Capture records from a CSV file as csv writes it; a row that "
                           "cannot become a record stops it with its line number, and "
                           "nothing is written."},
    {"diff", "A B", "A B [--ignore FIELD]...", "Compares the entries of two capture files by terminal and index. Exit "
                    "status 0 when they hold the same entries, 1 when they differ."},
};

// Qt's own diagnostics are not for the technician; the commands say what
// went wrong themselves.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        Complain(message);
        std::abort();
    }
}

// Words wrapped to lines of at most 78 characters, each indented.
QString wrapped(const QString &text, int indent)
{
    QString out;
    QString line;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > 78) {
            out += QString(indent, u' ') + line + u'\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        out += QString(indent, u' ') + line + u'\n';
    return out;
}

QString toolHelp()
{
    QString text = QStringLiteral("Usage: %1 COMMAND [options] ...\n"
                                  "Reads, checks, converts and compares capture files.\n\n"
                                  "Commands:\n")
                       .arg(QLatin1String(kTool));
    for (const Command &c : kCommands)
        text += QStringLiteral("  %1 %2\n%3")
                    .arg(QLatin1String(c.name), QLatin1String(c.arguments),
                         wrapped(QLatin1String(c.summary), 6));
    text += QStringLiteral("\nOptions:\n  -h, --help     This help; COMMAND --help for a command.\n"
                           "  -v, --version  The version.\n\n"
                           "Exit status 2: a file cannot be read or written, or the command "
                           "line is wrong.\n");
    return text;
}

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int usage(const QString &problem, const QString &command)
{
    Complain(problem);
    print(stderr, QStringLiteral("Try '%1 %2--help'.\n")
                      .arg(QLatin1String(kTool),
                           command.isEmpty() ? QString() : command + u' '));
    return kExitTrouble;
}

int runCommand(const Command &command, QStringList args)
{
    const QString name = QLatin1String(command.name);
    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(command.summary));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("This help."));
    parser.addOption(help);
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write to OUT (written whole under a "
                                                   "temporary name, then renamed)."),
                                    QStringLiteral("OUT"));
    const QCommandLineOption secondsOnly(QStringLiteral("seconds-only"),
                                         QStringLiteral("Leave the date column out."));
    const QCommandLineOption ignore(
        QStringLiteral("ignore"),
        QStringLiteral("Do not compare FIELD (repeatable): %1. origin is orValue, which a "
                       "restore changes.")
            .arg(EntryFieldNames().join(QStringLiteral(", "))),
        QStringLiteral("FIELD"));
    int positional = 1;
    if (name == QLatin1String("csv")) {
        parser.addOption(output);
        parser.addOption(secondsOnly);
    } else if (name == QLatin1String("from-csv")) {
        parser.addOption(output);
    } else if (name == QLatin1String("diff")) {
        parser.addOption(ignore);
        positional = 2;
    }
    for (const QString &a : QString::fromLatin1(command.files).split(u' '))
        parser.addPositionalArgument(a, a == QLatin1String("IN.csv")
                                            ? QStringLiteral("A CSV file as csv writes it.")
                                            : QStringLiteral("A capture file."));

    args.prepend(QStringLiteral("%1 %2").arg(QLatin1String(kTool), name));
    if (!parser.parse(args))
        return usage(parser.errorText(), name);
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        // The usage line names the command, not the path the tool was run by.
        const qsizetype options = text.indexOf(QLatin1String(" [options]"));
        if (text.startsWith(QLatin1String("Usage: ")) && options > 0)
            text.replace(7, options - 7, QStringLiteral("%1 %2").arg(QLatin1String(kTool), name));
        print(stdout, text);
        return kExitOk;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != positional)
        return usage(QStringLiteral("%1 takes %2").arg(name, QLatin1String(command.files)),
                     name);

    Output out;
#ifdef Q_OS_WIN
    // Only a console: _isatty() also says yes for NUL and other devices.
    DWORD mode = 0;
    out.aligned = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
#else
    out.aligned = ::isatty(STDOUT_FILENO) == 1;
#endif
    if (name == QLatin1String("list"))
        return ListCommand(files[0], out);
    if (name == QLatin1String("verify"))
        return VerifyCommand(files[0]);
    if (name == QLatin1String("csv"))
        return CsvCommand(files[0], parser.value(output), !parser.isSet(secondsOnly));
    if (name == QLatin1String("from-csv")) {
        if (parser.value(output).isEmpty())
            return usage(QStringLiteral("from-csv needs -o OUT"), name);
        return FromCsvCommand(files[0], parser.value(output));
    }
    FieldMask ignored = 0;
    for (const QString &value : parser.values(ignore)) {
        for (const QString &field : value.split(u',', Qt::SkipEmptyParts)) {
            const auto f = EntryFieldNamed(field.trimmed());
            if (!f)
                return usage(QStringLiteral("diff cannot ignore \"%1\"; the fields are %2")
                                 .arg(field, EntryFieldNames().join(QStringLiteral(", "))),
                             name);
            ignored |= MaskOf(*f);
        }
    }
    return DiffCommand(files[0], files[1], ignored, out);
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietMessages);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(kTool));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty())
        return usage(QStringLiteral("no command given"), QString());
    const QString first = args.takeFirst();
    if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
        print(stdout, toolHelp());
        return kExitOk;
    }
    if (first == QLatin1String("-v") || first == QLatin1String("--version")) {
        print(stdout, QStringLiteral("%1 %2\n").arg(QLatin1String(kTool),
                                                    QCoreApplication::applicationVersion()));
        return kExitOk;
    }
    for (const Command &c : kCommands) {
        if (first == QLatin1String(c.name))
            return runCommand(c, args);
    }
    return usage(QStringLiteral("unknown command \"%1\"").arg(first), QString());
}
