#pragma once

// The texts of the messages that source reading leads to.
inline constexpr const char* kMissingSourceMessage =
    "Please select an input file before attempting to calculate frequencies.";
inline constexpr const char* kSourceLimitMessage =
    "Input file size exceeds this programs maximum of 2100000000 chars.  "
    "Counting stopped at this point, but results will be valid up to this point.";
// %1 the source path as typed, %2 the system's reason.
inline constexpr const char* kReadFailedMessage = "The source file could not be read:  %1\n\n%2.";
// The reason given, in the window and on the command line, for a file that
// kept changing while it was counted.
inline constexpr const char* kChangedWhileCountedReason = "The file changed while it was counted";
