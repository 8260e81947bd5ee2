#include "receipts/Cancellation.h"
#include "receipts/AmountWords.h"
#include "storage/Text.h"

bool IsCancelledCause(const QString& cause) {
    return UpperAZ(TrimText(cause)).startsWith(QLatin1String(kCancelMark));
}

bool IsCancelled(const ReceiptRecord& r) {
    return IsCancelledCause(r.Sport);
}

ReceiptRecord CancelledReceipt(ReceiptRecord r, const QString& reason) {
    r.Importo = QStringLiteral("0");
    r.Cents = QStringLiteral("00");
    r.ImpLettere = ImportoInLettere(0);
    r.CentLettere = QStringLiteral("00");
    r.Intero = QStringLiteral("0,00");
    r.Sport = (QLatin1String(kCancelMark) + u' ' + TrimText(reason))
                  .left(ReceiptRecord::Layout().at(ReceiptField::Sport).width);
    return r;
}

QString ReceiptIdentity(const ReceiptRecord& r) {
    QString out = QStringLiteral("ricevuta n. ") + TrimText(r.NumRic);
    if (!TrimText(r.Data).isEmpty())
        out += QStringLiteral(" del ") + TrimText(r.Data);
    if (!TrimText(r.Pagatore).isEmpty())
        out += QStringLiteral(", intestata a ") + TrimText(r.Pagatore);
    QString amount = TrimText(r.Intero);
    if (amount.isEmpty() && !TrimText(r.Importo).isEmpty())
        amount = TrimText(r.Importo) + u',' + TrimText(r.Cents).rightJustified(2, u'0');
    if (!amount.isEmpty())
        out += QStringLiteral(", di € ") + amount;
    return out;
}
