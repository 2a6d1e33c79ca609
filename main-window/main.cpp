#include "accessibility_factory.h"
#include "address_opener.h"
#include "calculate_at_start.h"
#include "command_line.h"
#include "common_dialog.h"
#include "display.h"
#include "fonts.h"
#include "frm_main.h"
#include "message_box.h"
#include "report_file.h"
#include "termination_signals.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace {

void nameTheProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tallivor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));
}

} // namespace

int main(int argc, char* argv[])
{
    guardStandardStreams();
    ignoreWriteSignals();
    installTerminationSignals();
    CommandLine command;
    {
        // Options, help and the report need no display: nothing opens one
        // before they have been dealt with.
        const QCoreApplication core(argc, argv);
        nameTheProgram();
        // The bytes themselves: a name that is not UTF-8 must still name its file.
        command = parseCommandLine(argumentsOf(argc, argv));
        if (const auto status = runWithoutWindow(command))
            return *status;
    }

    readFontConfigurationAhead();
    const auto app = openDisplay(argc, argv, noDisplayLine());
    nameTheProgram();
    // Lets the desktop match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quorvex.tallivor"));
    // One look on every desktop, so the designed layout holds.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    installFontSubstitutions();
    installAccessibility();
    keepNoDialogHistory();

    QtMessageBox messageBox;
    QtOpenFilePrompt filePrompt;
    DesktopAddressOpener addressOpener;
    frmMain window({messageBox, filePrompt, addressOpener});
    window.show();
    if (!command.sources.isEmpty())
        calculateAtStart(window, command.sources.front());
    return QApplication::exec();
}
