#pragma once

#include "report_file.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Makes bytes the whole content of the existing regular file name in folder
// (a descriptor; a name that is a link is refused) by writing over it, so
// that the file itself stays: its owner, its mode, its access list and
// other extended attributes, and every hard link to it. Nothing when that
// worked, else what failed.
//
// The space for the new length is reserved before the first old byte
// changes; where it cannot be had the file is left as it was. Should a write
// fail after that (a file size limit, a failing disk), the overwritten bytes
// are put back and the old length restored, so the file again holds its old
// content byte for byte; only when the file cannot be read, or putting back
// fails too, is the old content said not to be whole.
std::optional<WriteFailure> overwriteInPlace(int folder, const QByteArray& name, const QByteArray& bytes,
                                        const WriteCall& write = {});
