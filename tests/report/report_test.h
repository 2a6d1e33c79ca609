#pragma once

#include "window_fixture.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <set>
#include <string>

// A real main window whose working directory is the temporary folder, so
// relative destinations land there, with helpers to save and read back.
class ReportTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        previousDirectory_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir.string()));
    }
    void TearDown() override
    {
        QDir::setCurrent(previousDirectory_);
        WindowTest::TearDown();
    }

    // Types destination into its box and clicks "Save Frequencies".
    void save(const QString& destination)
    {
        window->txtDestinationFile->setText(destination);
        window->btnSaveFrequencies_Click();
    }
    // The bytes of a file, or nothing when it cannot be read.
    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString pathIn(const std::string& name) const { return QString::fromStdString((dir / name).string()); }
    // The texts of the message boxes shown so far.
    QStringList shownTexts() const
    {
        QStringList texts;
        for (const auto& box : messages.shown)
            texts << box.text;
        return texts;
    }
    // The names in the temporary folder, hidden ones included.
    std::set<std::string> entries() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            names.insert(entry.path().filename().string());
        return names;
    }

private:
    QString previousDirectory_;
};

// Splits a report into its lines, checking that each ends in CR LF.
inline QList<QByteArray> reportLines(const QByteArray& report)
{
    QList<QByteArray> lines = report.split('\n');
    EXPECT_TRUE(lines.takeLast().isEmpty()) << "the last line ends in CR LF";
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
        line.chop(1);
    }
    return lines;
}
