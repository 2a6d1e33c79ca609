#include "real_file_systems.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <linux/loop.h>
#include <sched.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kProtectedSymlinks = "/proc/sys/fs/protected_symlinks";

std::optional<std::string> readSetting(const char* path)
{
    std::string value;
    if (std::ifstream file(path); file >> value)
        return value;
    return std::nullopt;
}

bool writeSetting(const char* path, const std::string& value)
{
    std::ofstream file(path);
    return static_cast<bool>(file << value << '\n' << std::flush);
}

bool isMounted(const fs::path& mountPoint)
{
    std::ifstream mounts("/proc/self/mounts");
    std::string source, target, rest;
    while (mounts >> source >> target && std::getline(mounts, rest))
        if (target == mountPoint.string())
            return true;
    return false;
}

} // namespace

bool onOwnMount(const std::string& source, const fs::path& mountPoint, const char* type, unsigned long flags,
                const std::string& options, const std::function<void()>& test)
{
    bool mounted = false;
    std::thread([&] {
        mounted = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                  ::mount(source.c_str(), mountPoint.c_str(), type, flags, options.c_str()) == 0;
        if (mounted)
            test();
    }).join();
    return mounted;
}

bool onSmallDisk(const fs::path& mountPoint, const char* type, const std::string& options,
                 const std::function<void()>& test)
{
    return onOwnMount("tallivor-test", mountPoint, type, 0, "size=64k," + options, test);
}

bool makeExt4Image(const fs::path& image)
{
    std::ofstream(image, std::ios::binary).close();
    fs::resize_file(image, 1 << 20);
    // Without a journal an ext4 file system fits in 1 MiB.
    const std::string command = "mkfs.ext4 -q -F -O ^has_journal '" + image.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

LoopDevice::LoopDevice(const fs::path& image)
{
    const int control = ::open("/dev/loop-control", O_RDWR | O_CLOEXEC);
    const int backing = ::open(image.c_str(), O_RDWR | O_CLOEXEC);
    // Another process may take the free device first.
    for (int attempt = 0; attempt < 10 && fd_ < 0 && control >= 0 && backing >= 0; ++attempt) {
        const int number = ::ioctl(control, LOOP_CTL_GET_FREE);
        if (number < 0)
            break;
        path_ = "/dev/loop" + std::to_string(number);
        const int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0 && ::ioctl(fd, LOOP_SET_FD, backing) == 0)
            fd_ = fd;
        else if (fd >= 0)
            ::close(fd);
    }
    if (backing >= 0)
        ::close(backing);
    if (control >= 0)
        ::close(control);
}

LoopDevice::~LoopDevice()
{
    if (fd_ < 0)
        return;
    ::ioctl(fd_, LOOP_CLR_FD, 0);
    ::close(fd_);
}

bool makeAppendOnly(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    const bool made = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                      (flags |= FS_APPEND_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (fd >= 0)
        ::close(fd);
    return made;
}

ProtectedSymlinks::ProtectedSymlinks() : previous_(readSetting(kProtectedSymlinks))
{
    on_ = previous_ == "1" || (previous_ && writeSetting(kProtectedSymlinks, "1"));
}

ProtectedSymlinks::~ProtectedSymlinks()
{
    if (previous_ && previous_ != "1")
        writeSetting(kProtectedSymlinks, *previous_);
}

FailingDiskFolder::FailingDiskFolder(const fs::path& folder, const fs::path& mountPoint, int fsyncsThatWork)
    : mountPoint_(mountPoint)
{
#ifdef TALLIVOR_SLOW_FUSE
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        lacking_ = "/dev/fuse is not usable";
        return;
    }
    const std::string count = std::to_string(fsyncsThatWork);
    const std::string arguments[] = {TALLIVOR_SLOW_FUSE, folder.string(), mountPoint.string(), "0", count};
    char* argv[] = {const_cast<char*>(arguments[0].c_str()), const_cast<char*>(arguments[1].c_str()),
                    const_cast<char*>(arguments[2].c_str()), const_cast<char*>(arguments[3].c_str()),
                    const_cast<char*>(arguments[4].c_str()), nullptr};
    if (::posix_spawn(&server_, argv[0], nullptr, nullptr, argv, environ) != 0) {
        server_ = -1;
        lacking_ = "the FUSE helper cannot be started";
        return;
    }
    for (int wait = 0; wait < 100 && !isMounted(mountPoint); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (!isMounted(mountPoint))
        lacking_ = "FUSE cannot be mounted here";
#else
    (void)folder;
    (void)fsyncsThatWork;
    lacking_ = "the FUSE helper is not built (no libfuse3)";
#endif
}

FailingDiskFolder::~FailingDiskFolder()
{
    if (server_ < 0)
        return;
    if (isMounted(mountPoint_) && ::umount2(mountPoint_.c_str(), MNT_DETACH) != 0) {
        const std::string command = "fusermount3 -u -z '" + mountPoint_.string() + "' 2>/dev/null";
        std::system(command.c_str());
    }
    ::kill(server_, SIGTERM);
    ::waitpid(server_, nullptr, 0);
}
