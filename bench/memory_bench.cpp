// Measures resident memory over many message boxes and many calculate-and-
// save cycles, on the display it is given (a virtual X display shows what
// the window system keeps; offscreen when there is none). Every box is the
// real one, answered by pressing its first button as soon as it is shown.
#include "address_opener.h"
#include "common_dialog.h"
#include "fonts.h"
#include "frm_main.h"
#include "message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

struct NoPrompt : OpenFilePrompt {
    std::optional<QString> askForFile(QWidget*, const QString&, const QString&) override { return {}; }
};
struct NoOpener : AddressOpener {
    void open(QWidget*, const QString&) override {}
};

double residentMegabytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// Presses the first button of whatever message box is up, once the window
// system has shown it and it has been painted, as a user would.
void answerEveryBox(QTimer& timer)
{
    QObject::connect(&timer, &QTimer::timeout, [] {
        static QPointer<QMessageBox> seen;
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->windowHandle() || !box->windowHandle()->isExposed())
            return;
        if (seen != box) {
            seen = box; // painted by the next round
            return;
        }
        box->buttons().front()->click();
    });
    timer.start(10);
}

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform says this of every box.
void dropSizeHintWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (!text.contains(QLatin1String("propagateSizeHints")))
        defaultHandler(type, context, text);
}

// Resident memory after a warm-up of a quarter of the rounds and after all.
template <class Round>
void measure(const char* what, int rounds, Round round)
{
    const int warmUp = rounds / 4;
    for (int i = 0; i < warmUp; ++i)
        round(i);
    const double before = residentMegabytes();
    for (int i = warmUp; i < rounds; ++i)
        round(i);
    const double after = residentMegabytes();
    std::printf("%s: %d rounds, resident %.1f MB after %d, %.1f MB after %d: growth %.2f MB\n", what,
                rounds, before, warmUp, after, rounds, after - before);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(dropSizeHintWarnings);
    QApplication app(argc, argv);
    // The program's own look, as main() sets it up.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    installFontSubstitutions();
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    QTimer answerer;
    answerEveryBox(answerer);

    QtMessageBox boxes;
    NoPrompt prompt;
    NoOpener opener;
    frmMain window(WindowServices{boxes, prompt, opener});
    window.show();
    QApplication::processEvents();

    // Before any calculation, with the destination box as it starts: the
    // empty-dataset question, answered Yes, then the message that a
    // destination is wanted.
    measure("message boxes", 200, [&](int i) {
        if (i % 2 == 0)
            window.btnSaveFrequencies->click();
    });

    const auto dir = std::filesystem::temp_directory_path() / ("tallivor-memory-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "source") << std::string(100'000, 'A') << "Hello";
    window.txtSourceFile->setText(QString::fromStdString((dir / "source").string()));
    window.txtDestinationFile->setText(QString::fromStdString((dir / "report.txt").string()));
    // From the second save on, the overwrite question is asked and answered Yes.
    measure("calculate and save", 300, [&](int) {
        window.btnCalcFrequency_Click();
        window.btnSaveFrequencies_Click();
    });
    std::filesystem::remove_all(dir);
}
