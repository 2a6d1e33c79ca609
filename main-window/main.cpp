#include "address_opener.h"
#include "common_dialog.h"
#include "fonts.h"
#include "frm_main.h"
#include "message_box.h"
#include "report_file.h"
#include "termination_signals.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    ignoreWriteSignals();
    installTerminationSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tallivor"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    // Lets the desktop match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quorvex.tallivor"));
    // One look on every desktop, so the designed layout holds.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    installFontSubstitutions();
    keepNoDialogHistory();

    QtMessageBox messageBox;
    QtOpenFilePrompt filePrompt;
    DesktopAddressOpener addressOpener;
    frmMain window({messageBox, filePrompt, addressOpener});
    window.show();
    return app.exec();
}
