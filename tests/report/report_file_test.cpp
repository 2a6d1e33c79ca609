#include "report_test.h"

#include "in_place_write.h"
#include "program_run.h"
#include "real_file_systems.h"
#include "report_file.h"
#include "save_messages.h"

#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

void PrintTo(const WriteFailure& failure, std::ostream* out)
{
    *out << "kind " << int(failure.kind) << ", error " << failure.error << " (" << std::strerror(failure.error)
         << "), file '" << failure.file.toStdString() << "', unfinished file '"
         << failure.unfinishedFile.toStdString() << "'";
    if (failure.loss)
        *out << ", lost bytes " << failure.loss->from << " to " << failure.loss->to << " of "
             << failure.loss->oldSize << ", " << failure.loss->sizeNow << " bytes long now";
}

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
    int error;            // the system's error the message gives; none for a blank name
    bool permissionBased; // root may write anyway
};

void PrintTo(const UnwritableCase& row, std::ostream* out)
{
    *out << row.name;
}

const UnwritableCase kUnwritable[] = {
    {"FolderOfThatName", Unwritable::FolderOfThatName, EISDIR, false},
    {"MissingFolder", Unwritable::MissingFolder, ENOENT, false},
    {"OnlyBlanks", Unwritable::OnlyBlanks, 0, false},
    {"ReadOnlyFile", Unwritable::ReadOnlyFile, EACCES, true},
    {"ClosedFolder", Unwritable::ClosedFolder, EACCES, true},
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
    const QString reason = row.error == 0 ? kBlankNameReason : qt_error_string(row.error);
    EXPECT_TRUE(text.contains(reason)) << text.toStdString();
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
    // Longer than the limit already: only what was overwritten goes back,
    // and nothing is said to be lost.
    const std::string longOld(22000, 'L');
    writeFile("long.txt", longOld);
    fs::create_hard_link(dir / "long.txt", dir / "long too.txt");
    const auto before = entries();
    for (const char* name : {"old.txt", "new.txt", "linked.txt", "long.txt"}) {
        messages.shown.clear();
        {
            const FileSizeLimit limit(1000);
            save(QString::fromLatin1(name));
        }
        ASSERT_FALSE(messages.shown.empty()) << name;
        EXPECT_TRUE(messages.shown.back().text.startsWith(writeFailedPrefix(pathIn(name))));
        EXPECT_TRUE(messages.shown.back().text.endsWith("\n\n" + qt_error_string(EFBIG) + "."))
            << messages.shown.back().text.toStdString();
        EXPECT_EQ(entries(), before) << name;
    }
    EXPECT_EQ(bytesOf(pathIn("old.txt")), "keep me");
    EXPECT_EQ(bytesOf(pathIn("other name.txt")), "keep me too");
    EXPECT_EQ(bytesOf(pathIn("long too.txt")), QByteArray::fromStdString(longOld));
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

    // A pipe and a socket with no name, as a shell's >(...) or a parent
    // program passes them: /dev/fd/N. A socket is written only where the
    // program was given it, never where it is one of its own connections.
    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK), 0);
    int given[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, given), 0);
    int own[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, own), 0);
    const auto fdPath = [](int fd) { return QStringLiteral("/dev/fd/%1").arg(fd); };
    save(fdPath(pipeEnds[1]));
    save(fdPath(given[0]));
    save(fdPath(own[0]));
    const auto receivedAt = [](int fd) {
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
        QByteArray bytes(65536, '\0');
        bytes.truncate(std::max<qsizetype>(::read(fd, bytes.data(), std::size_t(bytes.size())), 0));
        return bytes;
    };
    EXPECT_EQ(reportLines(receivedAt(pipeEnds[0])).size(), 266);
    EXPECT_EQ(reportLines(receivedAt(given[1])).size(), 266);
    EXPECT_EQ(receivedAt(own[1]), QByteArray());
    EXPECT_EQ(shownTexts(), QStringList{writeFailedPrefix(fdPath(own[0])) + qt_error_string(ENXIO) + "."});
    for (const int fd : {pipeEnds[0], pipeEnds[1], given[0], given[1], own[0], own[1]})
        ::close(fd);
    messages.shown.clear();

    // The program's standard output, a pipe to the program that ran it.
    const ProgramRun run = runProgram({QStringLiteral("--report"), QStringLiteral("/dev/stdout"), pathIn("source")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("Tallivor by"));
    EXPECT_EQ(reportLines(run.out).size(), 266);

    if (!fs::is_character_file("/dev/full") || !fs::is_character_file("/dev/null"))
        GTEST_SKIP() << "no /dev/full or /dev/null";
    save(QStringLiteral("/dev/null"));
    EXPECT_TRUE(messages.shown.empty());
    save(QStringLiteral("/dev/full"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              writeFailedPrefix("/dev/full") + qt_error_string(ENOSPC) + ".");
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status("/dev/full")));
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status("/dev/null")));
}

