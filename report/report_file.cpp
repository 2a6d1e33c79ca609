#include "report_file.h"

#include "save_messages.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// A short write comes back without a reason; writing the rest then fails
// with one (a full disk, a file size limit).
bool writeAll(QFileDevice& file, const QByteArray& bytes)
{
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 step = file.write(bytes.constData() + written, bytes.size() - written);
        if (step <= 0)
            return false;
        written += step;
    }
    return true;
}

// Replacing a device or a pipe by a regular file would destroy it.
std::optional<QString> writeInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeAll(file, bytes))
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> replaceWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    // Unbuffered, so that every failure shows in write() itself: a flush
    // that fails inside commit() would not keep the incomplete file from
    // replacing the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !writeAll(file, bytes))
        return file.errorString(); // the uncommitted temporary file goes with `file`
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

bool isOnlyBlanks(const QString& name)
{
    return !name.isEmpty() && name.trimmed().isEmpty();
}

} // namespace

std::optional<QString> writeWholeFile(const QString& path, const QByteArray& bytes)
{
    const QFileInfo info(path);
    if (isOnlyBlanks(info.fileName()))
        return kBlankNameReason;
    if (info.exists() && !info.isFile() && !info.isDir())
        return writeInPlace(path, bytes);
    return replaceWhole(path, bytes);
}
