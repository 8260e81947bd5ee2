#include "registry/SheetConvert.h"
#include <QFileInfo>
#include <QUrl>

namespace {
// A large workbook takes LibreOffice a while; one that has not finished in two minutes is not coming.
constexpr int kConversionLimitMs = 120000;
} // namespace

bool ConvertSheetToCsv(ProgramRunner& runner, const QString& office, const QString& path, const QString& outFolder,
                       QString* csvPath, QString* error) {
    // UTF-8, comma, double quotes, starting at row 1; the cells as shown, so dates keep their format.
    const QString filter = QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1");
    const QString profile = QUrl::fromLocalFile(outFolder + QStringLiteral("/profilo")).toString();
    const ProgramResult run =
        runner.Run(office,
                   {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                    QStringLiteral("--norestore"), QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"),
                    outFolder, path},
                   kConversionLimitMs);
    if (!run.finished) {
        *error = QStringLiteral("LibreOffice non ha convertito il file: %1").arg(run.error);
        return false;
    }
    const QString out = outFolder + u'/' + QFileInfo(path).completeBaseName() + QStringLiteral(".csv");
    if (run.exitCode != 0 || !QFileInfo(out).isFile()) {
        *error = QStringLiteral("LibreOffice non ha convertito il file (%1).")
                     .arg(QString::fromLocal8Bit(run.errorOutput).trimmed());
        return false;
    }
    *csvPath = out;
    return true;
}
