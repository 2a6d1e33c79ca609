#include "command_line.h"

#include "headless_report.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kReport = QStringLiteral("report");
const QString kSubset = QStringLiteral("subset");

// The names a script gives the subsets, in the order of the option buttons.
constexpr std::pair<const char*, Subset> kSubsetNames[] = {
    {"all", Subset::AllCharacters},
    {"a-z", Subset::UpperCaseOnly},
    {"printable", Subset::PrintableOnly},
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

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

void sayOnStandardError(const QString& line)
{
    print(stderr, QStringLiteral("tallivor: ") + line + u'\n');
}

} // namespace

void guardStandardStreams()
{
    // In ascending order, so that each open takes the number just found free.
    for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (::fcntl(stream, F_GETFD) == -1)
            ::open("/dev/null", O_RDONLY);
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-platform xcb" is Qt's spelling; "-h" and "-v" stay short options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOptions({help, version});
    parser.addOption(QCommandLineOption(kReport, QString(), QStringLiteral("DEST")));
    parser.addOption(QCommandLineOption(kSubset, QString(), QStringLiteral("SUBSET")));
    acceptQtWindowOptions(parser);

    if (!parser.parse(arguments))
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
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(kSubset)) {
        if (!parser.isSet(kReport))
            return misuse(QStringLiteral("--subset goes with --report only."));
        const auto subset = subsetNamed(parser.value(kSubset));
        if (!subset)
            return misuse(QStringLiteral("Unknown subset '%1': use all, a-z or printable.")
                              .arg(parser.value(kSubset)));
        command.subset = *subset;
    }
    if (parser.isSet(kReport)) {
        if (files.size() != 1)
            return misuse(QStringLiteral("--report needs exactly one SOURCE file."));
        command.action = CommandLine::Action::WriteReport;
        command.destination = parser.value(kReport);
    } else if (files.size() > 1) {
        return misuse(QStringLiteral("Only one FILE can be opened."));
    }
    if (!files.isEmpty())
        command.source = files.front();
    return command;
}

QString shortUsage()
{
    return QStringLiteral("Usage: tallivor [FILE]\n"
                          "       tallivor --report DEST [--subset all|a-z|printable] SOURCE\n");
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
        "                   window: the bytes \"Save Frequencies\" writes. An existing\n"
        "                   DEST is replaced; DEST - is standard output.\n"
        "  --subset SUBSET  Count all bytes (all, the default), the letters A to Z\n"
        "                   (a-z) or the printable ones (printable).\n"
        "  -h, --help       Show this help and end.\n"
        "  -v, --version    Show the version and end.\n"
        "\n"
        "Exit status:\n"
        "  0  done; a report is written also when only the first 2100000000 bytes\n"
        "     of SOURCE could be counted\n"
        "  1  SOURCE is missing or unreadable, DEST cannot be written, or no\n"
        "     display could be opened for the window\n"
        "  2  the command line is wrong\n");
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
        return writeReportWithoutWindow(
            {command.source.value_or(QString()), command.destination, command.subset},
            sayOnStandardError);
    }
    return 2;
}

QByteArray noDisplayLine()
{
    return "tallivor: No display could be opened for the window: set DISPLAY (X11) or "
           "WAYLAND_DISPLAY (Wayland), or QT_QPA_PLATFORM (offscreen for none).\n";
}
