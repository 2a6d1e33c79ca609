#pragma once

#include "file_descriptor.h"
#include "write_failure.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/stat.h>

// The file a path names, found as the kernel finds it when it opens the path:
// every symbolic link followed by the kernel's own rules, the kernel's link
// protections applied, names kept as the bytes they are.
struct Destination {
    FileDescriptor folder; // the folder that holds it, opened as a path only
    QByteArray name;       // its name there; never a symbolic link
    std::optional<struct stat> existing; // what is there now; nothing for a new file
};

// Finds where path (in the system's encoding; relative to the working
// directory) leads, or why the kernel would not open it there: a missing folder, a folder, a link it refuses to
// follow in a shared folder, too many links. Where a link leads to a name
// that does not exist yet, the destination is that name in the link's
// target folder, as a shell's `>` would create it.
std::optional<WriteFailure> findDestination(const QByteArray& path, Destination& destination);

// The full path of name in folder, for messages.
QString pathInFolder(int folder, const QByteArray& name);

// Whether folder takes new names but lets none be removed or replaced
// (marked append-only or immutable), so that a temporary file could neither
// be put in place nor cleared away.
bool refusesRemovals(int folder);
