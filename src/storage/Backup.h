#pragma once
// The daily copy of the archives and settings into Backup/<yyyy-mm-dd>/ of the program folder.
#include <QDate>
#include <QString>
#include <QStringList>

struct BackupResult {
    enum Outcome { AlreadyDone, Copied, Failed };
    Outcome outcome = Failed;
    QStringList copied; // file names copied, when Copied
    QString error;      // what failed, when Failed
};

/// Copies the year files (<yyyy>.ric), the registry file, Mandati_SDD.ini, Codici_Fiscali_Minori.ini, Trelvani.ini,
/// unins000.dll and the journals
/// Storico/*.log of `programFolder` (with a trailing '/') into Backup/<yyyy-mm-dd>/ for `today`, unless that day
/// already has its copy. The copy is written completely into a work folder and only then renamed
/// into place, so a day's folder is always whole. After a copy, day folders older than the last
/// `keepDays` days are removed; anything else in Backup/ is left alone. Photos and attached
/// documents are not copied.
BackupResult RunDailyBackup(const QString& programFolder, const QDate& today, int keepDays = 30);

/// The folder of one day's copy: <programFolder>Backup/<yyyy-mm-dd>.
QString BackupDayFolder(const QString& programFolder, const QDate& day);
