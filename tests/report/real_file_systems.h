#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

// Real file systems and kernel settings for the tests of the file writer,
// each undone when its owner goes. Each says when the machine does not allow
// it, so that the test can be skipped with a reason.

// Runs test on a thread of its own, the only one to see source mounted at
// mountPoint (as mount(2) takes them: a file system of type with the flags
// and options given, or a bind mount); the mount goes with the thread. False
// where this process may not mount it.
bool onOwnMount(const std::string& source, const std::filesystem::path& mountPoint, const char* type,
                unsigned long flags, const std::string& options, const std::function<void()>& test);

// The same with a fresh file system of 64 KiB of type (tmpfs, ramfs).
bool onSmallDisk(const std::filesystem::path& mountPoint, const char* type, const std::string& options,
                 const std::function<void()>& test);

// Makes image an empty ext4 file system of 1 MiB. False where mkfs.ext4 is
// missing or fails.
bool makeExt4Image(const std::filesystem::path& image);

// A loop device (a disk) over an image file; needs root.
class LoopDevice {
public:
    explicit LoopDevice(const std::filesystem::path& image);
    ~LoopDevice();
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    bool attached() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// Marks folder append-only, as `chattr +a` does: it takes new names but
// lets none be removed or renamed. False where its file system cannot.
bool makeAppendOnly(const std::filesystem::path& folder);

// Turns the kernel's protection of links in sticky shared folders
// (fs.protected_symlinks, on by default in Debian) on while it lives, and
// puts the setting back as it was.
class ProtectedSymlinks {
public:
    ProtectedSymlinks();
    ~ProtectedSymlinks();
    ProtectedSymlinks(const ProtectedSymlinks&) = delete;
    ProtectedSymlinks& operator=(const ProtectedSymlinks&) = delete;

    bool on() const { return on_; }

private:
    std::optional<std::string> previous_;
    bool on_ = false;
};

// A folder shown at mountPoint through the tests' FUSE file system while it
// lives, failing as a failing disk does: on a file with more than one name,
// only fsyncsThatWork fsyncs of each open work, the others fail with EIO.
class FailingDiskFolder {
public:
    FailingDiskFolder(const std::filesystem::path& folder, const std::filesystem::path& mountPoint,
                      int fsyncsThatWork);
    ~FailingDiskFolder();
    FailingDiskFolder(const FailingDiskFolder&) = delete;
    FailingDiskFolder& operator=(const FailingDiskFolder&) = delete;

    // Nothing once mounted, else why not.
    const std::optional<std::string>& lacking() const { return lacking_; }

private:
    std::filesystem::path mountPoint_;
    pid_t server_ = -1;
    std::optional<std::string> lacking_;
};
