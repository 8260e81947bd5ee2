#include "registry/SheetConvert.h"
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

// LibreOffice on Windows is seldom on the search path: its setup records where it went in the
// registry, and otherwise it sits in the usual program folders.
QString FindOffice() {
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (!onPath.isEmpty())
        return onPath;
    QStringList candidates;
    for (const char* key : {"HKEY_LOCAL_MACHINE\\SOFTWARE\\LibreOffice\\UNO\\InstallPath",
                            "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\LibreOffice\\UNO\\InstallPath",
                            "HKEY_CURRENT_USER\\SOFTWARE\\LibreOffice\\UNO\\InstallPath"}) {
        // The default value holds the "program" folder of the installation.
        const QString folder =
            QSettings(QLatin1String(key), QSettings::NativeFormat).value(QStringLiteral(".")).toString();
        if (!folder.isEmpty())
            candidates << folder + QStringLiteral("/soffice.exe");
    }
    for (const char* variable : {"ProgramFiles", "ProgramW6432", "ProgramFiles(x86)"}) {
        const QString base = qEnvironmentVariable(variable);
        if (!base.isEmpty())
            candidates << base + QStringLiteral("/LibreOffice/program/soffice.exe");
    }
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile())
            return QDir::toNativeSeparators(QFileInfo(c).absoluteFilePath());
    return QString();
}
