#include "command_line.h"

#include "headless_report.h"
#include "name_bytes.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kReport = QStringLiteral("report");
const QString kFormat = QStringLiteral("format");
const QString kOutput = QStringLiteral("output");
const QString kSubset = QStringLiteral("subset");

// The names a script gives the subsets, in the order of the option buttons:
// the window's captions.
constexpr std::pair<const char*, Subset> kSubsetNames[] = {
    {"all", Subset::AllCharacters},
    {"A-Z", Subset::UpperCaseOnly},
    {"printable", Subset::PrintableOnly},
};

// What --format takes; the report is the one a person reads.
struct FormatName {
    const char* name;
    std::optional<MachineFormat> machine; // none: the report
};
constexpr FormatName kFormatNames[] = {
    {"report", std::nullopt},
    {"json", MachineFormat::Json},
    {"csv", MachineFormat::Csv},
    {"tsv", MachineFormat::Tsv},
};

// Qt's own options for windows: QApplication reads them later, so they must
// not count as unknown here.
void acceptQtWindowOptions(QCommandLineParser& parser)
{
    for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin", "display",
                             "style", "stylesheet", "qwindowgeometry", "qwindowicon",
                             "qwindowtitle", "geometry", "title", "name", "session"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

CommandLine misuse(const QString& error)
{
    CommandLine command;
    command.action = CommandLine::Action::Misused;
    command.error = error;
    return command;
}

std::optional<Subset> subsetNamed(const QString& name)
{
    for (const auto& [known, subset] : kSubsetNames)
        if (name == QLatin1String(known))
            return subset;
    return std::nullopt;
}

const FormatName* formatNamed(const QString& name)
{
    for (const FormatName& format : kFormatNames)
        if (name == QLatin1String(format.name))
            return &format;
    return nullptr;
}

// Text that names files carries their bytes (see textOfBytes): written as
// those bytes.
void print(std::FILE* stream, const QString& text)
{
    std::fputs(bytesOfText(text).constData(), stream);
    std::fflush(stream);
}

void sayOnStandardError(const QString& line)
{
    print(stderr, QStringLiteral("tallivor: ") + line + u'\n');
}

// The subset, the format, the destination and the sources of a command line
// that writes without a window.
CommandLine withoutWindow(const QCommandLineParser& parser, const QList<QByteArray>& files)
{
    const bool report = parser.isSet(kReport);
    if (report && parser.isSet(kOutput))
        return misuse(QStringLiteral("--report DEST is --format report --output DEST: give one of them."));
    const FormatName* format = &kFormatNames[0];
    if (parser.isSet(kFormat)) {
        format = formatNamed(parser.value(kFormat));
        if (!format)
            return misuse(QStringLiteral("Unknown format '%1': use report, json, csv or tsv.")
                              .arg(parser.value(kFormat)));
        if (report && format->machine)
            return misuse(QStringLiteral("--report writes the report format: use --output DEST with --format %1.")
                              .arg(parser.value(kFormat)));
    }
    CommandLine command;
    if (parser.isSet(kSubset)) {
        const QString name = parser.value(kSubset);
        if (name == QLatin1String("a-z"))
            return misuse(QStringLiteral("The subset 'a-z' holds the upper-case letters only: it is spelled A-Z."));
        const auto subset = subsetNamed(name);
        if (!subset)
            return misuse(QStringLiteral("Unknown subset '%1': use all, A-Z or printable.").arg(name));
        command.subset = *subset;
    }
    command.destination = report ? parser.value(kReport)
                                 : parser.isSet(kOutput) ? parser.value(kOutput) : QStringLiteral("-");
    // Files are written by their names as text, which cannot keep a byte
    // outside UTF-8: such a name would be written as another.
    if (QString::fromUtf8(bytesOfText(command.destination)) != command.destination)
        return misuse(QStringLiteral("The name of DEST is not UTF-8: give one that is."));
    if (!format->machine) {
        if (files.size() != 1)
            return misuse(report ? QStringLiteral("--report needs exactly one SOURCE file.")
                                 : QStringLiteral("--format report needs exactly one SOURCE file."));
        command.action = CommandLine::Action::WriteReport;
    } else {
        if (files.isEmpty())
            return misuse(QStringLiteral("--format %1 needs a SOURCE file, or - for standard input.")
                              .arg(QLatin1String(format->name)));
        if (files.count("-") > 1)
            return misuse(QStringLiteral("Standard input (-) can be read only once."));
        command.action = CommandLine::Action::WriteFormat;
        command.format = *format->machine;
    }
    command.sources = files;
    return command;
}

} // namespace

void guardStandardStreams()
{
    // In ascending order, so that each open takes the number just found free.
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (::fcntl(stream, F_GETFD) == -1)
            ::open("/dev/null", O_RDONLY);
}

