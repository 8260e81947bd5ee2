#include "receipts/BatchDate.h"
#include "storage/Dates.h"
#include "storage/ReceiptFile.h"
#include "storage/Text.h"
#include <QFileInfo>

bool FindLastDatedReceipt(RecordFile& raw, qint64 count, std::optional<LastReceipt>* out) {
    out->reset();
    QByteArray rec;
    for (qint64 i = count - 1; i >= 0; --i) {
        if (!raw.ReadRaw(i, rec))
            return false;
        const ReceiptRecord r = ReceiptRecord::Decode(rec.constData());
        const QDate d = ParseDate(TrimText(r.Data));
        if (d.isValid()) {
            *out = LastReceipt{TrimText(r.NumRic), d, i + 1};
            return true;
        }
    }
    return true;
}

QString BatchDateProblem(const QDate& date, int year, const std::optional<LastReceipt>& last) {
    if (!date.isValid())
        return QStringLiteral("Attenzione: indicare una data di emissione valida.");
    if (year > 0 && date.year() != year)
        return QStringLiteral("Attenzione: le ricevute dell'archivio %1 vanno datate nel %1; la data di emissione "
                              "%2 è di un altro anno.")
            .arg(year)
            .arg(FormatDate(date));
    if (last && date < last->date)
        return QStringLiteral("Attenzione: la data di emissione %1 è precedente a quella dell'ultima ricevuta "
                              "dell'archivio (n. %2 del %3).\n\r\n\rLe ricevute seguono l'ordine delle date: "
                              "indicare il %3 o una data successiva.")
            .arg(FormatDate(date), last->number, FormatDate(last->date));
    return QString();
}

int ArchiveYear(const QString& yearPath) {
    const QString name = QFileInfo(yearPath).completeBaseName();
    bool ok = false;
    const int year = name.size() == 4 ? name.toInt(&ok) : 0;
    return ok && year > 0 ? year : 0;
}

QString ArchiveDateProblem(const QString& yearPath, const QDate& date, bool* readable) {
    if (readable)
        *readable = true;
    ReceiptFile file;
    std::optional<LastReceipt> last;
    if (!file.OpenOrCreate(yearPath) || !FindLastDatedReceipt(file.Raw(), file.RecordCount(), &last)) {
        file.Close();
        if (readable)
            *readable = false;
        return QString();
    }
    file.Close();
    return BatchDateProblem(date, ArchiveYear(yearPath), last);
}