// What a write may change about a name: its kind, owner, mode, links,
// extended attributes and bytes (for regular files and the start of disks:
// a pipe is never read).
struct Fingerprint {
    mode_t mode;
    uid_t owner;
    gid_t group;
    nlink_t links;
    std::map<std::string, std::string> attributes;
    QByteArray bytes;
    bool operator==(const Fingerprint&) const = default;
};

void PrintTo(const Fingerprint& print, std::ostream* out)
{
    *out << "mode " << std::oct << print.mode << std::dec << ", owner " << print.owner << ':' << print.group << ", "
         << print.links << " links, " << print.attributes.size() << " attributes, " << print.bytes.size()
         << " bytes";
}

std::map<std::string, std::string> attributesOf(const fs::path& name)
{
    std::map<std::string, std::string> attributes;
    std::string names(65536, '\0');
    const ssize_t size = ::llistxattr(name.c_str(), names.data(), names.size());
    for (std::size_t at = 0; size > 0 && at < std::size_t(size); at = names.find('\0', at) + 1) {
        const std::string attribute = names.c_str() + at;
        std::string value(65536, '\0');
        const ssize_t length = ::lgetxattr(name.c_str(), attribute.c_str(), value.data(), value.size());
        attributes[attribute] = value.substr(0, std::size_t(std::max<ssize_t>(length, 0)));
    }
    return attributes;
}

// Read by the name's bytes, which need not be UTF-8.
QByteArray contentOf(const fs::path& name, const struct stat& info)
{
    if (!S_ISREG(info.st_mode) && !S_ISBLK(info.st_mode))
        return {};
    std::ifstream file(name, std::ios::binary);
    std::string bytes(S_ISREG(info.st_mode) ? std::size_t(info.st_size) : 65536, '\0');
    file.read(bytes.data(), std::streamsize(bytes.size()));
    return QByteArray::fromStdString(bytes.substr(0, std::size_t(file.gcount())));
}

