#include "receipts/PaymentText.h"
#include "storage/Dates.h"
#include "storage/Text.h"
#include <QRegularExpression>

QString PaymentText(const PaymentDetails& d) {
    QString text = TrimText(d.method);
    if (d.paid.isValid())
        text += QStringLiteral(" del ") + FormatDate(d.paid);
    if (!TrimText(d.mandate).isEmpty())
        text += QStringLiteral(", mandato ") + TrimText(d.mandate);
    if (!TrimText(d.reference).isEmpty())
        text += QStringLiteral(", rif. ") + TrimText(d.reference);
    return text;
}

std::optional<PaymentDetails> ParsePaymentText(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral("^(.+?) del (\\d\\d/\\d\\d/\\d{4})(?:, mandato (.+?))?(?:, rif\\. (.+))?$"));
    const QRegularExpressionMatch m = re.match(TrimText(text));
    if (!m.hasMatch())
        return std::nullopt;
    PaymentDetails d;
    d.method = m.captured(1);
    d.paid = ParseDate(m.captured(2));
    if (!d.paid.isValid())
        return std::nullopt;
    d.mandate = m.captured(3);
    d.reference = m.captured(4);
    return d;
}
