#pragma once

#include "byte_statistics.h"
#include "subset_statistics.h"

#include <QByteArray>
#include <cstdint>

// The formats for programs: UTF-8, LF line ends and C-locale numbers whatever
// the user's locale. A number is the shortest text that reads back as the
// same double ("0.1", "1e-05"); a count is plain digits.
enum class MachineFormat {
    Json, // one object a source, one a line
    Csv,  // RFC 4180: a file name with a comma, quote or line end is quoted
    Tsv,  // a file name's TAB, CR, LF and backslash written \t, \r, \n and \\ .
};

// What one source gave.
struct SourceResult {
    QByteArray name; // as given, the file system's bytes; "-" is standard input
    WideCounts counts{};
    std::int64_t total = 0; // bytes read
    ByteFigures figures;
};

// The name a script gives the subset: "all", "A-Z" or "printable".
const char* subsetName(Subset subset);

// What comes before the first source: CSV's and TSV's one header row,
// "file,code,hex,count,frequency" (TABs for TSV); nothing for JSON.
QByteArray formatHeader(MachineFormat format);

// One source in the format: 256 rows of file, code, hex, count and frequency
// for CSV and TSV, the count being of the subset (0 outside it) and the
// frequency the count over the subset's total (0 where that is 0); for JSON
// one line with the keys file, bytes, subset, counts (of every byte value),
// frequencies (as in CSV) and the six figures, null where undefined. In
// JSON a byte of the name that is not part of UTF-8 is written \udcXX, as
// Python's surrogateescape reads it; CSV and TSV put U+FFFD in its place.
QByteArray formatSource(MachineFormat format, const SourceResult& source, Subset subset);
