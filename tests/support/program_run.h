#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <gtest/gtest.h>

// What the real program did when run with some arguments.
struct ProgramRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// The environment of a machine with no display at all.
inline QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

// Runs the built program to its end (30 s at most).
inline ProgramRun runProgram(const QStringList& arguments,
                             const QProcessEnvironment& environment = withoutDisplay())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TALLIVOR_PROGRAM), arguments);
    const bool ended = process.waitForFinished(30000);
    EXPECT_TRUE(ended) << "tallivor " << arguments.join(u' ').toStdString();
    if (!ended)
        process.kill();
    ProgramRun run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
