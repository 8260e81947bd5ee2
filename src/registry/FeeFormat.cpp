#include "registry/FeeFormat.h"
#include "storage/Text.h"
#include <cmath>
#include <cstdint>

namespace {
const QString kZero = QStringLiteral("0,00");

QString WithCents(const QString& whole, int cents) {
    return whole + QLatin1Char(',') + QStringLiteral("%1").arg(cents, 2, 10, QLatin1Char('0'));
}

// Adds one to a string of decimal digits.
QString Increment(QString digits) {
    int i = int(digits.size()) - 1;
    for (; i >= 0; --i) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            break;
        }
    }
    if (i < 0)
        digits.prepend(QLatin1Char('1'));
    return digits;
}

// Rounds the typed digits half up to cents, without going through a double.
QString RoundDecimalText(QString whole, const QString& fraction) {
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    QString cents = (fraction + QStringLiteral("00")).left(2);
    if (fraction.size() > 2 && fraction.at(2) >= QLatin1Char('5')) {
        QString all = Increment(whole + cents);
        cents = all.right(2);
        whole = all.left(all.size() - 2);
    }
    return whole + QLatin1Char(',') + cents;
}
} // namespace

QString FormatFee(const QString& text) {
    const QString t = TrimText(text);
    if (t.isEmpty())
        return kZero;
    const int comma = int(t.indexOf(QLatin1Char(',')));
    const QString whole = comma < 0 ? t : t.left(comma);
    const QString fraction = comma < 0 ? QString() : t.mid(comma + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return kZero; // a lone comma
    for (const QString& part : {whole, fraction})
        for (QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return kZero; // letters, signs, blanks, a second comma
    bool ok = false;
    const QString plain = (whole.isEmpty() ? QStringLiteral("0") : whole) + QLatin1Char('.') +
                          (fraction.isEmpty() ? QStringLiteral("0") : fraction);
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return kZero;
    if (value >= 1e15)
        return RoundDecimalText(whole, fraction);

    // cents = floor(value * 100 + 0.5), computed exactly on value = mantissa * 2^exponent.
    int exponent = 0;
    const double m = std::frexp(value, &exponent); // value = m * 2^exponent, 0.5 <= m < 1
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(m, 53));
    exponent -= 53;
    const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * 100u;
    std::uint64_t cents = 0;
    if (exponent >= 0) {
        cents = static_cast<std::uint64_t>(scaled << exponent); // value < 1e15: no overflow
    } else if (-exponent < 127) {
        const int shift = -exponent;
        cents = static_cast<std::uint64_t>((scaled + (static_cast<unsigned __int128>(1) << (shift - 1))) >> shift);
    }
    return WithCents(QString::number(cents / 100), int(cents % 100));
}
