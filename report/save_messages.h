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
// The reason given for a path that led elsewhere while the report was
// saved; %1 the path.
inline const QString kPathChangedReason =
    QStringLiteral("%1 changed while the report was being saved, so nothing was written");
// Added to the reason where a write in place failed and the file could not
// be given back all of its old content: the first of these, then the second,
// the third or both, joined by kAndReason.
inline const QString kOldContentNotBackReason = QStringLiteral(".  Its old content could not be put back: ");
// %1 and %2 the first and last byte lost, counted from 1; %3 the old length.
inline const QString kOldBytesLostReason = QStringLiteral("bytes %1 to %2 of its %3 are lost");
// %1 how many bytes longer than before the file is.
inline const QString kBytesAddedReason = QStringLiteral("it is %1 bytes longer than it was");
inline const QString kAndReason = QStringLiteral(", and ");

// The destination box's initial text: it names no file.
inline const QString kDestinationPrompt = QStringLiteral("Select a destination file...");
