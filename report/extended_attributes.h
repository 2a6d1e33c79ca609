#pragma once

#include <QByteArray>

// Gives the file open at to exactly the extended attributes of name in
// folder, its access list (system.posix_acl_access) among them: those it got
// from its own folder and the old file lacks are removed. A file capability
// is not carried, as the kernel drops it from a file whose content changes.
// False with errno set where one cannot be read, set or removed.
bool copyExtendedAttributes(int folder, const QByteArray& name, int to);
