#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Makes bytes the whole content of the file at path (not empty; a relative
// path is relative to the working directory). Nothing when that worked,
// else the reason, as the system gives it where it gives one.
//
// - A regular file, new or existing, is written under a temporary name
//   beside it and put in its place only once complete: a failure leaves an
//   existing file byte for byte as it was and no temporary file behind. The
//   existing file's permissions are kept. Where the folder takes no new file
//   but the file itself is writable, the file is written in place instead.
// - Through a symbolic link the link's target is written; the link stays.
// - A device or a pipe is written to as it is, never replaced by a file.
// - A file name of nothing but blanks is refused.
std::optional<QString> writeWholeFile(const QString& path, const QByteArray& bytes);
