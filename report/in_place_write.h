#pragma once

#include "destination.h"
#include "write_call.h"
#include "write_failure.h"

#include <QByteArray>
#include <QtGlobal>
#include <optional>

// The most of an old file's bytes that a write in place keeps in memory:
// all of a file up to this size, of a longer one only the bytes about to be
// overwritten.
inline constexpr qint64 kMostOldBytesKept = qint64(64) << 20;

// Makes bytes the whole content of the existing regular file that
// destination reached, by writing over it, so that the file itself stays:
// its owner, its mode, its access list and other extended attributes, and
// every hard link to it. Nothing when that worked, else what failed.
//
// The old content is kept in memory (see kMostOldBytesKept) and the space
// for the new length reserved before the first old byte changes; where it
// cannot be read or the space cannot be had, the file is left as it was.
// The file is cut to the new length only once the new bytes are on disk,
// and is on disk itself before this returns. Should anything fail on the
// way (a file size limit, a failing disk), the bytes overwritten and cut off
// are put back, the old length restored, and what was put back read again
// to check it; the failure's loss then names what the file could not be
// given back (all that was overwritten of a file that cannot be read, or
// the cut-off end of a longer one), and is empty when it holds its old
// content byte for byte.
std::optional<WriteFailure> overwriteInPlace(const Destination& destination, const QByteArray& bytes,
                                        const WriteCall& write = {});
