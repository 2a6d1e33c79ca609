#pragma once

#include "save_flow.h"
#include "source_file.h"

#include <functional>
#include <string>

class AddressOpener;
class MessageBox;
class OpenFilePrompt;

// How source files are counted: readSourceFile in the program; tests put a
// stand-in here to hold a count open for as long as they need.
using SourceReader =
    std::function<ReadOutcome(const std::string& path, FrequencyState&, const ReadOptions&)>;

// What the windows need of the world outside: the real ones in the program,
// scripted doubles in tests.
struct WindowServices {
    MessageBox& messageBox;
    OpenFilePrompt& filePrompt;
    AddressOpener& addressOpener;
    SourceReader readSource = readSourceFile;
    ReportWriter writeReport = writeReportFile;
};
