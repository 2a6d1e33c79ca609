#include "window_fixture.h"

namespace {

using FileSelectionTest = WindowTest;

TEST_F(FileSelectionTest, ACancelPutsTheLastConfirmedNameBack)
{
    window->btnSelectDestination_Click(); // cancelled before any choice
    EXPECT_EQ(window->txtDestinationFile->text(), "");

    files.answers = {QStringLiteral("/tmp/new-report.txt")};
    window->btnSelectDestination_Click();
    EXPECT_EQ(window->txtDestinationFile->text(), "/tmp/new-report.txt");

    window->txtDestinationFile->setText(QStringLiteral("typed by hand"));
    EXPECT_EQ(window->cdbDestinationFile.FileName, "/tmp/new-report.txt");
    window->btnSelectDestination_Click(); // cancelled
    EXPECT_EQ(window->txtDestinationFile->text(), "/tmp/new-report.txt");
    EXPECT_EQ(files.titles, (std::vector<QString>{"Destination File", "Destination File",
                                                  "Destination File"}));
}

TEST_F(FileSelectionTest, TheTwoDialogsRememberSeparately)
{
    files.answers = {QStringLiteral("/data/source.bin"), std::nullopt};
    window->btnSelectSource_Click();
    window->btnSelectDestination_Click();
    EXPECT_EQ(window->txtSourceFile->text(), "/data/source.bin");
    EXPECT_EQ(window->txtDestinationFile->text(), "");
    EXPECT_EQ(files.titles.front(), "Source File");
    EXPECT_TRUE(window->cdbDestinationFile.FileName.isEmpty());
}

} // namespace

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

void drop(QWidget* box, const QUrl& url)
{
    QMimeData data;
    data.setUrls({url});
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &event);
}

TEST_F(FileSelectionTest, ADroppedFileReplacesTheBoxWithItsLocalPath)
{
    drop(window->txtSourceFile, QUrl::fromLocalFile(QStringLiteral("/data/with blank é.bin")));
    EXPECT_EQ(window->txtSourceFile->text(), "/data/with blank é.bin");
    drop(window->txtDestinationFile, QUrl::fromLocalFile(QStringLiteral("/tmp/out.txt")));
    EXPECT_EQ(window->txtDestinationFile->text(), "/tmp/out.txt");
    EXPECT_TRUE(window->cdbDestinationFile.FileName.isEmpty());
}

} // namespace
