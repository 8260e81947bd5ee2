#pragma once
// What the daily copies in Backup/ hold, putting one file of one day back, and a copy of the whole
// program folder elsewhere (a USB stick).
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <functional>

/// One file of a day's copy.
struct BackupFileInfo {
    QString name;
    qint64 size = 0;
    int recordSize = 0; ///< 1099 for a year of receipts, 3189 for the registry, 0 for other files
    /// Whole records (receipts or cards); -1 for a file that is not an archive.
    qint64 records = -1;
    bool Damaged() const { return recordSize > 0 && size % recordSize != 0; }
    /// "12 ricevute", "3 schede", "impostazioni", "password", or what is wrong with it.
    QString Contents() const;
};

/// One folder of Backup/: a day's copy, or what a restore kept aside.
struct BackupDay {
    QDate day;
    QString folder; ///< full path
    QString name;   ///< folder name, such as 2026-12-10 or 2026-12-10-prima-del-ripristino
    bool beforeRestore = false;
    /// When the copy was written: the newest time of its files (the copy writes them anew); invalid when
    /// the folder has none.
    QDateTime taken;
    QVector<BackupFileInfo> files; ///< in name order
    /// "10/12/2026", or "10/12/2026, prima del ripristino".
    QString Label() const;
};

/// The day folders of <programFolder>Backup/, newest first; other folders and files are left out.
QVector<BackupDay> ListBackupDays(const QString& programFolder);
/// The record size of an archive named `name` (<yyyy>.ric or the registry), 0 for any other file.
int ArchiveRecordSize(const QString& name);
/// Describes `path` as a file of a copy (size, records).
BackupFileInfo DescribeBackupFile(const QString& path);

struct RestoreOutcome {
    bool ok = false;
    bool busy = false; ///< another workstation was writing the archive: nothing was done
    QString savedTo;   ///< the folder that got the file as it was before the restore
    QString error;     ///< what failed; the current file is as it was
};
/// Puts `fileName` of the copy in `dayFolder` back into the program folder. A damaged archive copy
/// (a length that is not whole records) is refused. The current file is first copied into
/// Backup/<today>-prima-del-ripristino/ (-2, -3... when that already holds a file of that name);
/// an archive is then replaced through a whole-file save under its lock, and refused at once while
/// another workstation holds that lock. Photos of cards that the restored registry no longer has
/// are moved into the same folder's Anagrafica/, so that new cards do not take them over.
RestoreOutcome RestoreBackupFile(const QString& programFolder, const QString& dayFolder, const QString& fileName,
                                 const QDate& today);

struct FolderCopyOutcome {
    bool ok = false;
    bool cancelled = false;
    QString folder; ///< the finished copy
    QString error;
};
/// Copies every file under `programFolder` (photos, attachments and backups included) into
/// `target`, which must not exist yet and must not lie inside the program folder. The copy is made
/// in a work folder beside `target` and renamed to it only once every file is written and flushed.
/// Archives are read under their lock. `progress(done, total)` gets the bytes copied so far and
/// may return false to stop (nothing is left behind then).
FolderCopyOutcome CopyProgramFolder(const QString& programFolder, const QString& target,
                                    const std::function<bool(qint64, qint64)>& progress = {});