std::vector<Fingerprint> fingerprints(const std::vector<fs::path>& names)
{
    std::vector<Fingerprint> prints;
    for (const auto& name : names) {
        struct stat info {};
        EXPECT_EQ(::lstat(name.c_str(), &info), 0) << name;
        prints.push_back({info.st_mode, info.st_uid, info.st_gid, info.st_nlink, attributesOf(name),
                          contentOf(name, info)});
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

enum class Route {
    Replace,
    ClosedFolder,
    Symlink,
    LinkWithDotDotInItsTarget,
    LinkToANameNotInUtf8,
    HardLink,
    AccessListAndAttributes,
    FolderWithADefaultAccessList,
    PipeWithoutReader,
    PlantedLinkToAFile,
    PlantedLinkToNothing,
    PlantedLinkToAFolder,
    Disk,
    AppendOnlyFolder,
    NewFileInAnAppendOnlyFolder,
    FileMountedOver,
    FileGoneButStillOpen,
};

enum class Needs { Nothing, NotRoot, Root };

struct RouteCase {
    const char* name;
    Route route;
    Needs needs; // permissions do not bind root; disks, mounts and settings need it
};

void PrintTo(const RouteCase& row, std::ostream* out)
{
    *out << row.name;
}

const RouteCase kRoutes[] = {
    {"Replace", Route::Replace, Needs::Nothing},
    {"InPlaceInAClosedFolder", Route::ClosedFolder, Needs::NotRoot},
    {"ThroughASymbolicLink", Route::Symlink, Needs::Nothing},
    {"LinkWithDotDotInItsTarget", Route::LinkWithDotDotInItsTarget, Needs::Nothing},
    {"LinkToANameNotInUtf8", Route::LinkToANameNotInUtf8, Needs::Nothing},
    {"InPlaceForHardLinks", Route::HardLink, Needs::Nothing},
    {"AccessListAndAttributes", Route::AccessListAndAttributes, Needs::Nothing},
    {"FolderWithADefaultAccessList", Route::FolderWithADefaultAccessList, Needs::Nothing},
    {"PipeWithoutReader", Route::PipeWithoutReader, Needs::Nothing},
    {"PlantedLinkToAFile", Route::PlantedLinkToAFile, Needs::Root},
    {"PlantedLinkToNothing", Route::PlantedLinkToNothing, Needs::Root},
    {"PlantedLinkToAFolder", Route::PlantedLinkToAFolder, Needs::Root},
    {"Disk", Route::Disk, Needs::Root},
    {"AppendOnlyFolder", Route::AppendOnlyFolder, Needs::Root},
    {"NewFileInAnAppendOnlyFolder", Route::NewFileInAnAppendOnlyFolder, Needs::Root},
    {"FileMountedOver", Route::FileMountedOver, Needs::Root},
    {"FileGoneButStillOpen", Route::FileGoneButStillOpen, Needs::Nothing},
};

// A route set up in the temporary folder.
struct Prepared {
    QString destination;
    std::vector<fs::path> written;   // names that must show what was written there
    std::vector<fs::path> untouched; // names that must stay as they were
    fs::path created;                // a name that only a written report makes
    std::optional<WriteFailure> refusal; // what every write gives, where refused
};

class WriteRouteTest : public ReportTest, public testing::WithParamInterface<RouteCase> {
protected:
    void TearDown() override
    {
        if (fs::exists(dir / "closed"))
            fs::permissions(dir / "closed", fs::perms::owner_all);
        loop_.reset();
        protection_.reset();
        if (goneFile_ >= 0)
            ::close(goneFile_);
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

    // What the machine must allow for route, set up; the reason where it
    // does not.
    std::optional<std::string> machineLacks(Route route)
    {
        switch (route) {
        case Route::PlantedLinkToAFile:
        case Route::PlantedLinkToNothing:
        case Route::PlantedLinkToAFolder:
            protection_.emplace();
            return protection_->on() ? std::nullopt : std::optional<std::string>("fs.protected_symlinks cannot be set");
        case Route::Disk:
        case Route::AppendOnlyFolder:
        case Route::NewFileInAnAppendOnlyFolder:
            if (!makeExt4Image(dir / "ext4.img"))
                return "no mkfs.ext4";
            loop_.emplace(dir / "ext4.img");
            if (!loop_->attached())
                return "no loop device";
            fs::create_directory(dir / "disk");
            return std::nullopt;
        case Route::AccessListAndAttributes:
        case Route::FolderWithADefaultAccessList: {
            writeFile("probe", "");
            const std::string command = "setfacl -m u:nobody:rw '" + (dir / "probe").string() +
                                        "' 2>/dev/null && setfattr -n user.probe -v 1 '" + (dir / "probe").string() +
                                        "' 2>/dev/null";
            const bool supported = std::system(command.c_str()) == 0;
            fs::remove(dir / "probe");
            return supported ? std::nullopt : std::optional<std::string>("no setfacl or setfattr here");
        }
        case Route::FileMountedOver:
            oldFile("mounted.txt");
            writeFile("source.txt", std::string(3000, 's'));
            return std::nullopt;
        default:
            return std::nullopt;
        }
    }

    // A folder world-writable and sticky, as /tmp is, with a link in it that
    // `nobody` planted.
    fs::path plantLink(const fs::path& target, const std::string& name = "report.txt")
    {
        fs::create_directory(dir / "shared");
        fs::permissions(dir / "shared", fs::perms(01777));
        const fs::path link = dir / "shared" / name;
        fs::create_symlink(target, link);
        EXPECT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
        return link;
    }

    Prepared prepare(Route route)
    {
        switch (route) {
        case Route::Replace:
            return {pathIn("old.txt"), {oldFile("old.txt")}, {}, {}, {}};
        case Route::ClosedFolder: {
            fs::create_directory(dir / "closed");
            const auto old = oldFile("closed/old.txt");
            fs::permissions(dir / "closed", fs::perms::owner_read | fs::perms::owner_exec);
            return {pathIn("closed/old.txt"), {old}, {}, {}, {}};
        }
        case Route::Symlink:
            fs::create_symlink("target.txt", dir / "link.txt");
            return {pathIn("link.txt"), {oldFile("target.txt")}, {dir / "link.txt"}, {}, {}};
        case Route::LinkWithDotDotInItsTarget:
            // ".." in a link's target is the parent of the folder the link
            // leads into, not of the name it was reached by.
            fs::create_directories(dir / "sl/a/b/real");
            fs::create_symlink(dir / "sl/a/b/real", dir / "sl/via");
            fs::create_symlink("../rep.txt", dir / "sl/a/b/real/rep.txt");
            writeFile("sl/rep.txt", "OTHER");
            return {pathIn("sl/via/rep.txt"),
                    {oldFile("sl/a/b/rep.txt")},
                    {dir / "sl/rep.txt", dir / "sl/a/b/real/rep.txt", dir / "sl/via"},
                    {},
                    {}};
        case Route::LinkToANameNotInUtf8:
            fs::create_symlink("caf\xe9.txt", dir / "link.txt");
            return {pathIn("link.txt"), {oldFile("caf\xe9.txt")}, {dir / "link.txt"}, {}, {}};
        case Route::HardLink:
            fs::create_hard_link(oldFile("a.txt"), dir / "b.txt");
            return {pathIn("a.txt"), {dir / "a.txt", dir / "b.txt"}, {}, {}, {}};
        case Route::AccessListAndAttributes: {
            const auto old = oldFile("noted.txt");
            const std::string command = "setfacl -m u:nobody:rw '" + old.string() +
                                        "' && setfattr -n user.note -v keep '" + old.string() + "'";
            EXPECT_EQ(std::system(command.c_str()), 0);
            return {pathIn("noted.txt"), {old}, {}, {}, {}};
        }
        case Route::FolderWithADefaultAccessList: {
            // A new file in the folder would get a list that lets nobody in;
            // the replacement of one without a list must not.
            fs::create_directory(dir / "shared");
            const auto old = oldFile("shared/old.txt");
            const std::string command = "setfacl -d -m u:nobody:rw '" + (dir / "shared").string() + "'";
            EXPECT_EQ(std::system(command.c_str()), 0);
            return {pathIn("shared/old.txt"), {old}, {}, {}, {}};
        }
        case Route::PipeWithoutReader:
            EXPECT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
            return {pathIn("pipe"), {}, {dir / "pipe"}, {}, WriteFailure::of(WriteFailure::Kind::NoReader)};
        case Route::PlantedLinkToAFile: {
            writeFile("secret.txt", "root's own");
            fs::permissions(dir / "secret.txt", fs::perms(0600));
            const auto link = plantLink(dir / "secret.txt");
            return {pathIn("shared/report.txt"), {}, {dir / "secret.txt", link}, {}, WriteFailure::system(EACCES)};
        }
        case Route::PlantedLinkToNothing:
            return {pathIn("shared/report.txt"), {}, {plantLink(dir / "elsewhere.txt")}, {}, WriteFailure::system(EACCES)};
        case Route::PlantedLinkToAFolder: {
            // Only the last link of a path is protected, for a shell's `>`
            // as for a save.
            fs::create_directory(dir / "real");
            const auto old = oldFile("real/old.txt");
            return {pathIn("shared/folder/old.txt"), {old}, {plantLink(dir / "real", "folder")}, {}, {}};
        }
        case Route::Disk:
            fs::create_symlink(loop_->path(), dir / "partition");
            return {pathIn("partition"),
                    {},
                    {loop_->path(), dir / "partition"},
                    {},
                    WriteFailure::disk(QString::fromStdString(loop_->path()))};
        case Route::AppendOnlyFolder:
        case Route::NewFileInAnAppendOnlyFolder: {
            fs::create_directory(dir / "disk/kept");
            const auto old = oldFile("disk/kept/old.txt");
            EXPECT_TRUE(makeAppendOnly(dir / "disk/kept"));
            if (route == Route::AppendOnlyFolder)
                return {pathIn("disk/kept/old.txt"), {old}, {}, {}, {}};
            return {pathIn("disk/kept/new.txt"), {}, {old}, dir / "disk/kept/new.txt", {}};
        }
        case Route::FileMountedOver:
            // No file can be renamed over a mount point; the mounted file
            // itself is written.
            return {pathIn("mounted.txt"), {dir / "mounted.txt", dir / "source.txt"}, {}, {}, {}};
        case Route::FileGoneButStillOpen: {
            // Its link names no path any more: the walk of the path and the
            // kernel's open disagree.
            goneFile_ = ::open(oldFile("gone.txt").c_str(), O_RDONLY | O_CLOEXEC);
            fs::remove(dir / "gone.txt");
            const QString path = QStringLiteral("/proc/self/fd/%1").arg(goneFile_);
            return {path, {}, {}, {}, WriteFailure::pathChanged(path)};
        }
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

    // A write that fails halfway changes nothing; a whole one changes only
    // the bytes of the names that show it.
    void check(Route route)
    {
        const Prepared prepared = prepare(route);
        std::vector<fs::path> watched = prepared.written;
        watched.insert(watched.end(), prepared.untouched.begin(), prepared.untouched.end());
        const auto before = fingerprints(watched);
        auto names = allEntries();
        const QByteArray report(5000, 'R');

        const auto failed = writeWholeFile(prepared.destination, report, failingAfter(1000));
        EXPECT_EQ(failed, prepared.refusal.value_or(WriteFailure::system(ENOSPC)));
        EXPECT_EQ(fingerprints(watched), before);
        EXPECT_EQ(allEntries(), names);

        const auto written = writeWholeFile(prepared.destination, report);
        auto expected = before;
        if (!prepared.refusal) {
            EXPECT_EQ(written, std::nullopt);
            for (std::size_t index = 0; index < prepared.written.size(); ++index)
                expected[index].bytes = report;
        } else {
            EXPECT_EQ(written, prepared.refusal);
        }
        if (!prepared.created.empty()) {
            names.insert(prepared.created.string());
            EXPECT_EQ(bytesOf(QString::fromStdString(prepared.created.string())), report);
        }
        EXPECT_EQ(fingerprints(watched), expected);
        EXPECT_EQ(allEntries(), names);
    }

    std::optional<LoopDevice> loop_;
    std::optional<ProtectedSymlinks> protection_;
    int goneFile_ = -1;
};

TEST_P(WriteRouteTest, AFailedWriteChangesNothingAndAWrittenFileKeepsOwnerModeAttributesAndLinks)
{
    const RouteCase& row = GetParam();
    if (row.needs == Needs::NotRoot && runsAsRoot())
        GTEST_SKIP() << "permissions do not bind root";
    if (row.needs == Needs::Root && !runsAsRoot())
        GTEST_SKIP() << "needs root";
    if (const auto lacking = machineLacks(row.route))
        GTEST_SKIP() << *lacking;
    const auto test = [&] { check(row.route); };
    switch (row.route) {
    case Route::AppendOnlyFolder:
    case Route::NewFileInAnAppendOnlyFolder:
        if (!onOwnMount(loop_->path(), dir / "disk", "ext4", 0, "", test))
            GTEST_SKIP() << "no ext4 may be mounted here";
        break;
    case Route::FileMountedOver:
        if (!onOwnMount((dir / "source.txt").string(), dir / "mounted.txt", nullptr, MS_BIND, "", test))
            GTEST_SKIP() << "no file may be mounted here";
        break;
    default:
        test();
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, WriteRouteTest, testing::ValuesIn(kRoutes),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(ReportFileTest, AnUnfinishedFileThatCannotBeRemovedIsNamed)
{
    if (!runsAsRoot())
        GTEST_SKIP() << "needs root";
    if (!makeExt4Image(dir / "ext4.img"))
        GTEST_SKIP() << "no mkfs.ext4";
    const LoopDevice loop(dir / "ext4.img");
    if (!loop.attached())
        GTEST_SKIP() << "no loop device";
    fs::create_directory(dir / "disk");
    const bool mounted = onOwnMount(loop.path(), dir / "disk", "ext4", 0, "", [&] {
        writeFile("disk/old.txt", "keep me");
        // The folder turns append-only while the report is written: too
        // late to be seen beforehand, so the unfinished file is stuck.
        const auto failure = writeWholeFile(pathIn("disk/old.txt"), QByteArray(5000, 'R'),
                                           [&](int, const void*, std::size_t) -> ssize_t {
                                               EXPECT_TRUE(makeAppendOnly(dir / "disk"));
                                               errno = ENOSPC;
                                               return -1;
                                           });
        std::vector<std::string> unfinished;
        for (const auto& entry : fs::directory_iterator(dir / "disk"))
            if (entry.path().filename().string().starts_with(".tallivor-"))
                unfinished.push_back(entry.path().string());
        ASSERT_EQ(unfinished.size(), 1u);
        WriteFailure expected = WriteFailure::system(ENOSPC);
        expected.unfinishedFile = QString::fromStdString(unfinished[0]);
        EXPECT_EQ(failure, expected);
        EXPECT_EQ(bytesOf(pathIn("disk/old.txt")), "keep me");
    });
    if (!mounted)
        GTEST_SKIP() << "no ext4 may be mounted here";
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
        const auto failure = writeWholeFile(path, report, [&](int fd, const void* data, std::size_t size) {
            begun = true;
            return ::write(fd, data, size);
        });
        EXPECT_EQ(begun, row.begun);
        EXPECT_EQ(failure, row.fits ? std::nullopt : std::optional(WriteFailure::system(ENOSPC)));
        EXPECT_EQ(bytesOf(path), row.fits ? report : old);
        EXPECT_EQ(std::distance(fs::directory_iterator(disk), fs::directory_iterator()), 2);
    });
    if (!mounted)
        GTEST_SKIP() << "no tmpfs may be mounted here";
}

INSTANTIATE_TEST_SUITE_P(SmallDisks, FullDiskTest, testing::ValuesIn(kFullDisks),
                         [](const auto& row) { return std::string(row.param.name); });

// Old bytes that show where each one belongs.
QByteArray patterned(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype at = 0; at < size; ++at)
        bytes[at] = char('a' + at * 7 % 23);
    return bytes;
}

struct FailingDiskCase {
    const char* name;
    qint64 oldSize;
    qint64 reportSize;
    int fsyncsThatWork; // the disk fails the fsync after these
    bool endLost;       // whether the cut-off end could not be kept, and so is lost
};

void PrintTo(const FailingDiskCase& row, std::ostream* out)
{
    *out << row.name;
}

const FailingDiskCase kFailingDisks[] = {
    {"ReportLongerThanTheOldFile", 3000, 5000, 0, false},
    {"ReportShorterThanTheOldFile", 80000, 5073, 0, false},
    {"FailingOnceTheFileIsCut", 80000, 5000, 1, false},
    {"FailingOnceCutWithAnEndTooLongToKeep", kMostOldBytesKept + 80000, 5000, 1, true},
};

class FailingDiskTest : public ReportTest, public testing::WithParamInterface<FailingDiskCase> {};

// A file with two names is written in place; when the disk fails its fsync,
// the old content is back, length and bytes, or what is lost is named.
TEST_P(FailingDiskTest, TheOldContentIsPutBackOrWhatIsLostIsNamed)
{
    const FailingDiskCase& row = GetParam();
    fs::create_directory(dir / "disk");
    fs::create_directory(dir / "mount");
    const FailingDiskFolder disk(dir / "disk", dir / "mount", row.fsyncsThatWork);
    if (disk.lacking())
        GTEST_SKIP() << *disk.lacking();
    // Past its first bytes, a file too long to keep is a hole: only those
    // are kept, and checked.
    const QByteArray old = patterned(std::min<qint64>(row.oldSize, 80000));
    writeFile("disk/a.txt", old.toStdString());
    fs::resize_file(dir / "disk/a.txt", std::uintmax_t(row.oldSize));
    fs::create_hard_link(dir / "disk/a.txt", dir / "disk/b.txt");

    const auto failure = writeWholeFile(pathIn("mount/a.txt"), QByteArray(row.reportSize, 'R'));

    WriteFailure expected = WriteFailure::system(EIO);
    if (row.endLost)
        expected.loss = WriteFailure::Loss{row.reportSize, row.oldSize, row.oldSize, row.reportSize};
    EXPECT_EQ(failure, expected);
    const QByteArray left = row.endLost ? old.left(row.reportSize) : old;
    for (const char* name : {"mount/b.txt", "disk/a.txt"}) {
        const QByteArray now = bytesOf(pathIn(name));
        EXPECT_EQ(now.size(), left.size()) << name;
        EXPECT_TRUE(now == left) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "disk"), fs::directory_iterator()), 2);
}

INSTANTIATE_TEST_SUITE_P(FuseFolders, FailingDiskTest, testing::ValuesIn(kFailingDisks),
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
