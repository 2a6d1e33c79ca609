#include "window_fixture.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <filesystem>

namespace {

using FileSelectionTest = WindowTest;

TEST_F(FileSelectionTest, ACancelPutsTheLastConfirmedNameBack)
{
    window->btnSelectDestination_Click(); // cancelled before any choice
    EXPECT_EQ(window->txtDestinationFile->text(), "");

    const QString fresh = QString::fromStdString((dir / "new-report.txt").string());
    files.answers = {fresh};
    window->btnSelectDestination_Click();
    EXPECT_EQ(window->txtDestinationFile->text(), fresh);
    EXPECT_FALSE(std::filesystem::exists(dir / "new-report.txt")); // only a save creates it

    window->txtDestinationFile->setText(QStringLiteral("typed by hand"));
    EXPECT_EQ(window->cdbDestinationFile.FileName, fresh);
    window->btnSelectDestination_Click(); // cancelled
    EXPECT_EQ(window->txtDestinationFile->text(), fresh);
    EXPECT_EQ(files.titles, (std::vector<QString>{"Destination File", "Destination File",
                                                  "Destination File"}));
}

TEST_F(FileSelectionTest, TheTwoDialogsRememberSeparately)
{
    files.answers = {QStringLiteral("/data/source.bin"), std::nullopt,
                     QStringLiteral("/data/report.txt"), std::nullopt};
    window->btnSelectSource_Click();
    window->btnSelectDestination_Click();
    EXPECT_EQ(window->txtSourceFile->text(), "/data/source.bin");
    EXPECT_EQ(window->txtDestinationFile->text(), "");

    window->btnSelectDestination_Click();
    window->btnSelectSource_Click();
    EXPECT_EQ(window->txtSourceFile->text(), "/data/source.bin");
    EXPECT_EQ(window->txtDestinationFile->text(), "/data/report.txt");
    EXPECT_EQ(files.titles, (std::vector<QString>{"Source File", "Destination File",
                                                  "Destination File", "Source File"}));
}

TEST(DialogHistoryTest, IsNeitherKeptNorReadBack)
{
    keepNoDialogHistory();
    {
        QSettings dialogSettings(QSettings::UserScope, QStringLiteral("QtProject"));
        dialogSettings.setValue(QStringLiteral("FileDialog/lastVisited"), QStringLiteral("file:///tmp"));
        dialogSettings.sync();
        EXPECT_EQ(dialogSettings.status(), QSettings::AccessError);
    }
    const QSettings readBack(QSettings::UserScope, QStringLiteral("QtProject"));
    EXPECT_FALSE(readBack.contains(QStringLiteral("FileDialog/lastVisited")));
    EXPECT_FALSE(QFileInfo::exists(readBack.fileName()));
}

} // namespace
