// The amount box's text: ParseAmountText against a plain reference reading, and the words of
// every accepted value.
#include "FuzzCheck.h"
#include "receipts/AmountWords.h"
#include "storage/Text.h"
#include <QString>
#include <cstdint>
#include <optional>

namespace {
// Reference: [blanks][sign]digits[,digits][blanks], at least one digit, at most 14 whole digits
// after leading zeros; four decimals, the fifth rounds half up.
std::optional<qint64> Reference(const QString& text) {
    const QString t = TrimText(text);
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        negative = t[i++] == u'-';
    QString whole, fraction;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
        whole += t[i++];
    if (i < t.size() && t[i] == u',') {
        ++i;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
            fraction += t[i++];
    }
    if (i != t.size() || whole.size() + fraction.size() == 0)
        return std::nullopt;
    while (whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole.size() > 14)
        return std::nullopt;
    const qint64 w = whole.isEmpty() ? 0 : whole.toLongLong();
    const qint64 f = (fraction.left(4) + QStringLiteral("0000")).left(4).toLongLong();
    const qint64 round = fraction.size() > 4 && fraction[4] >= u'5' ? 1 : 0;
    const qint64 v = w * 10000 + f + round;
    return negative ? -v : v;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<qint64> got = ParseAmountText(text);
    FUZZ_CHECK(got == Reference(text));
    if (!got)
        return 0;
    const QString words = ImportoInLettere(*got);
    // Whole groups beyond the milliards are not spelled out, so only smaller amounts must have words.
    if (qAbs(*got) < Q_INT64_C(1000000000000) * 10000)
        FUZZ_CHECK(!words.isEmpty());
    for (QChar c : words)
        FUZZ_CHECK((c >= u'A' && c <= u'Z') || c == u' ' || c == u'-');
    return 0;
}
