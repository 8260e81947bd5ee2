#pragma once
// Which folder the program works in, and making a new one ready. A copy installed by ./run.sh lives in
// its program folder beside its password file; the installed command `carvenna` is told the folder
// (several workstations may name one shared folder) or uses ~/Carvenna.
#include <QString>
#include <QStringList>

/// The file of the program folder that holds the scrambled password.
inline QString PasswordFileName() {
    return QStringLiteral("unins000.dll");
}
/// The password written into a new program folder.
inline QString FirstPassword() {
    return QStringLiteral("CARVENNA");
}

struct ProgramFolderChoice {
    QString folder; // absolute, with a trailing '/'; empty on error
    QString error;  // Italian text for the user
};

/// The program folder: the one after "--cartella" (or "--cartella=DIR") in `args` (the arguments after the
/// program's name), else `environmentValue` (CARVENNA_CARTELLA) when not blank, else `executableFolder` when
/// it holds the password file (a copy installed by ./run.sh), else "Carvenna" in `homeFolder`. Relative
/// folders are taken from `currentFolder`. Any other argument is an error.
ProgramFolderChoice ChooseProgramFolder(const QStringList& args, const QString& environmentValue,
                                        const QString& executableFolder, const QString& homeFolder,
                                        const QString& currentFolder);

/// Writes the password file `path` holding `plain`, scrambled as the password window expects it.
bool WritePasswordFile(const QString& path, const QString& plain, QString* error = nullptr);

/// Creates `folder` when missing and writes the first password file when it has none; an existing
/// password file is never touched.
bool PrepareProgramFolder(const QString& folder, QString* error = nullptr);
