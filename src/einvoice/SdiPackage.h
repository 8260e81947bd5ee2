#pragma once
// The upload package for the Agenzia's portal: the chosen invoice files in ZIP archives named like the
// invoices (IT<code>_<progressivo>.zip, from the same transmission numbering), each at most 5 MB, so
// that a month's invoices go up in one step instead of one by one.
#include "einvoice/InvoiceFiles.h"
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

/// The largest package the portal takes.
inline constexpr qint64 PackageLimitBytes = 5 * 1024 * 1024;

/// One ZIP archive holding `files` (name and content each), deflated; nothing, with `error`, on failure.
std::optional<QByteArray> ZipArchive(const QVector<QPair<QString, QByteArray>>& files, QString* error = nullptr);

/// The files of the register that a package offers by default: those dated in `month` of `year` (0: the
/// whole year) not yet sent (no state), invoices and credit notes alike.
QStringList UnsentFiles(const QVector<RegisterEntry>& reg, int year, int month);

struct PackageResult {
    QStringList packages; // written, in order
    QString failure;      // nothing was written or marked when set
};

/// Writes the packages of `files` (names in FatturaPA) into the FatturaPA folder and marks each file in
/// the register "Inviata (pacchetto <name>)". Whole or not at all: a failure removes the packages already
/// written and leaves the register as it was. `limit` is the package size limit (tests make it small).
PackageResult WritePackages(const QString& programFolder, const QString& settingsPath, const QStringList& files,
                            int lockWaitMs = 15000, qint64 limit = PackageLimitBytes);
