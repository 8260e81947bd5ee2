#include "backup/BackupRestore.h"
#include "storage/FileOps.h"
#include "storage/ReceiptFile.h"
#include "storage/RecordFile.h"
#include "storage/RegistryFile.h"
#include "storage/SaveFile.h"
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>

namespace {
const char kDayFormat[] = "yyyy-MM-dd";
const QString kBeforeRestore = QStringLiteral("-prima-del-ripristino");

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The folder that keeps the current file before a restore: the first of today's that has no file
// of that name yet, so that a second restore of the same day keeps what the first one kept.
QString AsideFolder(const QString& programFolder, const QDate& today, const QString& fileName) {
    const QString base =
        programFolder + QStringLiteral("Backup/") + today.toString(QLatin1String(kDayFormat)) + kBeforeRestore;
    QString folder = base;
    for (int k = 2; QFileInfo::exists(folder + u'/' + fileName); ++k)
        folder = base + u'-' + QString::number(k);
    return folder;
}

// Photos of card numbers beyond `cards` belong to cards the restored registry no longer has: a new
// card would show them as its own.
void MoveOrphanPhotos(const QString& programFolder, qint64 cards, const QString& aside) {
    QDir photos(programFolder + QStringLiteral("Anagrafica"));
    static const QRegularExpression name(QStringLiteral("^Scheda_Iscritto_(\\d+)\\.jpg$"),
                                         QRegularExpression::CaseInsensitiveOption);
    for (const QString& file : photos.entryList(QDir::Files)) {
        const auto m = name.match(file);
        if (!m.hasMatch() || m.captured(1).toLongLong() <= cards)
            continue;
        QDir().mkpath(aside + QStringLiteral("/Anagrafica"));
        QFile::rename(photos.filePath(file), aside + QStringLiteral("/Anagrafica/") + file);
    }
}
} // namespace

// ---- What the copies hold -------------------------------------------------------------------

int ArchiveRecordSize(const QString& name) {
    static const QRegularExpression year(QStringLiteral("^\\d{4}\\.ric$"), QRegularExpression::CaseInsensitiveOption);
    if (year.match(name).hasMatch())
        return ReceiptRecord::Size;
    return name == QLatin1String(RegistryFileName) ? RegistryRecord::Size : 0;
}

BackupFileInfo DescribeBackupFile(const QString& path) {
    const QFileInfo fi(path);
    BackupFileInfo info;
    info.name = fi.fileName();
    info.size = fi.size();
    info.recordSize = ArchiveRecordSize(info.name);
    if (info.recordSize > 0)
        info.records = info.size / info.recordSize;
    return info;
}

