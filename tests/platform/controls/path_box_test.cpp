#include "window_fixture.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

namespace {

using PathBoxTest = WindowTest;

// Drags data over box and drops it there, as a file manager does; the
// action the box took.
Qt::DropAction dragAndDrop(QWidget* box, const QMimeData& data,
                           Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction)
{
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &move);
    QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

std::unique_ptr<QMimeData> droppedFiles(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    data->setText(urls.constFirst().toString()); // file managers offer the address as text too
    return data;
}

TEST_F(PathBoxTest, ADroppedFileReplacesEitherBoxWithItsLocalPath)
{
    const auto source = droppedFiles({QStringLiteral("/data/with blank \u00e9.bin")});
    EXPECT_EQ(dragAndDrop(window->txtSourceFile, *source), Qt::CopyAction);
    EXPECT_EQ(window->txtSourceFile->text(), "/data/with blank \u00e9.bin");

    const auto destination = droppedFiles({QStringLiteral("/tmp/out.txt"), QStringLiteral("/tmp/other.txt")});
    EXPECT_EQ(dragAndDrop(window->txtDestinationFile, *destination), Qt::CopyAction);
    EXPECT_EQ(window->txtDestinationFile->text(), "/tmp/out.txt");
    EXPECT_TRUE(window->cdbDestinationFile.FileName.isEmpty());
}

TEST_F(PathBoxTest, AFileOfferedOnlyForMovingOrLinkingIsNeverMoved)
{
    const auto data = droppedFiles({QStringLiteral("/data/a.bin")});
    EXPECT_EQ(dragAndDrop(window->txtSourceFile, *data, Qt::MoveAction | Qt::LinkAction), Qt::LinkAction);
    EXPECT_EQ(window->txtSourceFile->text(), "/data/a.bin");

    window->txtSourceFile->setText(QStringLiteral("kept"));
    EXPECT_EQ(dragAndDrop(window->txtSourceFile, *data, Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_EQ(window->txtSourceFile->text(), "kept");
}

TEST_F(PathBoxTest, AWebAddressIsDroppedAsText)
{
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("http://quorvex.example/"))});
    data.setText(QStringLiteral("http://quorvex.example/"));
    window->txtSourceFile->clear();
    dragAndDrop(window->txtSourceFile, data);
    EXPECT_EQ(window->txtSourceFile->text(), "http://quorvex.example/");
}

// Screen readers read the box's text once when the keyboard brings the
// focus: nothing is selected to be read again, or unselected on leaving.
TEST_F(PathBoxTest, TheKeyboardBringsTheFocusWithoutSelecting)
{
    window->show();
    window->activateWindow();
    for (QLineEdit* box : {window->txtSourceFile, window->txtDestinationFile}) {
        for (Qt::FocusReason reason : {Qt::TabFocusReason, Qt::BacktabFocusReason}) {
            window->btnCalcFrequency->setFocus();
            box->setFocus(reason);
            QCoreApplication::processEvents();
            EXPECT_TRUE(box->hasFocus());
            EXPECT_FALSE(box->hasSelectedText()) << box->text().toStdString();
        }
    }
}

} // namespace
