#include "einvoice/LatinText.h"
#include <QHash>

namespace {
bool InRange(char32_t c, CharRange range) {
    return range == CharRange::BasicLatin ? c >= 0x20 && c < 0x7F : (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF);
}

// Characters whose plain spelling is not given by dropping a combining mark.
const QHash<char32_t, QString>& Spellings() {
    static const QHash<char32_t, QString> map = {
        {0x2018, "'"},
        {0x2019, "'"},
        {0x201A, "'"},
        {0x201B, "'"},
        {0x2032, "'"},
        {0x201C, "\""},
        {0x201D, "\""},
        {0x201E, "\""},
        {0x2033, "\""},
        {0x2013, "-"},
        {0x2014, "-"},
        {0x2010, "-"},
        {0x2011, "-"},
        {0x2212, "-"},
        {0x2026, "..."},
        {0x20AC, "EUR"},
        {0x0152, "OE"},
        {0x0153, "oe"},
        {0x0141, "L"},
        {0x0142, "l"},
        {0x0110, "D"},
        {0x0111, "d"},
        {0x0131, "i"},
        {0x0126, "H"},
        {0x0127, "h"},
        {0x0166, "T"},
        {0x0167, "t"},
        {0x0132, "IJ"},
        {0x0133, "ij"},
        {0x2022, "-"},
        {0x00A0, " "},
        {0x2122, "TM"},
        {0x02BC, "'"},
        {0x00AB, "\""},
        {0x00BB, "\""},
        // Latin-1 letters that Basic Latin lacks are spelled out only when asked for Basic Latin.
        {0x00C6, "AE"},
        {0x00E6, "ae"},
        {0x00DF, "ss"},
        {0x00D8, "O"},
        {0x00F8, "o"},
        {0x00D0, "D"},
        {0x00F0, "d"},
        {0x00DE, "TH"},
        {0x00FE, "th"},
        {0x00B0, "o"},
        {0x00AA, "a"},
        {0x00BA, "o"},
    };
    return map;
}
} // namespace

LatinResult ToSchemaLatin(const QString& s, CharRange range) {
    LatinResult r;
    QString out;
    out.reserve(s.size());
    const QList<uint> cps = s.toUcs4();
    for (uint c : cps) {
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
            out += QLatin1Char(' '); // a line break in a cause becomes a blank
            continue;
        }
        if (InRange(c, range)) {
            out += QChar(char16_t(c));
            continue;
        }
        r.changed = true;
        if (auto it = Spellings().constFind(c); it != Spellings().constEnd()) {
            out += it.value();
            continue;
        }
        // Canonical decomposition: a base letter in range followed by combining marks.
        const QString one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        const QString nfd = one.normalized(QString::NormalizationForm_D);
        QString base;
        for (QChar ch : nfd) {
            const ushort u = ch.unicode();
            if (u >= 0x0300 && u <= 0x036F)
                continue;
            base += ch;
        }
        // A base still outside the range (a Latin-1 letter when Basic Latin was asked) may have a spelling.
        QString spelled;
        bool ok = !base.isEmpty();
        for (QChar ch : base) {
            if (InRange(ch.unicode(), range))
                spelled += ch;
            else if (auto it = Spellings().constFind(ch.unicode()); it != Spellings().constEnd())
                spelled += it.value();
            else
                ok = false;
        }
        if (ok) {
            out += spelled;
        } else {
            r.missing += one;
            out += QLatin1Char('?');
        }
    }
    r.text = out.simplified();
    return r;
}

bool OnlyDigits(const QString& s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool TwoCapitals(const QString& s) {
    return s.size() == 2 && s[0] >= QLatin1Char('A') && s[0] <= QLatin1Char('Z') && s[1] >= QLatin1Char('A') &&
           s[1] <= QLatin1Char('Z');
}
