#include "storage/Backup.h"
#include "storage/FileOps.h"
#include "storage/ReceiptFile.h"
#include "storage/RecordFile.h"
#include "storage/RegistryFile.h"
#include "storage/SaveFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>

namespace {
const char kDayFormat[] = "yyyy-MM-dd";
const char kWorkPrefix[] = ".in-corso-";

// The archives are copied with their writers held off, after an overwrite that a crash cut short has
// been settled by the open: the day's copy never holds a record half written.
bool CopyArchive(const QString& from, const QString& to, int recordSize, QString* error) {
    RecordFile archive(recordSize);
    bool ok = archive.OpenOrCreate(from) && archive.CopyTo(to);
    ok = archive.Close() && ok;
    if (!ok)
        *error = QStringLiteral("%1: %2").arg(from, archive.ErrorString());
    return ok;
}

// The record size of a copied file that is an archive; 0 for the settings and the password file.
int RecordSizeOf(const QString& name) {
    if (name.endsWith(QLatin1String(".ric"), Qt::CaseInsensitive))
        return ReceiptRecord::Size;
    return name == QLatin1String(RegistryFileName) ? RegistryRecord::Size : 0;
}

QStringList FilesToCopy(const QString& programFolder) {
    QDir dir(programFolder);
    QStringList names = dir.entryList({QStringLiteral("*.ric")}, QDir::Files, QDir::Name);
    static const QRegularExpression year(QStringLiteral("^\\d{4}\\.ric$"), QRegularExpression::CaseInsensitiveOption);
    names = names.filter(year);
    for (const char* fixed : {RegistryFileName, "Mandati_SDD.ini", "Codici_Fiscali_Minori.ini", "Trelvani.ini",
                              "unins000.dll"})
        if (QFileInfo(dir.filePath(QLatin1String(fixed))).isFile())
            names << QLatin1String(fixed);
    // The journals of changes and prints: what restores a record to an earlier version.
    const QDir journals(dir.filePath(QStringLiteral("Storico")));
    for (const QString& log : journals.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name))
        names << QStringLiteral("Storico/") + log;
    return names;
}

void Prune(const QString& root, const QDate& today, int keepDays) {
    QDir dir(root);
    const QDate oldestKept = today.addDays(1 - keepDays);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QDate day = QDate::fromString(name, QLatin1String(kDayFormat));
        // Only our own day folders, and only the old ones: a folder from a clock set ahead stays.
        if (day.isValid() && name.size() == 10 && day < oldestKept)
            QDir(dir.filePath(name)).removeRecursively();
        // Work folders of attempts cut short on earlier days.
        const QDate workDay = QDate::fromString(name.mid(int(qstrlen(kWorkPrefix))), QLatin1String(kDayFormat));
        if (name.startsWith(QLatin1String(kWorkPrefix)) && workDay.isValid() && workDay < today)
            QDir(dir.filePath(name)).removeRecursively();
    }
}
} // namespace

QString BackupDayFolder(const QString& programFolder, const QDate& day) {
    return programFolder + QStringLiteral("Backup/") + day.toString(QLatin1String(kDayFormat));
}

BackupResult RunDailyBackup(const QString& programFolder, const QDate& today, int keepDays) {
    BackupResult result;
    const QString root = programFolder + QStringLiteral("Backup");
    const QString final = BackupDayFolder(programFolder, today);
    if (QFileInfo(final).isDir()) {
        result.outcome = BackupResult::AlreadyDone;
        return result;
    }
    // The work folder of an attempt that failed or was cut short is started afresh.
    const QString work = root + u'/' + QLatin1String(kWorkPrefix) + today.toString(QLatin1String(kDayFormat));
    QDir(work).removeRecursively();
    if (!QDir().mkpath(work)) {
        result.error = QStringLiteral("cannot create %1").arg(work);
        return result;
    }
    const QStringList names = FilesToCopy(programFolder);
    if (!names.filter(QStringLiteral("Storico/")).isEmpty())
        QDir().mkpath(work + QStringLiteral("/Storico"));
    for (const QString& name : names) {
        // Each file is written whole and flushed through the file layer before the folder is renamed.
        const QString from = programFolder + name, to = work + u'/' + name;
        const int recordSize = RecordSizeOf(name);
        const bool ok =
            recordSize > 0 ? CopyArchive(from, to, recordSize, &result.error) : CopyWholeFile(from, to, &result.error);
        if (!ok) {
            QDir(work).removeRecursively();
            return result;
        }
    }
    if (FileOps::Current().Rename(QFile::encodeName(work).constData(), QFile::encodeName(final).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(strerror(errno));
        QDir(work).removeRecursively();
        if (QFileInfo(final).isDir()) { // another workstation made today's copy a moment ago
            result.outcome = BackupResult::AlreadyDone;
            return result;
        }
        result.error = QStringLiteral("cannot rename %1 to %2: %3").arg(work, final, why);
        return result;
    }
    Prune(root, today, keepDays);
    result.outcome = BackupResult::Copied;
    result.copied = names;
    return result;
}
