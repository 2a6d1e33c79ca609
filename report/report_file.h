#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <sys/types.h>

// The write call for the report's bytes, replaceable so that tests can
// inject failures; the system's write() when empty.
using WriteCall = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

// Makes bytes the whole content of the file at path (not empty; a relative
// path is relative to the working directory). Nothing when that worked,
// else the reason, as the system gives it where it gives one. A failure
// never loses or corrupts an existing file:
//
// - A regular file, new or existing, is written under a temporary name
//   beside it and put in its place only once complete and on disk: a failure
//   leaves an existing file byte for byte as it was and no temporary file
//   behind. The replacement gets the old file's owner, group and mode. A
//   file that is not writable is refused, not replaced.
// - A file with more than one name (hard links), one in a folder that takes
//   no new file, and one whose owner or group this process may not give a
//   new file are written in place, so that the file itself stays and every
//   name shows the report: see overwriteInPlace for what a failure leaves.
// - Through a symbolic link the link's target is written; the link stays.
// - A device or a pipe is written to as it is, never replaced by a file, and
//   never waited for long: a pipe with nothing reading from it is reported
//   at once.
// - A file name of nothing but blanks is refused.
std::optional<QString> writeWholeFile(const QString& path, const QByteArray& bytes,
                                      const WriteCall& write = {});

// Makes a write beyond the file size limit fail with "File too large", and
// one to a pipe whose reader has gone fail with "Broken pipe", instead of
// ending the program. Call once at start, before any other thread runs.
void ignoreWriteSignals();
