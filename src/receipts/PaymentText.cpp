#include "receipts/PaymentText.h"
#include "storage/Dates.h"
#include "storage/Text.h"
#include <QRegularExpression>

QString PaymentText(const PaymentFacts& f) {
    QString out = TrimText(f.method);
    if (f.date.isValid())
        out += QStringLiteral(" del ") + FormatDate(f.date);
    if (!TrimText(f.reference).isEmpty())
        out += QStringLiteral(", rif. ") + TrimText(f.reference);
    if (!TrimText(f.mandate).isEmpty())
        out += QStringLiteral(", mandato ") + TrimText(f.mandate);
    return out;
}

PaymentFacts ReadPaymentText(const QString& text) {
    PaymentFacts f;
    QString rest = TrimText(text).simplified();
    // The references come last, each after a comma: taken off from the end, whatever their order.
    static const QRegularExpression tail(QStringLiteral(",\\s*(rif\\.?|riferimento|mandato)\\s*:?\\s*([^,]*)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    for (;;) {
        const auto m = tail.match(rest);
        if (!m.hasMatch())
            break;
        const QString value = TrimText(m.captured(2));
        if (m.captured(1).startsWith(u'm', Qt::CaseInsensitive))
            f.mandate = value;
        else
            f.reference = value;
        rest = TrimText(rest.left(m.capturedStart()));
    }
    static const QRegularExpression dated(QStringLiteral("^(.*\\S)\\s+del\\s+(\\d{2}/\\d{2}/\\d{4})$"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (const auto m = dated.match(rest); m.hasMatch()) {
        const QDate d = ParseDate(m.captured(2));
        if (d.isValid()) {
            f.date = d;
            rest = m.captured(1);
        }
    }
    f.method = rest;
    return f;
}
