#include "einvoice/SdiPackage.h"
#include "einvoice/ZipApi.h"
#include "einvoice/FiscalData.h"
#include "storage/SaveFile.h"
#include <QFile>
#include <QHash>
#include <QSet>

std::optional<QByteArray> ZipArchive(const QVector<QPair<QString, QByteArray>>& files, QString* error) {
    auto fail = [error](const QString& why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QString why;
    const ZipApi* z = ZipFunctions(&why);
    if (!z)
        return fail(why);
    zip_error_t zerr;
    z->zip_error_init(&zerr);
    // The archive is built in memory and saved whole by the caller.
    zip_source_t* buffer = z->zip_source_buffer_create(nullptr, 0, 0, &zerr);
    if (!buffer)
        return fail(QString::fromUtf8(z->zip_error_strerror(&zerr)));
    zip_t* za = z->zip_open_from_source(buffer, ZIP_TRUNCATE, &zerr);
    if (!za) {
        z->zip_source_free(buffer);
        return fail(QString::fromUtf8(z->zip_error_strerror(&zerr)));
    }
    z->zip_source_keep(buffer);
    for (const auto& [name, bytes] : files) {
        zip_source_t* s = z->zip_source_buffer(za, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const QByteArray utf8 = name.toUtf8();
        zip_int64_t index = s ? z->zip_file_add(za, utf8.constData(), s, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (s)
                z->zip_source_free(s);
            const QString why = QString::fromUtf8(z->zip_strerror(za));
            z->zip_discard(za);
            z->zip_source_free(buffer);
            return fail(why);
        }
        z->zip_set_file_compression(za, zip_uint64_t(index), ZIP_CM_DEFLATE, 9);
    }
    if (z->zip_close(za) != 0) {
        const QString why = QString::fromUtf8(z->zip_strerror(za));
        z->zip_discard(za);
        z->zip_source_free(buffer);
        return fail(why);
    }
    QByteArray out;
    if (z->zip_source_open(buffer) == 0) {
        z->zip_source_seek(buffer, 0, SEEK_END);
        const zip_int64_t size = z->zip_source_tell(buffer);
        z->zip_source_seek(buffer, 0, SEEK_SET);
        if (size > 0) {
            out.resize(qsizetype(size));
            if (z->zip_source_read(buffer, out.data(), zip_uint64_t(size)) != size)
                out.clear();
        }
        z->zip_source_close(buffer);
    }
    z->zip_source_free(buffer);
    if (out.isEmpty())
        return fail(QStringLiteral("archivio ZIP non leggibile"));
    return out;
}

QStringList UnsentFiles(const QVector<RegisterEntry>& reg, int year, int month) {
    QStringList out;
    for (int i : RegisterRows(reg, year, month))
        if (reg[i].stato.isEmpty())
            out << reg[i].file;
    return out;
}

PackageResult WritePackages(const QString& programFolder, const QString& settingsPath, const QStringList& files,
                            int lockWaitMs, qint64 limit) {
    PackageResult result;
    const FiscalData school = LoadFiscalData(settingsPath);
    if (QString e = CheckFiscalData(school); !e.isEmpty()) {
        result.failure = e;
        return result;
    }
    if (files.isEmpty()) {
        result.failure = QStringLiteral("Nessuna fattura scelta per il pacchetto.");
        return result;
    }
    RegisterLock lock(programFolder);
    if (!lock.Acquire(lockWaitMs, &result.failure))
        return result;
    const QString folder = InvoiceFolder(programFolder);
    const QString regPath = RegisterPath(programFolder);
    QVector<RegisterEntry> reg;
    QString why;
    if (!ReadRegister(regPath, reg, &why)) {
        result.failure = RegisterUnreadable(why);
        return result;
    }
    QHash<QString, int> byFile;
    for (int i = 0; i < reg.size(); ++i)
        byFile.insert(reg[i].file, i);

    // Read every file first, then group them: a package grows until the next file would pass the limit
    // (counted uncompressed, so the archive is surely below it).
    QVector<QVector<QPair<QString, QByteArray>>> groups(1);
    qint64 groupBytes = 0;
    QSet<QString> seen;
    for (const QString& name : files) {
        if (seen.contains(name))
            continue;
        seen.insert(name);
        if (!byFile.contains(name)) {
            result.failure = QStringLiteral("Il file %1 non è nel registro delle fatture.").arg(name);
            return result;
        }
        QFile f(folder + name);
        if (!f.open(QIODevice::ReadOnly)) {
            result.failure = QStringLiteral("Il file %1 non può essere letto: %2").arg(name, f.errorString());
            return result;
        }
        const QByteArray bytes = f.readAll();
        if (!groups.last().isEmpty() && groupBytes + bytes.size() > limit) {
            groups.append(QVector<QPair<QString, QByteArray>>());
            groupBytes = 0;
        }
        groups.last().append({name, bytes});
        groupBytes += bytes.size();
    }

    int next = school.progressivo;
    QVector<QString> written;
    auto rollback = [&] {
        for (const QString& p : written)
            QFile::remove(folder + p);
        result.packages.clear();
    };
    for (const auto& group : groups) {
        next = FreeProgressivo(folder, school.TransmitterCode(), next);
        if (next > 99999) {
            rollback();
            result.failure = QStringLiteral("I numeri di trasmissione sono esauriti: correggerlo nei dati fiscali.");
            return result;
        }
        const QString zipName = QStringLiteral("IT%1_%2.zip").arg(school.TransmitterCode(), ProgressivoText(next));
        const std::optional<QByteArray> zip = ZipArchive(group, &why);
        if (!zip || !SaveWholeFile(folder + zipName, *zip, &why)) {
            rollback();
            result.failure = QStringLiteral("Il pacchetto %1 non può essere scritto: %2").arg(zipName, why);
            return result;
        }
        written << zipName;
        result.packages << zipName;
        for (const auto& file : group)
            reg[byFile.value(file.first)].stato = PackagedState(zipName);
        ++next;
    }
    if (!SaveRegister(regPath, reg, &why)) {
        rollback();
        result.failure = QStringLiteral("Il registro delle fatture non può essere aggiornato: %1").arg(why);
        return result;
    }
    SaveNextProgressivo(settingsPath, next); // a taken number is skipped anyway
    return result;
}

QString PackagedState(const QString& zipName) {
    return QStringLiteral("Nel pacchetto %1 (da caricare)").arg(zipName);
}

bool IsPackagedState(const QString& stato) {
    return stato.startsWith(QLatin1String("Nel pacchetto ")) && stato.endsWith(QLatin1String(" (da caricare)"));
}

QString UploadedState(const QString& stato) {
    if (!IsPackagedState(stato))
        return stato;
    const QString zip = stato.mid(14, stato.size() - 14 - 14);
    return QStringLiteral("Inviata (pacchetto %1)").arg(zip);
}

QStringList PackagedFiles(const QVector<RegisterEntry>& reg, int year, int month) {
    QStringList out;
    for (int i : RegisterRows(reg, year, month))
        if (IsPackagedState(reg[i].stato))
            out << reg[i].file;
    return out;
}

UploadResult MarkUploaded(const QString& programFolder, const QStringList& files, int lockWaitMs) {
    UploadResult result;
    RegisterLock lock(programFolder);
    if (!lock.Acquire(lockWaitMs, &result.failure))
        return result;
    const QString regPath = RegisterPath(programFolder);
    QVector<RegisterEntry> reg;
    QString why;
    if (!ReadRegister(regPath, reg, &why)) {
        result.failure = RegisterUnreadable(why);
        return result;
    }
    // Read again under the lock: an answer of the exchange system read meanwhile is never overwritten.
    const QSet<QString> chosen(files.begin(), files.end());
    for (RegisterEntry& e : reg)
        if (chosen.contains(e.file) && IsPackagedState(e.stato)) {
            e.stato = UploadedState(e.stato);
            result.marked << e.file;
        }
    if (!result.marked.isEmpty() && !SaveRegister(regPath, reg, &why)) {
        result.marked.clear();
        result.failure = QStringLiteral("Il registro delle fatture non può essere aggiornato: %1").arg(why);
    }
    return result;
}
