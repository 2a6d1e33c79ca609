#pragma once

#include "report_file.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Makes bytes the whole content of the existing regular file at path (in
// the system's encoding) by writing over it, so that the file itself stays:
// its owner, its mode and every hard link to it. Nothing when that worked,
// else the reason.
//
// The space for the new length is reserved before the first old byte
// changes; where it cannot be had the file is left as it was. Should a write
// fail after that (a file size limit, a failing disk), the overwritten bytes
// are put back and the old length restored, so the file again holds its old
// content byte for byte; only when the file cannot be read, or putting back
// fails too, does the reason add that the old content is not whole.
std::optional<QString> overwriteInPlace(const QByteArray& path, const QByteArray& bytes,
                                        const WriteCall& write = {});
