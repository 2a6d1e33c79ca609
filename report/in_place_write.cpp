#include "in_place_write.h"

#include "file_descriptor.h"

#include <QByteArrayView>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Loss = WriteFailure::Loss;

// Checking what was put back reads this much at a time, so that a long cut
// off end needs no second copy in memory.
constexpr qsizetype kCheckBlock = 64 * 1024;

// The old file as kept while the report is written over it.
struct OldContent {
    off_t size = 0;
    QByteArray bytes; // its first bytes.size() bytes; none where it cannot be read
};

// Old bytes found not to be back, as one span from the first to the last.
class Span {
public:
    void add(qint64 begin, qint64 end)
    {
        if (begin >= end)
            return;
        from_ = std::min(from_, begin);
        to_ = std::max(to_, end);
    }
    bool isEmpty() const { return from_ >= to_; }
    qint64 from() const { return isEmpty() ? 0 : from_; }
    qint64 to() const { return isEmpty() ? 0 : to_; }

private:
    qint64 from_ = std::numeric_limits<qint64>::max();
    qint64 to_ = 0;
};

// Reopens the regular file reached, for reading too where allowed, so that
// its old bytes can be kept. Through the descriptor, not the name, so that
// it is the file that was looked at whatever the name leads to by now.
int openForOverwrite(int reached, bool& readable)
{
    const QByteArray path = descriptorPath(reached);
    constexpr int kFlags = O_CLOEXEC | O_NOCTTY;
    int fd = ::open(path.constData(), O_RDWR | kFlags);
    readable = fd >= 0;
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.constData(), O_WRONLY | kFlags);
    return fd;
}

// How many of size bytes at offset could be read: fewer at the file's end,
// -1 with errno set on a failure.
qsizetype readAt(int fd, off_t offset, char* data, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t step = ::pread(fd, data + done, std::size_t(size - done), offset + done);
        if (step < 0 && errno == EINTR)
            continue;
        if (step < 0)
            return -1;
        if (step == 0)
            break;
        done += step;
    }
    return done;
}

bool writeAt(int fd, off_t offset, QByteArrayView bytes)
{
    return ::lseek(fd, offset, SEEK_SET) == offset &&
           writeAll(fd, QByteArray::fromRawData(bytes.data(), bytes.size()));
}

// Keeps what writing newSize bytes over the old file and cutting it to that
// length would change: the whole file, or only its start where it is longer
// than memory should hold. Where that cannot be read, nothing may change.
std::optional<WriteFailure> keep(int fd, qsizetype newSize, OldContent& old)
{
    const off_t wanted = old.size <= kMostOldBytesKept ? old.size : std::min<off_t>(old.size, newSize);
    old.bytes = QByteArray(qsizetype(wanted), Qt::Uninitialized);
    const qsizetype read = readAt(fd, 0, old.bytes.data(), old.bytes.size());
    if (read < 0)
        return WriteFailure::system(errno);
    if (read < old.bytes.size()) // cut shorter by someone else meanwhile
        return WriteFailure::of(WriteFailure::Kind::PathChanged);
    return std::nullopt;
}

// Makes sure that writing length bytes from the start cannot fail for want
// of space. Where the file system reserves no space, the file is grown with
// zeros instead, which covers everything past the old end; the old bytes
// themselves stay untouched either way.
bool reserve(int fd, off_t oldSize, off_t length)
{
    if (length == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length) == 0)
        return true;
    if (errno != EOPNOTSUPP)
        return false;
    return length <= oldSize || (::lseek(fd, oldSize, SEEK_SET) == oldSize &&
                                 writeAll(fd, QByteArray(qsizetype(length - oldSize), '\0')));
}

// Writes bytes from the start, counting in written how many reached the
// file: only those need putting back.
bool overwrite(int fd, const QByteArray& bytes, const WriteCall& write, off_t& written)
{
    const WriteCall counted = [&](int to, const void* data, std::size_t size) {
        const ssize_t step = write ? write(to, data, size) : ::write(to, data, size);
        if (step > 0)
            written += step;
        return step;
    };
    return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes, counted);
}

