#include "report_test.h"

#include "save_messages.h"

#include <QFileInfo>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

bool runsAsRoot()
{
    return ::geteuid() == 0;
}

QString writeFailedPrefix(const QString& path)
{
    return "The report could not be written to:  " + QFileInfo(path).absoluteFilePath() + "\n\n";
}

enum class Unwritable { FolderOfThatName, MissingFolder, OnlyBlanks, ReadOnlyFile, ClosedFolder };

struct UnwritableCase {
    const char* name;
    Unwritable kind;
    const char* reason;  // part of the reason the message gives
    bool permissionBased; // root may write anyway
};

void PrintTo(const UnwritableCase& row, std::ostream* out)
{
    *out << row.name;
}

const UnwritableCase kUnwritable[] = {
    {"FolderOfThatName", Unwritable::FolderOfThatName, "directory", false},
    {"MissingFolder", Unwritable::MissingFolder, "No such file or directory", false},
    {"OnlyBlanks", Unwritable::OnlyBlanks, "The file name is only blanks", false},
    {"ReadOnlyFile", Unwritable::ReadOnlyFile, "not writable", true},
    {"ClosedFolder", Unwritable::ClosedFolder, "Permission denied", true},
};

class UnwritableTest : public ReportTest, public testing::WithParamInterface<UnwritableCase> {
protected:
    // Sets the case up in the temporary folder; the destination to type.
    QString prepare(Unwritable kind)
    {
        switch (kind) {
        case Unwritable::FolderOfThatName:
            fs::create_directory(dir / "folder");
            return pathIn("folder");
        case Unwritable::MissingFolder:
            return pathIn("missing/report.txt");
        case Unwritable::OnlyBlanks:
            return QStringLiteral("   ");
        case Unwritable::ReadOnlyFile:
            writeFile("locked.txt", "keep me");
            fs::permissions(dir / "locked.txt", fs::perms::owner_read);
            return pathIn("locked.txt");
        case Unwritable::ClosedFolder:
            fs::create_directory(dir / "closed");
            fs::permissions(dir / "closed", fs::perms::owner_read | fs::perms::owner_exec);
            return pathIn("closed/report.txt");
        }
        return {};
    }
};

TEST_P(UnwritableTest, IsReportedWithPathAndReasonAndChangesNothing)
{
    const UnwritableCase& row = GetParam();
    if (row.permissionBased && runsAsRoot())
        GTEST_SKIP() << "permissions do not bind root";
    calculate(writeFile("source", "AB"));
    const QString destination = prepare(row.kind);
    const auto before = entries();
    const QByteArray content = bytesOf(destination);

    save(destination);

    ASSERT_FALSE(messages.shown.empty());
    const QString text = messages.shown.back().text;
    EXPECT_TRUE(text.startsWith(writeFailedPrefix(destination))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromLatin1(row.reason))) << text.toStdString();
    EXPECT_EQ(messages.shown.back().buttons, MessageBox::Buttons::Ok);
    EXPECT_EQ(entries(), before);
    EXPECT_EQ(bytesOf(destination), content);
    EXPECT_EQ(window->lblTotalChars->Caption(), "2");
    EXPECT_EQ(window->lblASCIICount('A').Caption(), "1");
    EXPECT_EQ(window->state.totalChars, 2);
}

INSTANTIATE_TEST_SUITE_P(Destinations, UnwritableTest, testing::ValuesIn(kUnwritable),
                         [](const auto& row) { return std::string(row.param.name); });

// Lowers this process's file size limit for as long as it lives: a write
// beyond it fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

using ReportFileTest = ReportTest;

TEST_F(ReportFileTest, AWriteFailingHalfwayLeavesTheOldFileAndNoTemporaryOne)
{
    calculate(writeFile("source", "AB"));
    writeFile("old.txt", "keep me");
    const auto before = entries();
    for (const char* name : {"old.txt", "new.txt"}) {
        messages.shown.clear();
        {
            const FileSizeLimit limit(1000);
            save(QString::fromLatin1(name));
        }
        ASSERT_FALSE(messages.shown.empty()) << name;
        EXPECT_TRUE(messages.shown.back().text.startsWith(writeFailedPrefix(pathIn(name))));
        EXPECT_TRUE(messages.shown.back().text.endsWith("\n\nFile too large."))
            << messages.shown.back().text.toStdString();
        EXPECT_EQ(entries(), before) << name;
    }
    EXPECT_EQ(bytesOf(pathIn("old.txt")), "keep me");
}

TEST_F(ReportFileTest, ThroughALinkTheTargetIsWrittenAndKeepsItsPermissions)
{
    calculate(writeFile("source", "AB"));
    writeFile("target.txt", "old");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(dir / "target.txt", mode);
    fs::create_symlink("target.txt", dir / "link.txt");
    fs::create_symlink("later.txt", dir / "dangling.txt");

    save(QStringLiteral("link.txt"));
    save(QStringLiteral("dangling.txt"));

    EXPECT_EQ(shownTexts(), QStringList{kOverwriteQuestion}); // only the link to an existing file
    EXPECT_EQ(fs::read_symlink(dir / "link.txt"), "target.txt");
    EXPECT_EQ(fs::read_symlink(dir / "dangling.txt"), "later.txt");
    EXPECT_TRUE(bytesOf(pathIn("target.txt")).startsWith("Tallivor by"));
    EXPECT_TRUE(bytesOf(pathIn("later.txt")).startsWith("Tallivor by"));
    EXPECT_EQ(fs::status(dir / "target.txt").permissions(), mode);
}

TEST_F(ReportFileTest, AFileInAClosedFolderIsWrittenInPlace)
{
    if (runsAsRoot())
        GTEST_SKIP() << "permissions do not bind root";
    calculate(writeFile("source", "AB"));
    fs::create_directory(dir / "closed");
    writeFile("closed/report.txt", "old");
    fs::permissions(dir / "closed", fs::perms::owner_read | fs::perms::owner_exec);
    save(pathIn("closed/report.txt"));
    EXPECT_EQ(shownTexts(), QStringList{kOverwriteQuestion});
    EXPECT_TRUE(bytesOf(pathIn("closed/report.txt")).startsWith("Tallivor by"));
    fs::permissions(dir / "closed", fs::perms::owner_all);
}

TEST_F(ReportFileTest, PipesAndDevicesAreWrittenToNotReplaced)
{
    calculate(writeFile("source", "AB"));
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const int reader = ::open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    save(QStringLiteral("pipe"));
    QByteArray received(65536, '\0');
    const ssize_t size = ::read(reader, received.data(), std::size_t(received.size()));
    ::close(reader);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_GT(size, 0);
    received.truncate(qsizetype(size));
    EXPECT_TRUE(received.startsWith("Tallivor by"));
    EXPECT_EQ(reportLines(received).size(), 266);
    // Only with pipes left as they are is it safe to try a device.
    ASSERT_TRUE(fs::is_fifo(fs::symlink_status(dir / "pipe")));

    if (!fs::is_character_file("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    save(QStringLiteral("/dev/full"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              writeFailedPrefix("/dev/full") + "No space left on device.");
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status("/dev/full")));
}

} // namespace
