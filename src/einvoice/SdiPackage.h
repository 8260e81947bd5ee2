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
/// the register PackagedState: "Nel pacchetto <name> (da caricare)", until the office says the package
/// was uploaded (MarkUploaded) or the exchange system's answer is read. Whole or not at all: a failure removes the packages already
/// written and leaves the register as it was. `limit` is the package size limit (tests make it small).
PackageResult WritePackages(const QString& programFolder, const QString& settingsPath, const QStringList& files,
                            int lockWaitMs = 15000, qint64 limit = PackageLimitBytes);

/// The state of a file put into the package `zipName` and not yet uploaded:
/// "Nel pacchetto IT01234567897_00005.zip (da caricare)".
QString PackagedState(const QString& zipName);
/// True for a state PackagedState made.
bool IsPackagedState(const QString& stato);
/// The state once the office has uploaded the package: "Inviata (pacchetto <name>)"; any other state
/// is given back unchanged.
QString UploadedState(const QString& stato);
/// The files of the register dated in `month` of `year` (0: the whole year) waiting in a package.
QStringList PackagedFiles(const QVector<RegisterEntry>& reg, int year, int month);

struct UploadResult {
    QStringList marked; // the files now "Inviata"
    QString failure;    // nothing was marked when set
};
/// Marks `files` uploaded ("Segna come inviate"): each one still waiting in a package becomes
/// UploadedState; a file with any other state (an answer already read, never packaged) stays as it is.
/// Under the register's lock, the register saved whole.
UploadResult MarkUploaded(const QString& programFolder, const QStringList& files, int lockWaitMs = 15000);
