#pragma once

// Whether the file open at fd lies on a FUSE or network file system, whose
// server may never answer. There a direct read, or a page of a mapping,
// waits for the answer where no signal reaches it, and a locked page keeps
// every later open of the file waiting too: such files are read only
// through plain reads, whose waits end with the program. True also where
// the file system cannot be told.
bool servedFromAfar(int fd);
