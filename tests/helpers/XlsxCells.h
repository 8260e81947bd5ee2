#pragma once
// Reads a workbook back through openpyxl (tests/helpers/xlsx_cells.py): what a spreadsheet program
// finds in each cell, as JSON. Shared by the core and window tests of the .xlsx exports.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

namespace xlsxcells {

// openpyxl comes as a Debian package for the system's own Python.
inline QString Python() {
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

inline bool HaveOpenpyxl() {
    QProcess p;
    p.start(Python(), {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

/// {"sheets": [...], "freeze": "A2", "widths": {"A": 28.6, ...}, "rows": [[{"type", "format", "value",
/// "bold"}, ...], ...]}; an empty object, with `why`, when the reader failed.
inline QJsonObject Read(const QString& path, QString* why) {
    QProcess p;
    p.start(Python(), {QStringLiteral(CARVENNA_TEST_HELPERS "/xlsx_cells.py"), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        *why = QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

} // namespace xlsxcells
