// The fee text stored in a card: always digits, a comma and two cent digits; formatting it again
// keeps it; typed cents come back as typed, and more decimals round to within one cent of the
// typed value (the rounding is done on the binary value, so a typed half cent may go either way).
#include "FuzzCheck.h"
#include "registry/FeeFormat.h"
#include "storage/Text.h"
#include <QRegularExpression>
#include <QString>
#include <cstdint>
#include <optional>

namespace {
bool AllDigits(const QString& s) {
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Typed value in cents, rounded half up on the decimal digits, for whole parts below 10^13
// (where a double holds far more than the cents); nullopt when the text is no fee or too large.
std::optional<qint64> TypedCents(const QString& whole, const QString& fraction) {
    QString w = whole;
    while (w.startsWith(u'0'))
        w.remove(0, 1);
    if (w.size() > 13)
        return std::nullopt;
    qint64 cents = (w.isEmpty() ? 0 : w.toLongLong()) * 100 + (fraction + QStringLiteral("00")).left(2).toLongLong();
    if (fraction.size() > 2 && fraction[2] >= u'5')
        ++cents;
    return cents;
}

std::optional<qint64> StoredCents(const QString& stored) {
    const int comma = int(stored.indexOf(u','));
    if (stored.size() - comma != 3 || comma > 15)
        return std::nullopt;
    return stored.left(comma).toLongLong() * 100 + stored.mid(comma + 1).toLongLong();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString stored = FormatFee(text);
    static const QRegularExpression shape(QStringLiteral("^[0-9]+,[0-9][0-9]$"));
    FUZZ_CHECK(shape.match(stored).hasMatch());
    FUZZ_CHECK(FormatFee(stored) == stored);

    const QString t = TrimText(text);
    const int comma = int(t.indexOf(u','));
    const QString whole = comma < 0 ? t : t.left(comma);
    const QString fraction = comma < 0 ? QString() : t.mid(comma + 1);
    const bool isFee = !(whole.isEmpty() && fraction.isEmpty()) && AllDigits(whole) && AllDigits(fraction);
    if (!isFee) {
        FUZZ_CHECK(stored == QStringLiteral("0,00"));
        return 0;
    }
    const std::optional<qint64> typed = TypedCents(whole, fraction);
    if (!typed)
        return 0;
    const std::optional<qint64> got = StoredCents(stored);
    FUZZ_CHECK(got.has_value());
    if (fraction.size() <= 2)
        FUZZ_CHECK(*got == *typed);
    else
        FUZZ_CHECK(*got == *typed || *got == *typed - 1 || *got == *typed + 1);
    return 0;
}
