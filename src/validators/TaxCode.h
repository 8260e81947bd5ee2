#pragma once
// Check letter of the Italian tax code (codice fiscale) of a natural person.
#include <QChar>
#include <QString>
#include <optional>

/// Outcome of checking a tax code.
enum class TaxCodeResult {
    WrongLength, ///< not exactly 16 characters
    Valid,       ///< the 16th character is the check letter of the first fifteen
    Wrong        ///< wrong check letter, or a character outside 0-9 and A-Z
};

/// Value of `c` in the odd-position conversion table of the check letter, or -1 when `c` is not
/// one of 0-9, A-Z (lower case letters included: the code is checked in upper case).
int TaxCodeOddValue(QChar c);
/// Value of `c` in the even-position conversion table (digits their own value, A-Z 0-25), or -1.
int TaxCodeEvenValue(QChar c);

/// The check letter of the first 15 characters of `code`; nothing when `code` is shorter than
/// 15 characters or one of those characters has no value in the tables.
std::optional<QChar> TaxCodeCheckLetter(const QString& code);

/// Checks `code` as given, without trimming or case folding. Only the check letter is verified:
/// the pattern of letters and digits, the date and the place code are not examined.
TaxCodeResult CheckTaxCode(const QString& code);

/// The birth data a person's tax code carries in characters 7 to 11: the year's last two digits, the
/// month (letters A B C D E H L M P R S T) and the day, plus 40 for a woman. Digits replaced by letters
/// (L to V for 0 to 9, given to codes that would otherwise be the same) are read back as digits.
struct TaxCodeBirth {
    int year2 = 0; ///< 0 to 99
    int month = 0; ///< 1 to 12
    int day = 0;   ///< 1 to 31
    bool female = false;
};
/// The birth data of `code` (16 characters, upper case); nothing when those characters cannot be read
/// as a month and a day.
std::optional<TaxCodeBirth> TaxCodeBirthData(const QString& code);
