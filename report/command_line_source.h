#pragma once

#include "source_file.h"

#include <QByteArray>
#include <QString>

// A source named on the command line: "-" is standard input, anything else
// a file's name as the file system's bytes, counted as it is named (a hidden
// file too). Standard input is counted as it streams, with flat memory,
// whatever it is (a pipe, a terminal, a redirected file). options.limit and
// options.observer apply to both.
ReadOutcome countCommandLineSource(const QByteArray& name, SourceCount& count,
                                   const ReadOptions& options);

// Why a source could not be counted, as one line for standard error: the
// name as given (its bytes, see textOfBytes), a colon and the system's
// reason, "data/x: No such file or directory"; a device, a named pipe or a
// socket is named for what it is.
QString sourceFailureLine(const QByteArray& name, const ReadOutcome& outcome);
