#include "receipts/SchoolLines.h"
#include "einvoice/FiscalData.h"
#include "receipts/ReceiptAmount.h"
#include "storage/Text.h"

namespace {
QStringList FourTrimmed(const QStringList& lines) {
    QStringList out;
    for (int i = 0; i < 4; ++i)
        out << TrimText(lines.value(i));
    return out;
}

bool AllBlank(const QStringList& lines) {
    for (const QString& l : lines)
        if (!TrimText(l).isEmpty())
            return false;
    return true;
}
} // namespace

QStringList SchoolLines(const QStringList& kept, const FiscalData& fiscal) {
    if (!AllBlank(kept))
        return FourTrimmed(kept);
    return FourTrimmed(IssuerLines(fiscal));
}

QStringList SchoolLines(const QString& settingsPath) {
    const QStringList kept = ReadReceiverLines(settingsPath);
    // The fiscal data are read only when they are needed.
    return AllBlank(kept) ? SchoolLines(kept, LoadFiscalData(settingsPath)) : FourTrimmed(kept);
}

bool KeepShownReceiverLines(const QStringList& kept, const QStringList& shown, const FiscalData& fiscal) {
    if (AllBlank(shown))
        return false;
    if (AllBlank(kept) && FourTrimmed(shown) == FourTrimmed(IssuerLines(fiscal)))
        return false;
    return true;
}
