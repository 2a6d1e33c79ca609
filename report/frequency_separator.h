#pragma once

#include <string>

// The separator that frequencies are written with, in the window and in
// every report: the user's locale's (UTF-8). One place, so that a report
// made without the window cannot differ from the window's.
std::string frequencySeparator();