// Adds to lost whatever of expected the file does not hold at offset.
void addDifferences(int fd, off_t offset, QByteArrayView expected, Span& lost)
{
    QByteArray block(std::min(kCheckBlock, expected.size()), Qt::Uninitialized);
    for (qsizetype at = 0; at < expected.size(); at += kCheckBlock) {
        const qsizetype size = std::min(kCheckBlock, expected.size() - at);
        const qsizetype read = readAt(fd, offset + at, block.data(), size);
        if (read == size && std::memcmp(block.constData(), expected.data() + at, std::size_t(size)) == 0)
            continue;
        for (qsizetype i = 0; i < size; ++i)
            if (i >= read || block[i] != expected[at + i])
                lost.add(offset + at + i, offset + at + i + 1);
    }
}

// Puts back the old bytes that were overwritten from the start and, where
// the file was cut at cutAt, those cut off, and the old length; then reads
// the file again and says what of its old content it does not hold.
std::optional<Loss> putBack(int fd, const OldContent& old, off_t written, std::optional<off_t> cutAt)
{
    const off_t known = old.bytes.size();
    // Only what was overwritten goes back: the bytes past it never changed,
    // and writing them could meet the limit that stopped the report.
    const QByteArrayView head = QByteArrayView(old.bytes).first(qsizetype(std::min({written, old.size, known})));
    writeAt(fd, 0, head);
    QByteArrayView tail;
    if (cutAt && *cutAt < known) {
        tail = QByteArrayView(old.bytes).sliced(qsizetype(*cutAt));
        writeAt(fd, *cutAt, tail);
    }
    // Takes off what the report added past the old end and frees what was
    // reserved there; a file whose end could not be put back is not padded.
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size >= old.size)
        ::ftruncate(fd, old.size);
    // A disk that refused the report may refuse this too: what counts is
    // what the file holds, checked below.
    ::fsync(fd);

    Span lost;
    addDifferences(fd, 0, head, lost);
    if (!tail.isEmpty())
        addDifferences(fd, *cutAt, tail, lost);
    // Bytes that were never kept are lost where they were overwritten or cut.
    lost.add(known, std::min(written, old.size));
    if (cutAt)
        lost.add(std::max(known, *cutAt), old.size);
    const off_t sizeNow = ::fstat(fd, &info) == 0 ? info.st_size : 0;
    lost.add(sizeNow, old.size);
    if (lost.isEmpty() && sizeNow == old.size)
        return std::nullopt;
    return Loss{lost.from(), lost.to(), old.size, sizeNow};
}

WriteFailure failedAndPutBack(int fd, const OldContent& old, off_t written, std::optional<off_t> cutAt = {})
{
    WriteFailure failure = WriteFailure::system(errno);
    failure.loss = putBack(fd, old, written, cutAt);
    return failure;
}

} // namespace

std::optional<WriteFailure> overwriteInPlace(const Destination& destination, const QByteArray& bytes,
                                        const WriteCall& write)
{
    bool readable = false;
    FileDescriptor file(openForOverwrite(destination.reached.get(), readable));
    struct stat info {};
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0)
        return WriteFailure::system(errno);
    const int fd = file.get();
    OldContent old{info.st_size, {}};
    if (readable) {
        if (auto failure = keep(fd, bytes.size(), old))
            return failure;
    }
    const off_t size = bytes.size();
    off_t written = 0;
    if (!reserve(fd, old.size, size) || !overwrite(fd, bytes, write, written) || ::fsync(fd) != 0)
        return failedAndPutBack(fd, old, written);
    // Only now that the report is on disk may the old end go.
    if (size < old.size && (::ftruncate(fd, size) != 0 || ::fsync(fd) != 0))
        return failedAndPutBack(fd, old, written, size);
    if (!file.close())
        return WriteFailure::system(errno);
    return std::nullopt;
}
