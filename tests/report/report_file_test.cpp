#include "report_test.h"

#include "report_file.h"
#include "save_messages.h"

#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
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
    {"ReadOnlyFile", Unwritable::ReadOnlyFile, "Permission denied", true},
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
// beyond it fails as on a full disk, once the program ignores the signal.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &previous_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
};

using ReportFileTest = ReportTest;

TEST_F(ReportFileTest, AWriteFailingHalfwayLeavesTheOldFileAndNoTemporaryOne)
{
    ignoreWriteSignals(); // as the program does at start; else the limit ends the test
    calculate(writeFile("source", "AB"));
    writeFile("old.txt", "keep me");
    writeFile("linked.txt", "keep me too");
    fs::create_hard_link(dir / "linked.txt", dir / "other name.txt");
    const auto before = entries();
    for (const char* name : {"old.txt", "new.txt", "linked.txt"}) {
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
    EXPECT_EQ(bytesOf(pathIn("other name.txt")), "keep me too");
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


// What a write may change about a name: its kind, owner, mode, links and
// bytes (for regular files only: a pipe is never read).
struct Fingerprint {
    mode_t mode;
    uid_t owner;
    gid_t group;
    nlink_t links;
    QByteArray bytes;
    bool operator==(const Fingerprint&) const = default;
};

std::vector<Fingerprint> fingerprints(const std::vector<fs::path>& names)
{
    std::vector<Fingerprint> prints;
    for (const auto& name : names) {
        struct stat info {};
        EXPECT_EQ(::lstat(name.c_str(), &info), 0) << name;
        QFile file(QString::fromStdString(name.string()));
        const bool regular = S_ISREG(info.st_mode) && file.open(QIODevice::ReadOnly);
        prints.push_back({info.st_mode, info.st_uid, info.st_gid, info.st_nlink,
                          regular ? file.readAll() : QByteArray()});
    }
    return prints;
}

// Takes the first bytes it is given, then fails as a full disk does.
WriteCall failingAfter(std::size_t bytes)
{
    auto left = std::make_shared<std::size_t>(bytes);
    return [left](int fd, const void* data, std::size_t size) -> ssize_t {
        if (*left == 0) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t written = ::write(fd, data, std::min(size, *left));
        if (written > 0)
            *left -= std::size_t(written);
        return written;
    };
}

enum class Route { Replace, ClosedFolder, Symlink, HardLink, PipeWithoutReader };

struct RouteCase {
    const char* name;
    Route route;
    bool permissionBased; // root may write anyway
    QString failure;      // the reason every write gives; empty where only an injected one fails
};

void PrintTo(const RouteCase& row, std::ostream* out)
{
    *out << row.name;
}

const RouteCase kRoutes[] = {
    {"Replace", Route::Replace, false, {}},
    {"InPlaceInAClosedFolder", Route::ClosedFolder, true, {}},
    {"ThroughASymbolicLink", Route::Symlink, false, {}},
    {"InPlaceForHardLinks", Route::HardLink, false, {}},
    {"PipeWithoutReader", Route::PipeWithoutReader, false, kNoReaderReason},
};

class WriteRouteTest : public ReportTest, public testing::WithParamInterface<RouteCase> {
protected:
    void TearDown() override
    {
        if (fs::exists(dir / "closed"))
            fs::permissions(dir / "closed", fs::perms::owner_all);
        ReportTest::TearDown();
    }

    // An old file of 3,000 bytes, mode 0640, someone else's where root may
    // make it so.
    fs::path oldFile(const std::string& name)
    {
        writeFile(name, std::string(3000, 'o'));
        fs::permissions(dir / name, fs::perms(0640));
        if (runsAsRoot()) {
            EXPECT_EQ(::chown((dir / name).c_str(), 4321, 4321), 0);
        }
        return dir / name;
    }

    // Sets the route up: the destination, and the names that must show
    // what was written there.
    std::pair<QString, std::vector<fs::path>> prepare(Route route)
    {
        switch (route) {
        case Route::Replace:
            return {pathIn("old.txt"), {oldFile("old.txt")}};
        case Route::ClosedFolder: {
            fs::create_directory(dir / "closed");
            const auto old = oldFile("closed/old.txt");
            fs::permissions(dir / "closed", fs::perms::owner_read | fs::perms::owner_exec);
            return {pathIn("closed/old.txt"), {old}};
        }
        case Route::Symlink:
            fs::create_symlink("target.txt", dir / "link.txt");
            return {pathIn("link.txt"), {oldFile("target.txt"), dir / "link.txt"}};
        case Route::HardLink:
            fs::create_hard_link(oldFile("a.txt"), dir / "b.txt");
            return {pathIn("a.txt"), {dir / "a.txt", dir / "b.txt"}};
        case Route::PipeWithoutReader:
            EXPECT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
            return {pathIn("pipe"), {dir / "pipe"}};
        }
        return {};
    }

    std::set<std::string> allEntries() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            names.insert(entry.path().string());
        return names;
    }
};

TEST_P(WriteRouteTest, AFailedWriteChangesNothingAndAWrittenFileKeepsOwnerModeAndLinks)
{
    const RouteCase& row = GetParam();
    if (row.permissionBased && runsAsRoot())
        GTEST_SKIP() << "permissions do not bind root";
    const auto [destination, watched] = prepare(row.route);
    const auto before = fingerprints(watched);
    const auto names = allEntries();
    const QByteArray report(5000, 'R');

    const auto failed = writeWholeFile(destination, report, failingAfter(1000));
    EXPECT_EQ(failed, row.failure.isEmpty() ? QStringLiteral("No space left on device") : row.failure);
    EXPECT_EQ(fingerprints(watched), before);
    EXPECT_EQ(allEntries(), names);

    const auto written = writeWholeFile(destination, report);
    auto expected = before;
    if (row.failure.isEmpty()) {
        EXPECT_EQ(written, std::nullopt);
        for (auto& print : expected)
            print.bytes = S_ISREG(print.mode) ? report : QByteArray();
    } else {
        EXPECT_EQ(written, row.failure);
    }
    EXPECT_EQ(fingerprints(watched), expected);
    EXPECT_EQ(allEntries(), names);
}

INSTANTIATE_TEST_SUITE_P(Routes, WriteRouteTest, testing::ValuesIn(kRoutes),
                         [](const auto& row) { return std::string(row.param.name); });

// Runs test on a thread of its own, the only one to see a fresh file system
// of the type given at mountPoint (for tmpfs, one of 64 KiB), mounted with
// the further options given; the mount goes with the thread. False where
// this process may not mount one.
bool onSmallDisk(const fs::path& mountPoint, const char* type, const std::string& options,
                 const std::function<void()>& test)
{
    bool mounted = false;
    std::thread([&] {
        const std::string all = "size=64k," + options;
        mounted = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                  ::mount("tallivor-test", mountPoint.c_str(), type, 0, all.c_str()) == 0;
        if (mounted)
            test();
    }).join();
    return mounted;
}

// Fills the disk that holds folder, up to its last byte.
void fill(const fs::path& folder)
{
    const int fd = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
}

struct FullDiskCase {
    const char* name;
    bool folderTakesNewFiles;
    qsizetype reportSize; // the old file has 3,000 bytes in one page
    bool begun;           // whether writing the report begins at all
    bool fits;
};

void PrintTo(const FullDiskCase& row, std::ostream* out)
{
    *out << row.name;
}

const FullDiskCase kFullDisks[] = {
    {"ReplacingNeedsMoreThanIsLeft", true, 5000, true, false},
    {"InPlaceNeedsMoreThanIsLeft", false, 5000, false, false},
    {"InPlaceWithinTheOldSpace", false, 2000, true, true},
};

class FullDiskTest : public ReportTest, public testing::WithParamInterface<FullDiskCase> {};

TEST_P(FullDiskTest, TheOldFileStaysUnlessTheReportFits)
{
    const FullDiskCase& row = GetParam();
    const fs::path disk = dir / "disk";
    fs::create_directory(disk);
    const QByteArray report(row.reportSize, 'R');
    const QByteArray old(3000, 'o');
    // Three inodes: the root folder, the old file and the filler.
    const std::string inodes = row.folderTakesNewFiles ? "" : "nr_inodes=3";
    const bool mounted = onSmallDisk(disk, "tmpfs", inodes, [&] {
        writeFile("disk/old.txt", old.toStdString());
        fill(disk);
        const QString path = QString::fromStdString((disk / "old.txt").string());
        bool begun = false;
        const auto reason = writeWholeFile(path, report, [&](int fd, const void* data, std::size_t size) {
            begun = true;
            return ::write(fd, data, size);
        });
        EXPECT_EQ(begun, row.begun);
        EXPECT_EQ(reason, row.fits ? std::nullopt : std::optional(QStringLiteral("No space left on device")));
        EXPECT_EQ(bytesOf(path), row.fits ? report : old);
        EXPECT_EQ(std::distance(fs::directory_iterator(disk), fs::directory_iterator()), 2);
    });
    if (!mounted)
        GTEST_SKIP() << "no tmpfs may be mounted here";
}

INSTANTIATE_TEST_SUITE_P(SmallDisks, FullDiskTest, testing::ValuesIn(kFullDisks),
                         [](const auto& row) { return std::string(row.param.name); });

using SpaceReservationTest = ReportTest;

TEST_F(SpaceReservationTest, AFileSystemThatReservesNoSpaceIsStillWrittenInPlace)
{
    const fs::path disk = dir / "ramfs";
    fs::create_directory(disk);
    const bool mounted = onSmallDisk(disk, "ramfs", "", [&] {
        writeFile("ramfs/a.txt", std::string(3000, 'o'));
        fs::create_hard_link(disk / "a.txt", disk / "b.txt");
        const QString path = QString::fromStdString((disk / "a.txt").string());
        for (const QByteArray& report : {QByteArray(5000, 'R'), QByteArray(100, 'r')}) {
            EXPECT_EQ(writeWholeFile(path, report), std::nullopt);
            EXPECT_EQ(bytesOf(QString::fromStdString((disk / "b.txt").string())), report);
        }
    });
    if (!mounted)
        GTEST_SKIP() << "no ramfs may be mounted here";
}

} // namespace
