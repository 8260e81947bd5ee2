#include "receipts/ReceiptAmount.h"
#include "storage/IniFile.h"
#include "receipts/ReceiptSettings.h"
#include "receipts/AmountWords.h"
#include "storage/Text.h"

ReceiptAmount AmountFromBoxes(const QString& euro, const QString& cents) {
    ReceiptAmount a;
    const QString typed = TrimText(euro);
    // The words follow the typing, before an empty box becomes "0" on saving.
    const std::optional<qint64> value = typed.isEmpty() ? std::nullopt : ParseAmountText(typed);
    a.ImpLettere = value ? ImportoInLettere(*value) : QString();
    a.Importo = typed.isEmpty() ? QStringLiteral("0") : euro;
    a.Cents = cents.size() > 2 ? cents.left(2) : cents;
    if (TrimText(a.Cents).isEmpty())
        a.Cents = QStringLiteral("00");
    if (a.Cents.size() == 1)
        a.Cents += QLatin1Char('0');
    a.CentLettere = a.Cents;
    a.Intero = TrimText(a.Importo) + QLatin1Char(',') + TrimText(a.Cents);
    return a;
}

std::optional<qint64> NumberingStart(const QString& text) {
    const QString t = TrimText(text);
    if (t.isEmpty())
        return 1;
    int i = (t.startsWith(u'-') || t.startsWith(u'+')) ? 1 : 0;
    if (i >= t.size())
        return std::nullopt;
    for (; i < t.size(); ++i)
        if (t.at(i) < u'0' || t.at(i) > u'9')
            return std::nullopt;
    bool ok = false;
    const int value = t.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

StoredStart ReadNumberingStart(const QString& settingsPath) {
    StoredStart out;
    out.text = TrimText(IniRead(settingsPath, ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey(),
                                &out.readable));
    if (out.text.isEmpty())
        out.text = QStringLiteral("1");
    if (out.readable)
        out.start = NumberingStart(out.text);
    return out;
}

QStringList ReadReceiverLines(const QString& settingsPath) {
    QStringList lines;
    for (int i = 1; i <= 4; ++i)
        lines << IniRead(settingsPath, ReceiptSettings::ReceiverSection(), ReceiptSettings::ReceiverKey(i));
    return lines;
}
