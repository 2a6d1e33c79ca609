#pragma once

#include <QString>

// Why a report could not be written, as the writer knows it: a kind and the
// system's error number, never words. Only the save flow turns it into the
// reason a user reads.
struct WriteFailure {
    enum class Kind {
        System,    // the system refused; error says why
        BlankName, // a file name of nothing but blanks
        NoReader,  // a pipe that no program reads from
        Disk,      // a disk or partition, named by file
    };

    Kind kind = Kind::System;
    int error = 0; // the system's error number, for System
    // False where a write in place failed and the old bytes could not all be
    // put back.
    bool oldContentWhole = true;
    QString file;           // the disk, for Disk
    QString unfinishedFile; // a temporary file that could not be removed, if any

    static WriteFailure of(Kind kind)
    {
        WriteFailure failure;
        failure.kind = kind;
        return failure;
    }
    static WriteFailure system(int error)
    {
        WriteFailure failure;
        failure.error = error;
        return failure;
    }
    static WriteFailure disk(const QString& file)
    {
        WriteFailure failure = of(Kind::Disk);
        failure.file = file;
        return failure;
    }
    bool operator==(const WriteFailure&) const = default;
};
