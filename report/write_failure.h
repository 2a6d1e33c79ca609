#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Why a report could not be written, as the writer knows it: a kind and the
// system's error number, never words. Only the save flow turns it into the
// reason a user reads.
struct WriteFailure {
    enum class Kind {
        System,      // the system refused; error says why
        BlankName,   // a file name of nothing but blanks
        NoReader,    // a pipe that no program reads from
        Disk,        // a disk or partition, named by file
        PathChanged, // the path, named by file, led elsewhere while it was followed
    };

    // What a write in place that failed could not give back of the old
    // file's content, as the file shows it afterwards: its bytes from `from`
    // to `to` (counted from 0, `to` excluded) are lost, and it is `sizeNow`
    // bytes long where it was `oldSize`.
    struct Loss {
        qint64 from = 0;
        qint64 to = 0;
        qint64 oldSize = 0;
        qint64 sizeNow = 0;
        bool operator==(const Loss&) const = default;
    };

    Kind kind = Kind::System;
    int error = 0; // the system's error number, for System
    // Nothing unless a write in place failed and the old content could not
    // all be put back.
    std::optional<Loss> loss;
    QString file;           // the disk, for Disk; the path, for PathChanged
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
    static WriteFailure pathChanged(const QString& path)
    {
        WriteFailure failure = of(Kind::PathChanged);
        failure.file = path;
        return failure;
    }
    bool operator==(const WriteFailure&) const = default;
};
