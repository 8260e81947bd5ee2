#include "storage/Text.h"
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
// Code points of the bytes 0x80-0x9F in Windows-1252; the five unassigned bytes map to
// themselves so that every byte round-trips.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int ByteFor(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}
} // namespace

QStringView TrimView(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && s.at(e - 1).unicode() <= 0x20)
        --e;
    return s.sliced(b, e - b);
}

QString TrimText(const QString& s) {
    const QStringView t = TrimView(s);
    return t.size() == s.size() ? s : t.toString();
}

QString UpperAZ(const QString& s) {
    QString r = s;
    for (QChar& c : r)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return r;
}

QString LowerAZ(const QString& s) {
    // Read from `s` and written once into a new text: the sort keys of a list of a year's lines are made
    // with it, so no copy of each line is made first and folded after.
    const qsizetype n = s.size();
    if (n == 0)
        return s;
    QString r(n, Qt::Uninitialized);
    const char16_t* in = reinterpret_cast<const char16_t*>(s.utf16());
    char16_t* out = reinterpret_cast<char16_t*>(r.data());
    qsizetype i = 0;
#ifdef __SSE2__
    // Eight characters at a time; as signed numbers the characters from U+8000 on are negative, never A-Z.
    const __m128i afterZ = _mm_set1_epi16('Z' + 1), beforeA = _mm_set1_epi16('A' - 1), gap = _mm_set1_epi16(32);
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i upper = _mm_and_si128(_mm_cmpgt_epi16(v, beforeA), _mm_cmplt_epi16(v, afterZ));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_add_epi16(v, _mm_and_si128(upper, gap)));
    }
#endif
    for (; i < n; ++i)
        out[i] = in[i] >= u'A' && in[i] <= u'Z' ? char16_t(in[i] + 32) : in[i];
    return r;
}

QByteArray ToWin1252(const QString& s) {
    QByteArray out;
    out.reserve(s.size());
    for (QChar c : s) {
        const int b = ByteFor(c.unicode());
        out.append(char(b < 0 ? '?' : b));
    }
    return out;
}

QString FromWin1252(const char* data, int len) {
    bool plain = true; // most stored text is ASCII or Latin-1 above 0x9F: Qt converts that fast
    for (int i = 0; i < len && plain; ++i) {
        const unsigned char b = static_cast<unsigned char>(data[i]);
        plain = b < 0x80 || b >= 0xA0;
    }
    if (plain)
        return QString::fromLatin1(data, len);
    QString out(len, Qt::Uninitialized);
    FromWin1252Into(data, len, out.data());
    return out;
}

namespace {
// The character of every byte, so that converting is one look-up a byte and no branch.
struct Win1252Table {
    char16_t code[256] = {};
    constexpr Win1252Table() {
        for (int b = 0; b < 256; ++b)
            code[b] = (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char16_t(b);
    }
};
constexpr Win1252Table kTable;
} // namespace

void FromWin1252Into(const char* data, int len, QChar* out) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    int i = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time while none of them is in 0x80-0x9F, the only bytes whose character is
    // not the byte's own value: each byte widened to its character with a zero high byte.
    const __m128i zero = _mm_setzero_si128();
    const __m128i limit = _mm_set1_epi8(char(0xA0)); // as signed bytes, 0x80-0x9F are exactly those below 0xA0
    for (; i + 16 <= len; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const __m128i high = _mm_cmplt_epi8(v, limit);
        if (_mm_movemask_epi8(high))
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(v, zero));
    }
    if (i + 8 <= len) { // most fields are shorter than sixteen
        const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes + i));
        if (!(_mm_movemask_epi8(_mm_cmplt_epi8(v, limit)) & 0xFF)) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
            i += 8;
        }
    }
#endif
    for (; i < len; ++i)
        out[i] = QChar(kTable.code[bytes[i]]);
}

bool IsWin1252(const QString& s) {
    for (QChar c : s)
        if (ByteFor(c.unicode()) < 0)
            return false;
    return true;
}

QString Counted(qint64 n, const QString& singular, const QString& plural) {
    return QString::number(n) + u' ' + (n == 1 ? singular : plural);
}

QString MatchFold(const QString& s) {
    QString out;
    for (QChar c : s.normalized(QString::NormalizationForm_KD))
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}
