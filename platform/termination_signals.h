#pragma once

// SIGTERM, SIGINT and SIGHUP end the program at once, with the status they
// give by default, unless a HoldTermination lives: then the program ends as
// soon as the last one has ended, so that what it guards (the writing of a
// file) is finished or rolled back first and leaves no temporary file behind.
// Call once at start.
void installTerminationSignals();

// While one lives, on any thread, the three signals are held back. When the
// last one ends, the first signal held back ends the program as it would have
// ended it at once.
class HoldTermination {
public:
    HoldTermination();
    ~HoldTermination();
    HoldTermination(const HoldTermination&) = delete;
    HoldTermination& operator=(const HoldTermination&) = delete;
};
