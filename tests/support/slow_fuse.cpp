// A FUSE file system that shows a folder as it is, except that it is slow
// where a disk or a network can be: every fsync takes the seconds given, and
// a read of a file whose name starts with "stalled" never returns until the
// reader is interrupted (killed). With FSYNCS_THAT_WORK, it also fails as a
// failing disk does: on a file with more than one name (hard links), only
// that many fsyncs of each open work, the others fail with EIO. Runs in the
// foreground until unmounted.
// Usage: slow_fuse FOLDER MOUNTPOINT FSYNC_SECONDS [FSYNCS_THAT_WORK]
#define FUSE_USE_VERSION 31

#include <fuse.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

std::string folder;
int fsyncSeconds = 0;
int fsyncsThatWork = -1; // every one, unless given
std::mutex fsyncsLock;
std::map<std::uint64_t, int> fsyncsDone; // by open file

std::string real(const char* path)
{
    return folder + path;
}

int result(int value)
{
    return value < 0 ? -errno : value;
}

bool isStalled(const char* path)
{
    const char* name = std::strrchr(path, '/');
    return std::strncmp(name ? name + 1 : path, "stalled", 7) == 0;
}

int doGetattr(const char* path, struct stat* info, fuse_file_info*)
{
    return result(::lstat(real(path).c_str(), info));
}

int doAccess(const char* path, int mode)
{
    return result(::access(real(path).c_str(), mode));
}

int doReaddir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*,
              fuse_readdir_flags)
{
    DIR* dir = ::opendir(real(path).c_str());
    if (!dir)
        return -errno;
    while (const dirent* entry = ::readdir(dir))
        fill(buffer, entry->d_name, nullptr, 0, fuse_fill_dir_flags{});
    ::closedir(dir);
    return 0;
}

int doOpen(const char* path, fuse_file_info* file)
{
    const int fd = ::open(real(path).c_str(), file->flags);
    if (fd < 0)
        return -errno;
    file->fh = std::uint64_t(fd);
    // Past the page cache: a read there that never ends would keep a page
    // locked, and the next open of the file would wait on it for ever.
    file->direct_io = isStalled(path);
    return 0;
}

int doCreate(const char* path, mode_t mode, fuse_file_info* file)
{
    const int fd = ::open(real(path).c_str(), file->flags, mode);
    if (fd < 0)
        return -errno;
    file->fh = std::uint64_t(fd);
    return 0;
}

int doRead(const char* path, char* buffer, size_t size, off_t offset, fuse_file_info* file)
{
    if (isStalled(path)) {
        while (!fuse_interrupted())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return -EINTR;
    }
    return result(int(::pread(int(file->fh), buffer, size, offset)));
}

int doWrite(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* file)
{
    return result(int(::pwrite(int(file->fh), buffer, size, offset)));
}

bool hasSeveralNames(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && info.st_nlink > 1;
}

int doFsync(const char*, int, fuse_file_info* file)
{
    std::this_thread::sleep_for(std::chrono::seconds(fsyncSeconds));
    if (fsyncsThatWork >= 0 && hasSeveralNames(int(file->fh))) {
        const std::lock_guard lock(fsyncsLock);
        if (fsyncsDone[file->fh]++ >= fsyncsThatWork)
            return -EIO;
    }
    return result(::fsync(int(file->fh)));
}

int doRelease(const char*, fuse_file_info* file)
{
    {
        const std::lock_guard lock(fsyncsLock);
        fsyncsDone.erase(file->fh);
    }
    ::close(int(file->fh));
    return 0;
}

int doRename(const char* from, const char* to, unsigned int flags)
{
    if (flags)
        return -EINVAL;
    return result(::rename(real(from).c_str(), real(to).c_str()));
}

int doUnlink(const char* path)
{
    return result(::unlink(real(path).c_str()));
}

int doChmod(const char* path, mode_t mode, fuse_file_info*)
{
    return result(::chmod(real(path).c_str(), mode));
}

int doChown(const char* path, uid_t owner, gid_t group, fuse_file_info*)
{
    return result(::lchown(real(path).c_str(), owner, group));
}

int doTruncate(const char* path, off_t size, fuse_file_info* file)
{
    return result(file ? ::ftruncate(int(file->fh), size) : ::truncate(real(path).c_str(), size));
}

int doUtimens(const char* path, const timespec times[2], fuse_file_info*)
{
    return result(::utimensat(AT_FDCWD, real(path).c_str(), times, AT_SYMLINK_NOFOLLOW));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s FOLDER MOUNTPOINT FSYNC_SECONDS [FSYNCS_THAT_WORK]\n", argv[0]);
        return 2;
    }
    folder = argv[1];
    fsyncSeconds = std::atoi(argv[3]);
    if (argc == 5)
        fsyncsThatWork = std::atoi(argv[4]);
    fuse_operations operations{};
    operations.getattr = doGetattr;
    operations.access = doAccess;
    operations.readdir = doReaddir;
    operations.open = doOpen;
    operations.create = doCreate;
    operations.read = doRead;
    operations.write = doWrite;
    operations.fsync = doFsync;
    operations.release = doRelease;
    operations.rename = doRename;
    operations.unlink = doUnlink;
    operations.chmod = doChmod;
    operations.chown = doChown;
    operations.truncate = doTruncate;
    operations.utimens = doUtimens;
    char* fuseArguments[] = {argv[0], argv[2], const_cast<char*>("-f"), nullptr};
    return fuse_main(3, fuseArguments, &operations, nullptr);
}
