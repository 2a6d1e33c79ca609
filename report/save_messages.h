#pragma once

#include <QString>

// Every text the save flow shows, and the one it compares the destination
// with.

inline const QString kEmptyDatasetQuestion =
    QStringLiteral("Your dataset is empty.  Do you still wish to save?");
inline const QString kNoDestinationMessage =
    QStringLiteral("Please type in or select a destination file before attempting to save.");
inline const QString kOverwriteQuestion =
    QStringLiteral("Destination file exists.  Do you wish to overwrite?");

// %1 the destination's full path, %2 the reason as the system gives it.
inline const QString kWriteFailedMessage =
    QStringLiteral("The report could not be written to:  %1\n\n%2.");
// The reason given for a destination whose file name is nothing but blanks.
inline const QString kBlankNameReason = QStringLiteral("The file name is only blanks");
// The reason given for a pipe that nothing reads from.
inline const QString kNoReaderReason = QStringLiteral("No program is reading from this pipe");
// The reason given for a block device; %1 its path.
inline const QString kDiskNotFileReason = QStringLiteral("%1 is a disk or partition, not a file");
// Added to the reason where an unfinished file could not be removed (a
// folder that lets nothing be removed); %1 its path.
inline const QString kUnfinishedFileLeftReason =
    QStringLiteral(".  The unfinished file %1 could not be removed");
// Added to the reason where a write in place failed and the file could not
// be given back its old content.
inline const QString kOldContentNotWholeReason =
    QStringLiteral(".  Its old content could not be put back in full");

// The destination box's initial text: it names no file.
inline const QString kDestinationPrompt = QStringLiteral("Select a destination file...");
