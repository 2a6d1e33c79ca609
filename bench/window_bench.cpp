// Measures the main window: how long it takes from construction to its
// first full paint, and what filling the display adds to a calculation over
// the time of counting alone, on the same cached file in the same run.
#include "address_opener.h"
#include "common_dialog.h"
#include "fonts.h"
#include "frm_main.h"
#include "message_box.h"
#include "source_file.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

struct SilentBox : MessageBox {
    Answer MsgBox(QWidget*, const QString&, Buttons) override { return Answer::Ok; }
};
struct NoPrompt : OpenFilePrompt {
    std::optional<QString> askForFile(QWidget*, const QString&, const QString&) override { return {}; }
};
struct NoOpener : AddressOpener {
    void open(QWidget*, const QString&) override {}
};

template <class Work>
double secondsOf(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string writeFile(const std::filesystem::path& dir, std::size_t size)
{
    const std::string path = (dir / "source").string();
    std::vector<unsigned char> block(8u << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<unsigned char>((i * 2654435761u) >> 13);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    for (std::size_t written = 0; written < size; written += block.size())
        if (::write(fd, block.data(), block.size()) < 0)
            break;
    ::close(fd);
    return path;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installFontSubstitutions();
    SilentBox box;
    NoPrompt prompt;
    NoOpener opener;

    std::unique_ptr<frmMain> window;
    const double construct = secondsOf([&] { window = std::make_unique<frmMain>(WindowServices{box, prompt, opener}); });
    const double firstPaint = secondsOf([&] { (void)window->grab(); });
    std::printf("start-up: window built in %.1f ms, first full paint %.1f ms\n", construct * 1e3,
                firstPaint * 1e3);

    const auto dir = std::filesystem::temp_directory_path() / ("tallivor-window-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = writeFile(dir, std::size_t{2000} << 20);
    window->txtSourceFile->setText(QString::fromStdString(path));
    FrequencyState warm;
    readSourceFile(path, warm); // into the cache

    double counting = 1e9;
    double calculation = 1e9;
    for (int round = 0; round < 3; ++round) {
        counting = std::min(counting, secondsOf([&] {
            FrequencyState state;
            readSourceFile(path, state);
        }));
        calculation = std::min(calculation, secondsOf([&] {
            window->btnCalcFrequency_Click();
            (void)window->grab();
        }));
    }
    std::printf("counting alone %.3f s, calculation with display fill and paint %.3f s\n", counting,
                calculation);
    std::printf("ratio calculation/counting %.3f\n", calculation / counting);
    std::filesystem::remove_all(dir);
}
