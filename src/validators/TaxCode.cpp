#include "validators/TaxCode.h"

namespace {

// Index of a character in "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", or -1.
int TableIndex(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'Z')
        return 10 + (u - u'A');
    return -1;
}

// Odd-position values, indexed like TableIndex: the digits 0-9 share the values of A-J.
// clang-format off
constexpr int kOdd[36] = {
    1,  0,  5,  7,  9,  13, 15, 17, 19, 21,                               // 0-9
    1,  0,  5,  7,  9,  13, 15, 17, 19, 21,                               // A-J
    2,  4,  18, 20, 11, 3,  6,  8,  12, 14, 16, 10, 22, 25, 24, 23};      // K-Z
// clang-format on

} // namespace

int TaxCodeOddValue(QChar c) {
    const int i = TableIndex(c);
    return i < 0 ? -1 : kOdd[i];
}

int TaxCodeEvenValue(QChar c) {
    const int i = TableIndex(c);
    if (i < 0)
        return -1;
    return i < 10 ? i : i - 10;
}

std::optional<QChar> TaxCodeCheckLetter(const QString& code) {
    if (code.size() < 15)
        return std::nullopt;
    int sum = 0;
    for (int pos = 1; pos <= 15; ++pos) {
        const QChar c = code.at(pos - 1);
        const int v = (pos % 2 == 1) ? TaxCodeOddValue(c) : TaxCodeEvenValue(c);
        if (v < 0)
            return std::nullopt;
        sum += v;
    }
    return QChar(u'A' + sum % 26);
}

TaxCodeResult CheckTaxCode(const QString& code) {
    if (code.size() != 16)
        return TaxCodeResult::WrongLength;
    const std::optional<QChar> letter = TaxCodeCheckLetter(code);
    // A character outside the tables makes the code wrong: it cannot be a valid code.
    if (!letter || *letter != code.at(15))
        return TaxCodeResult::Wrong;
    return TaxCodeResult::Valid;
}

namespace {
// A digit of the date, or the letter that stands for it in a code given to two people otherwise alike.
int BirthDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    static const char16_t letters[] = u"LMNPQRSTUV";
    for (int d = 0; d < 10; ++d)
        if (letters[d] == u)
            return d;
    return -1;
}
} // namespace

std::optional<TaxCodeBirth> TaxCodeBirthData(const QString& code) {
    if (code.size() != 16)
        return std::nullopt;
    const int y1 = BirthDigit(code.at(6)), y2 = BirthDigit(code.at(7));
    const int d1 = BirthDigit(code.at(9)), d2 = BirthDigit(code.at(10));
    static const QString months = QStringLiteral("ABCDEHLMPRST");
    const int month = months.indexOf(code.at(8)) + 1;
    if (y1 < 0 || y2 < 0 || d1 < 0 || d2 < 0 || month <= 0)
        return std::nullopt;
    TaxCodeBirth b;
    b.year2 = y1 * 10 + y2;
    b.month = month;
    int day = d1 * 10 + d2;
    if (day > 40) {
        b.female = true;
        day -= 40;
    }
    if (day < 1 || day > 31)
        return std::nullopt;
    b.day = day;
    return b;
}
