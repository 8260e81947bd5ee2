#include "app/Crypt.h"

namespace {
// Both routines must agree on these; the installer's password tool uses the same code.
constexpr quint16 kStartKey = 5813;
constexpr quint16 kMultiplier = 31517;
constexpr quint16 kIncrement = 27061;

int HexValue(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}
} // namespace

QString Encipher(const QString& plain) {
    static const char digits[] = "0123456789ABCDEF";
    quint16 key = kStartKey;
    QString out;
    out.reserve(plain.size() * 2);
    for (QChar ch : plain) {
        const quint8 p = quint8(ch.unicode() & 0xFF);
        const quint8 c = quint8(p ^ (key >> 8));
        out += QLatin1Char(digits[c >> 4]);
        out += QLatin1Char(digits[c & 15]);
        key = quint16((c + key) * kMultiplier + kIncrement);
    }
    return out;
}

std::optional<QString> Decipher(const QString& hex) {
    const int n = int(hex.size() / 2);
    QString out;
    out.reserve(n);
    quint16 key = kStartKey;
    for (int i = 0; i < n; ++i) {
        const int hi = HexValue(hex.at(2 * i)), lo = HexValue(hex.at(2 * i + 1));
        if (hi < 0 || lo < 0)
            return std::nullopt;
        const quint8 c = quint8(hi * 16 + lo);
        out += QChar(ushort(c ^ (key >> 8)));
        key = quint16((c + key) * kMultiplier + kIncrement);
    }
    return out;
}
