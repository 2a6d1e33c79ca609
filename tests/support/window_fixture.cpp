#include "window_fixture.h"

#include <fstream>
#include <stdlib.h>

void WindowTest::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tallivor-window-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    window = std::make_unique<frmMain>(WindowServices{messages, files, links});
}

void WindowTest::TearDown()
{
    window.reset();
    std::filesystem::remove_all(dir);
}

QString WindowTest::writeFile(const std::string& name, const std::string& bytes) const
{
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return QString::fromStdString(path.string());
}

void WindowTest::calculate(const QString& path, int subset)
{
    window->txtSourceFile->setText(path);
    window->optSubset(static_cast<std::int16_t>(subset)).setChecked(true);
    window->btnCalcFrequency_Click();
}
