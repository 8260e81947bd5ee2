#pragma once
// Running an outside program (LibreOffice converting a spreadsheet) is an outside effect like a file
// dialog or a message: core asks through this interface, the platform gives the process (DesktopPlatform)
// and the tests a double that records the call and answers as they choose.
#include <QByteArray>
#include <QString>
#include <QStringList>

/// How one run of an outside program ended.
struct ProgramResult {
    bool finished = false;  ///< it started and ended within the time limit
    int exitCode = -1;      ///< its exit code, when it finished
    QString error;          ///< why it did not start or did not end in time (the system's words)
    QByteArray errorOutput; ///< what it wrote on its standard error
};

class ProgramRunner {
public:
    virtual ~ProgramRunner() = default;
    /// Runs `program` with `arguments` and waits for it; one still running after `limitMs` is stopped
    /// and reported as not finished.
    virtual ProgramResult Run(const QString& program, const QStringList& arguments, int limitMs) = 0;
};
