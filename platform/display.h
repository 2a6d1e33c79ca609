#pragma once

#include <QByteArray>
#include <memory>

class QApplication;

// The application object that shows windows, on the display the environment
// names. Where none can be opened (none named, or one that does not answer,
// or an unknown platform) Qt would abort with a core dump; instead this
// writes noDisplayLine to standard error and ends the program with status 1.
// What Qt says while it starts is kept back, and said only when it started.
std::unique_ptr<QApplication> openDisplay(int& argc, char** argv, const QByteArray& noDisplayLine);
