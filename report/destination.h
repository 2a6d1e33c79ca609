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
//
// A path is walked twice. The kernel's own open decides which file the path
// reaches and which links may be followed (its protections for sticky shared
// folders are its alone to apply); but a file is replaced with renameat,
// which needs the folder that holds the file and its name there, and no open
// gives those: a second walk, link by link, supplies them. Where the two
// disagree, the path changed while it was followed.
struct Destination {
    // The file the kernel's open reaches, opened as a path only (it neither
    // reads nor waits on a pipe); none for a new file.
    FileDescriptor reached;
    // For a regular file or a new one only: the folder that holds it, opened
    // as a path only, and its name there, never a symbolic link. A pipe, a
    // socket or a device is written through what the kernel reached: its
    // name may be no path at all (a pipe's `/dev/fd/N`).
    FileDescriptor folder;
    QByteArray name;
    std::optional<struct stat> existing; // what is there now; nothing for a new file
};

// Finds where path (in the system's encoding; relative to the working
// directory) leads, or why the kernel would not open it there: a missing
// folder, a folder, a link it refuses to follow in a shared folder, too many
// links. Where a link leads to a name
// that does not exist yet, the destination is that name in the link's
// target folder, as a shell's `>` would create it. Where the path led
// elsewhere while it was followed, that is the failure (PathChanged, its
// file left to the caller).
std::optional<WriteFailure> findDestination(const QByteArray& path, Destination& destination);

// Whether two descriptions are of one file.
bool sameFile(const struct stat& one, const struct stat& other);

// The full path of name in folder, for messages.
QString pathInFolder(int folder, const QByteArray& name);

// The full path of the file open at fd, for messages.
QString pathOfDescriptor(int fd);

// Whether folder takes new names but lets none be removed or replaced
// (marked append-only or immutable), so that a temporary file could neither
// be put in place nor cleared away.
bool refusesRemovals(int folder);