QList<QByteArray> argumentsOf(int argc, const char* const* argv)
{
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

CommandLine parseCommandLine(const QList<QByteArray>& arguments)
{
    QStringList texts;
    for (const QByteArray& argument : arguments)
        texts << textOfBytes(argument);
    QCommandLineParser parser;
    // "-platform xcb" is Qt's spelling; "-h" and "-v" stay short options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOptions({help, version});
    parser.addOption(QCommandLineOption(kReport, QString(), QStringLiteral("DEST")));
    parser.addOption(QCommandLineOption(kFormat, QString(), QStringLiteral("FORMAT")));
    parser.addOption(QCommandLineOption(kOutput, QString(), QStringLiteral("DEST")));
    parser.addOption(QCommandLineOption(kSubset, QString(), QStringLiteral("SUBSET")));
    acceptQtWindowOptions(parser);

    if (!parser.parse(texts))
        return misuse(parser.errorText());
    CommandLine command;
    if (parser.isSet(help)) {
        command.action = CommandLine::Action::ShowHelp;
        return command;
    }
    if (parser.isSet(version)) {
        command.action = CommandLine::Action::ShowVersion;
        return command;
    }
    QList<QByteArray> files;
    for (const QString& file : parser.positionalArguments())
        files << bytesOfText(file);
    if (parser.isSet(kReport) || parser.isSet(kFormat) || parser.isSet(kOutput))
        return withoutWindow(parser, files);
    if (parser.isSet(kSubset))
        return misuse(QStringLiteral("--subset goes with --report or --format only."));
    if (files.size() > 1)
        return misuse(QStringLiteral("Only one FILE can be opened."));
    command.sources = files;
    return command;
}

QString shortUsage()
{
    return QStringLiteral(
        "Usage: tallivor [FILE]\n"
        "       tallivor --report DEST [--subset all|A-Z|printable] SOURCE\n"
        "       tallivor --format report|json|csv|tsv [--subset all|A-Z|printable]\n"
        "                [--output DEST] SOURCE...\n");
}

QString helpText()
{
    return shortUsage() + QStringLiteral(
        "\n"
        "Counts how often each of the 256 byte values occurs in a file.\n"
        "\n"
        "Without arguments the window opens; with FILE it opens and counts FILE\n"
        "at once, as \"Calculate Frequencies\" does.\n"
        "\n"
        "Options:\n"
        "  --report DEST    Write the frequency report of SOURCE to DEST without a\n"
        "                   window: the bytes \"Save Frequencies\" writes. The same\n"
        "                   as --format report --output DEST.\n"
        "  --format FORMAT  Write without a window, to standard output or DEST:\n"
        "                   report (the default) the frequency report of one\n"
        "                   SOURCE, of at most its first 2100000000 bytes;\n"
        "                   json (one line a SOURCE), csv or tsv (256 rows a\n"
        "                   SOURCE) the counts and frequencies of every SOURCE,\n"
        "                   whole, JSON with entropy, chi-square, mean, Monte\n"
        "                   Carlo pi and serial correlation as ent computes them.\n"
        "  --output DEST    Where --format writes; an existing DEST is replaced,\n"
        "                   DEST - is standard output (the default).\n"
        "  --subset SUBSET  Count all bytes (all, the default), the upper-case\n"
        "                   letters (A-Z) or the printable ones (printable).\n"
        "  -h, --help       Show this help and end.\n"
        "  -v, --version    Show the version and end.\n"
        "\n"
        "A SOURCE of - is standard input.\n"
        "\n"
        "Exit status:\n"
        "  0  done\n"
        "  1  a SOURCE is missing or unreadable, DEST cannot be written, or no\n"
        "     display could be opened for the window\n"
        "  2  the command line is wrong\n"
        "  3  the report is written, of the first 2100000000 bytes of SOURCE only\n");
}

QString versionText()
{
    return QStringLiteral("tallivor 1.00\n");
}

std::optional<int> runWithoutWindow(const CommandLine& command)
{
    switch (command.action) {
    case CommandLine::Action::OpenWindow:
        return std::nullopt;
    case CommandLine::Action::ShowHelp:
        print(stdout, helpText());
        return 0;
    case CommandLine::Action::ShowVersion:
        print(stdout, versionText());
        return 0;
    case CommandLine::Action::Misused:
        sayOnStandardError(command.error);
        print(stderr, shortUsage() + QStringLiteral("Try 'tallivor --help' for more.\n"));
        return 2;
    case CommandLine::Action::WriteReport:
        return writeReportWithoutWindow({command.sources.value(0), command.destination, command.subset},
                                        sayOnStandardError);
    case CommandLine::Action::WriteFormat:
        return writeFormatWithoutWindow({command.format, command.sources, command.destination, command.subset},
                                        sayOnStandardError);
    }
    return 2;
}

QByteArray noDisplayLine()
{
    return "tallivor: No display could be opened for the window: set DISPLAY (X11) or "
           "WAYLAND_DISPLAY (Wayland), or QT_QPA_PLATFORM (offscreen for none).\n";
}