QString BackupFileInfo::Contents() const {
    if (Damaged())
        return QStringLiteral("danneggiato: %1 byte non sono un multiplo di %2").arg(size).arg(recordSize);
    if (recordSize == ReceiptRecord::Size)
        return records == 1 ? QStringLiteral("1 ricevuta") : QStringLiteral("%1 ricevute").arg(records);
    if (recordSize == RegistryRecord::Size)
        return records == 1 ? QStringLiteral("1 scheda") : QStringLiteral("%1 schede").arg(records);
    if (name.compare(QLatin1String("Trelvani.ini"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("impostazioni");
    if (name.compare(QLatin1String("unins000.dll"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("password");
    if (name.compare(QLatin1String("Mandati_SDD.ini"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("mandati SDD");
    if (name.compare(QLatin1String("Codici_Fiscali_Minori.ini"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("codici fiscali dei minori");
    return QString();
}

QString BackupDay::Label() const {
    QString label = day.toString(QStringLiteral("dd/MM/yyyy"));
    if (beforeRestore) {
        label += QStringLiteral(", prima del ripristino");
        const QString extra = name.mid(10 + kBeforeRestore.size());
        if (!extra.isEmpty())
            label += QStringLiteral(" (") + extra.mid(1) + u')';
    }
    return label;
}

QVector<BackupDay> ListBackupDays(const QString& programFolder) {
    static const QRegularExpression dayName(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})(-prima-del-ripristino(-\\d+)?)?$"));
    QVector<BackupDay> days;
    QDir root(programFolder + QStringLiteral("Backup"));
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const auto m = dayName.match(name);
        const QDate day = m.hasMatch() ? QDate::fromString(m.captured(1), QLatin1String(kDayFormat)) : QDate();
        if (!day.isValid())
            continue;
        BackupDay d;
        d.day = day;
        d.name = name;
        d.folder = root.filePath(name);
        d.beforeRestore = !m.captured(2).isEmpty();
        for (const QFileInfo& fi : QDir(d.folder).entryInfoList(QDir::Files, QDir::Name)) {
            d.files << DescribeBackupFile(fi.absoluteFilePath());
            if (!d.taken.isValid() || fi.lastModified() > d.taken)
                d.taken = fi.lastModified();
        }
        days << d;
    }
    std::sort(days.begin(), days.end(),
              [](const BackupDay& a, const BackupDay& b) { return a.day != b.day ? a.day > b.day : a.name > b.name; });
    return days;
}

// ---- Putting a file back --------------------------------------------------------------------

RestoreOutcome RestoreBackupFile(const QString& programFolder, const QString& dayFolder, const QString& fileName,
                                 const QDate& today) {
    RestoreOutcome out;
    const QString source = dayFolder + u'/' + fileName;
    const QString target = programFolder + fileName;
    if (!QFileInfo(source).isFile()) {
        out.error = QStringLiteral("Il file %1 non esiste nella copia.").arg(Native(source));
        return out;
    }
    const BackupFileInfo info = DescribeBackupFile(source);
    if (info.Damaged()) {
        out.error = QStringLiteral("Il file %1 della copia è danneggiato: la sua lunghezza (%2 byte) non è un multiplo "
                                   "di %3 byte, la lunghezza di un record.")
                        .arg(fileName)
                        .arg(info.size)
                        .arg(info.recordSize);
        return out;
    }
    const QString aside = AsideFolder(programFolder, today, fileName);
    QString error;
    // The current file goes aside first; only then is it replaced, whole or not at all.
    auto putBack = [&](RecordFile* archive) {
        if (QFileInfo::exists(target)) {
            if (!QDir().mkpath(aside)) {
                error = QStringLiteral("impossibile creare la cartella %1").arg(Native(aside));
                return false;
            }
            const bool kept = archive ? archive->CopyTo(aside + u'/' + fileName)
                                      : CopyWholeFile(target, aside + u'/' + fileName, &error);
            if (!kept) {
                if (archive)
                    error = archive->ErrorString();
                return false;
            }
            out.savedTo = aside;
        }
        return CopyWholeFile(source, target, &error);
    };
    bool ok = false;
    if (info.recordSize > 0 && QFileInfo::exists(target)) {
        // Under the archive's lock, taken only if free: a workstation saving a receipt right now
        // must not have its record land in the file being replaced.
        RecordFile archive(info.recordSize);
        ok = archive.OpenOrCreate(target) && archive.TryLocked([&] { return putBack(&archive); }, &out.busy);
        if (!ok && error.isEmpty())
            error = archive.ErrorString();
        archive.Close();
    } else {
        ok = putBack(nullptr);
    }
    if (!ok) {
        out.error = out.busy ? QString() : error;
        QDir().rmdir(aside); // only when this attempt kept nothing there
        return out;
    }
    if (fileName == QLatin1String(RegistryFileName))
        MoveOrphanPhotos(programFolder, info.records, aside);
    out.ok = true;
    return out;
}

// ---- Copy of the whole folder ---------------------------------------------------------------

FolderCopyOutcome CopyProgramFolder(const QString& programFolder, const QString& target,
                                    const std::function<bool(qint64, qint64)>& progress) {
    FolderCopyOutcome out;
    const QString source = QDir(programFolder).canonicalPath();
    const QFileInfo targetInfo(target);
    if (targetInfo.exists()) {
        out.error = QStringLiteral("La cartella %1 esiste già.").arg(Native(target));
        return out;
    }
    const QString parent = QDir(targetInfo.absolutePath()).canonicalPath();
    if (parent.isEmpty()) {
        out.error = QStringLiteral("La cartella %1 non esiste.").arg(Native(targetInfo.absolutePath()));
        return out;
    }
    if (parent == source || parent.startsWith(source + u'/')) {
        out.error = QStringLiteral("La copia non può stare dentro la cartella del programma.");
        return out;
    }
    const QString finalPath = parent + u'/' + targetInfo.fileName();
    const QString work = parent + QStringLiteral("/.") + targetInfo.fileName() + QStringLiteral(".in-corso");
    QDir(work).removeRecursively();
    if (!QDir().mkpath(work)) {
        out.error = QStringLiteral("Impossibile creare la cartella %1.").arg(Native(work));
        return out;
    }

    struct Item {
        QString relative;
        qint64 size;
    };
    QVector<Item> items;
    qint64 total = 0;
    QDirIterator it(source, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo fi = it.fileInfo();
        items.push_back({QDir(source).relativeFilePath(path), fi.size()});
        total += fi.size();
    }
    auto fail = [&](const QString& why) {
        QDir(work).removeRecursively();
        out.error = why;
        return out;
    };
    qint64 done = 0;
    if (progress && !progress(0, total)) {
        out.cancelled = true;
        return fail(QString());
    }
    for (const Item& item : items) {
        const QString from = source + u'/' + item.relative, to = work + u'/' + item.relative;
        if (!QDir().mkpath(QFileInfo(to).absolutePath()))
            return fail(QStringLiteral("Impossibile creare la cartella %1.").arg(Native(QFileInfo(to).absolutePath())));
        QString error;
        const int recordSize = item.relative.contains(u'/') ? 0 : ArchiveRecordSize(item.relative);
        bool ok;
        if (recordSize > 0) {
            RecordFile archive(recordSize); // read with the writers held off
            ok = archive.OpenOrCreate(from) && archive.CopyTo(to);
            error = archive.ErrorString();
            archive.Close();
        } else {
            ok = CopyWholeFile(from, to, &error);
        }
        if (!ok)
            return fail(error);
        QFile::setPermissions(to, QFile::permissions(from)); // the program itself stays runnable
        done += item.size;
        if (progress && !progress(done, total)) {
            out.cancelled = true;
            return fail(QString());
        }
    }
    if (FileOps::Current().Rename(QFile::encodeName(work).constData(), QFile::encodeName(finalPath).constData()) != 0)
        return fail(
            QStringLiteral("Impossibile rinominare %1: %2").arg(Native(work), QString::fromLocal8Bit(strerror(errno))));
    out.ok = true;
    out.folder = finalPath;
    return out;
}
