#include "app/ProgramFolder.h"
#include "app/Crypt.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include <QDir>
#include <QFileInfo>

namespace {

QString Absolute(const QString& folder, const QString& currentFolder) {
    QString path = QDir::cleanPath(QDir(currentFolder).absoluteFilePath(folder));
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

ProgramFolderChoice Fail(const QString& text) {
    return {QString(), text};
}

} // namespace

ProgramFolderChoice ChooseProgramFolder(const QStringList& args, const QString& environmentValue,
                                        const QString& executableFolder, const QString& homeFolder,
                                        const QString& currentFolder) {
    const QString option = QStringLiteral("--cartella");
    QString given;
    bool hasOption = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == option) {
            if (i + 1 >= args.size() || args[i + 1].trimmed().isEmpty())
                return Fail(QStringLiteral("Indicare la cartella del programma dopo --cartella."));
            given = args[++i];
        } else if (a.startsWith(option + u'=')) {
            given = a.mid(option.size() + 1);
            if (given.trimmed().isEmpty())
                return Fail(QStringLiteral("Indicare la cartella del programma dopo --cartella."));
        } else {
            return Fail(QStringLiteral("Opzione sconosciuta: %1\nUso: carvenna [--cartella CARTELLA]").arg(a));
        }
        hasOption = true;
    }
    if (hasOption)
        return {Absolute(given, currentFolder), QString()};
    if (!environmentValue.trimmed().isEmpty())
        return {Absolute(environmentValue, currentFolder), QString()};
    if (!executableFolder.isEmpty() && QFileInfo::exists(QDir(executableFolder).filePath(PasswordFileName())))
        return {Absolute(executableFolder, currentFolder), QString()};
    return {Absolute(QDir(homeFolder).filePath(QStringLiteral("Carvenna")), currentFolder), QString()};
}

bool WritePasswordFile(const QString& path, const QString& plain, QString* error) {
    const QString value = TrimText(Encipher(TrimText(UpperAZ(plain))));
    return IniWrite(path, QStringLiteral("Accesso"), QStringLiteral("Valore"), value, error);
}

bool PrepareProgramFolder(const QString& folder, QString* error) {
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) {
        if (error)
            *error = QStringLiteral("Impossibile creare la cartella del programma \"%1\".")
                         .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    const QString passwordFile = QDir(folder).filePath(PasswordFileName());
    if (QFileInfo::exists(passwordFile))
        return true;
    QString why;
    if (!WritePasswordFile(passwordFile, FirstPassword(), &why)) {
        if (error)
            *error = QStringLiteral("Impossibile scrivere il file della password \"%1\": %2")
                         .arg(QDir::toNativeSeparators(passwordFile), why);
        return false;
    }
    return true;
}
