#include "receipts/AmountWords.h"
#include "storage/Text.h"

namespace {
const char* const kUnits[] = {"", "uno", "due", "tre", "quattro", "cinque", "sei", "sette", "otto", "nove"};
const char* const kTeens[] = {"dieci",    "undici", "dodici",      "tredici",  "quattordici",
                              "quindici", "sedici", "diciassette", "diciotto", "diciannove"};
const char* const kTens[] = {"",          "",         "venti",    "trenta",  "quaranta",
                             "cinquanta", "sessanta", "settanta", "ottanta", "novanta"};
const char* const kTensOne[] = {"",           "",           "ventuno",   "trentuno", "quarantuno", "cinquantuno",
                                "sessantuno", "settantuno", "ottantuno", "novantuno"};
const char* const kHundreds[] = {"",         "cento",      "duecento",  "trecento", "quattrocento", "cinquecento",
                                 "seicento", "settecento", "ottocento", "novecento"};

struct Scale {
    const char* one;  // the word for exactly one of this group
    const char* many; // appended to the group's words otherwise
};
// Thousands, millions, milliards; group 1 (units) has no scale word.
const Scale kScales[] = {{"mille", "mila"}, {"unmilione", "milioni"}, {"unmiliardo", "miliardi"}};

} // namespace

QString GruppoInLettere(int n) {
    if (n < 0 || n > 999)
        return {};
    int h = 0, t = 0, u = n;
    if (n >= 10 && n <= 99) {
        t = n / 10;
        u = n - 10 * t;
    } else if (n >= 100) {
        h = n / 100;
        t = n / 10 - 10 * h;
        u = n - 10 * (n / 10);
    }
    QString words = QString::fromLatin1(kUnits[u]);
    if (t == 1)
        words = QString::fromLatin1(kTeens[u]);
    else if (t >= 2)
        words = (u == 1) ? QString::fromLatin1(kTensOne[t]) : QString::fromLatin1(kTens[t]) + words;
    if (h >= 1)
        words.prepend(QString::fromLatin1(kHundreds[h]));
    return words;
}

QString ImportoInLettere(qint64 tenThousandths) {
    const bool negative = tenThousandths < 0;
    // Unsigned magnitude: the most negative value has no positive counterpart in qint64.
    const quint64 magnitude = negative ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    const quint64 whole = magnitude / 10000;
    const quint64 fraction = magnitude % 10000;
    const int cents = int((fraction + 50) / 100); // nearest cent, halves upwards

    QString words;
    if (whole == 0) {
        words = QStringLiteral("zero");
    } else {
        const int groups = (int(QString::number(whole).size()) + 2) / 3;
        quint64 rest = whole;
        for (int i = 1; i <= qMin(groups, 4); ++i, rest /= 1000) {
            const QString w = GruppoInLettere(int(rest % 1000));
            if (i == 1) {
                words = w;
            } else if (!w.isEmpty()) {
                const Scale& s = kScales[i - 2];
                words.prepend(w == QLatin1String("uno") ? QString::fromLatin1(s.one) : w + QLatin1String(s.many));
            }
        }
    }
    if (cents != 0)
        words += QLatin1String(" e ") + GruppoInLettere(cents) + QLatin1String(" centesimi");
    if (negative)
        words.prepend(QLatin1String("- "));
    return UpperAZ(words); // only a-z occur in the words
}

std::optional<qint64> ParseAmountText(QStringView text) {
    // A view: a scan over a year parses without a copy.
    const QStringView trimmed = TrimView(text);
    int b = 0;
    const int e = int(trimmed.size());
    bool negative = false;
    if (b < e && (trimmed.at(b) == u'-' || trimmed.at(b) == u'+')) {
        negative = trimmed.at(b) == u'-';
        ++b;
    }
    // At most 14 whole digits keep the value, in ten-thousandths, well inside qint64.
    constexpr int kMaxWholeDigits = 14;
    qint64 whole = 0;
    int wholeDigits = 0, significant = 0, fractionDigits = 0;
    qint64 fraction = 0; // first four decimals
    int roundDigit = -1; // fifth decimal, decides the rounding
    bool comma = false;
    for (int i = b; i < e; ++i) {
        const QChar c = trimmed.at(i);
        if (c == u',' && !comma) {
            comma = true;
        } else if (c >= u'0' && c <= u'9') {
            const int d = c.unicode() - u'0';
            if (!comma) {
                ++wholeDigits;
                if ((whole != 0 || d != 0) && ++significant > kMaxWholeDigits)
                    return std::nullopt;
                whole = whole * 10 + d;
            } else {
                ++fractionDigits;
                if (fractionDigits <= 4)
                    fraction = fraction * 10 + d;
                else if (fractionDigits == 5)
                    roundDigit = d;
            }
        } else {
            return std::nullopt;
        }
    }
    if (wholeDigits + fractionDigits == 0)
        return std::nullopt;
    for (int k = fractionDigits; k < 4; ++k)
        fraction *= 10;
    qint64 value = whole * 10000 + fraction + (roundDigit >= 5 ? 1 : 0);
    return negative ? -value : value;
}
