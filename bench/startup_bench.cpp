// One start of a window, timed by whoever runs it: the process shows either
// the main window or a bare widget of the same size, waits until the first
// paint has reached the display and ends at once. bench/startup-ratio runs
// both in turn and compares them.
#include "address_opener.h"
#include "common_dialog.h"
#include "fonts.h"
#include "frm_main.h"
#include "message_box.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

// Ends the process once the widget's first paint has been sent to the display.
class EndAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, [] {
                QGuiApplication::sync();
                std::fflush(nullptr);
                ::_exit(0);
            }, Qt::QueuedConnection);
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    const bool bare = argc > 1 && std::strcmp(argv[1], "bare") == 0;
    if (!bare)
        readFontConfigurationAhead(); // as the program does
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    installFontSubstitutions();

    QtMessageBox messageBox;
    QtOpenFilePrompt filePrompt;
    DesktopAddressOpener addressOpener;
    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
        window->setFixedSize(863, 680);
    } else {
        window = std::make_unique<frmMain>(WindowServices{messageBox, filePrompt, addressOpener});
    }
    EndAfterFirstPaint ender;
    window->installEventFilter(&ender);
    window->show();
    return app.exec();
}
