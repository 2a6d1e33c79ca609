#pragma once

#include "write_call.h"
#include "write_failure.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Makes bytes the whole content of the file at path (not empty; a relative
// path is relative to the working directory). Nothing when that worked,
// else what failed. A failure never loses or corrupts an existing file:
//
// - The file written is the one the kernel reaches when it opens path:
//   symbolic links are followed by the kernel's rules, names stay bytes, and
//   a link the kernel refuses to follow (one planted in a shared sticky
//   folder) is refused with its error, nothing written anywhere. Through a
//   link to nothing yet, the file is created where the link points; the
//   link stays.
// - A regular file, new or existing, is written under a temporary name
//   beside it and put in its place only once complete and on disk: a failure
//   leaves an existing file byte for byte as it was and no temporary file
//   behind. The replacement gets the old file's owner, group, extended
//   attributes (its access list among them) and mode, which never widens. A
//   file that is not writable is refused, not replaced.
// - A file with more than one name (hard links), one in a folder that takes
//   no new file or lets none be removed or replaced (append-only), and one
//   whose owner, group or attributes this process may not give a new file
//   are written in place, so that the file itself stays and every name shows
//   the report: its whole old content is kept until the report is on disk,
//   and put back on a failure (see overwriteInPlace, and the failure's loss
//   for what could not be). A new file in an append-only folder is created
//   directly, named only once complete where the file system allows; an
//   unfinished file that cannot be removed is named in the failure.
// - A disk or partition (a block device) is refused. Where the kernel's open
//   reaches a pipe or a character device, that is written to as it is,
//   never replaced by a file, and never waited for long: a pipe with nothing
//   reading from it is reported at once. So /dev/stdout and /dev/fd/N work
//   whatever they are. No socket can be opened: one is written only through
//   a descriptor the program was given when it started (its standard output
//   under a service manager), never through one of its own connections.
// - Where the path leads elsewhere while it is followed (renamed, relinked,
//   or a file that is gone but still open), nothing is written and the
//   failure is PathChanged with the path made absolute.
// - A file name of nothing but blanks is refused.
std::optional<WriteFailure> writeWholeFile(const QString& path, const QByteArray& bytes,
                                      const WriteCall& write = {});

// Makes a write beyond the file size limit fail with "File too large", and
// one to a pipe whose reader has gone fail with "Broken pipe", instead of
// ending the program. Call once at start, before any other thread runs.
void ignoreWriteSignals();
