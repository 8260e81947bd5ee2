#pragma once
// IBAN and SEPA creditor identifier checks (ISO 13616 check digits, modulo 97), the lengths of the
// IBAN countries and the masked form printed on lists that leave the office.
#include <QString>

enum class IbanResult {
    Valid,
    Empty,
    BadCharacters,   // something other than A-Z and 0-9 once blanks are removed
    UnknownCountry,  // the first two characters are not a country that issues IBANs
    WrongLength,     // not the length of the country's IBAN
    WrongFormat,     // Italy and San Marino: not CIN letter, ABI, CAB and a 12-character account
    WrongCheckDigits,
};

/// The IBAN as stored and written in files: blanks (and the hyphens some banks print) removed,
/// letters a-z turned to A-Z. Nothing else is changed, so a wrong character stays visible.
QString NormaliseIban(const QString& text);

/// Checks a normalised IBAN: characters, country, its length, the Italian layout and the two check digits.
IbanResult CheckIban(const QString& iban);
inline bool IsValidIban(const QString& iban) {
    return CheckIban(iban) == IbanResult::Valid;
}

/// Why an IBAN is wrong, in Italian, to follow the name of the field ("l'IBAN del pagatore ").
/// Empty for a valid one.
QString IbanProblem(IbanResult result);

/// The length of an IBAN of the two-letter `country`, or 0 when the country issues none.
int IbanLength(const QString& country);

/// The IBAN in groups of four characters, as banks print it ("IT60 X054 2811 1010 0000 0123 456").
QString GroupIban(const QString& iban);

/// The IBAN for printed lists: country, check digits and the last four characters kept, the rest as '*',
/// grouped by four ("IT60 **** **** **** **** ***3 456").
QString MaskIban(const QString& iban);

/// The remainder modulo 97 of a text of A-Z and 0-9 read as ISO 7064 digits (A = 10 ... Z = 35);
/// -1 when another character is found.
int Mod97(const QString& text);

enum class CreditorIdResult { Valid, Empty, WrongFormat, WrongCheckDigits };

/// The creditor identifier as stored: blanks and hyphens removed, upper case, and an old 18-character
/// short form ("IT91ZZZ01234567897") read as its 23-character form with the five zeros
/// ("IT91ZZZ0000001234567897"), which has the same check digits.
QString NormaliseCreditorId(const QString& text);

/// Checks an Italian SEPA creditor identifier of 23 characters: "IT", two check digits, a three-character
/// business code (ZZZ when unused, not part of the check) and a 16-character national identifier (a
/// person's tax code, an 11-digit tax code or VAT number with five zeros on its left, or a code the
/// bank generated), by its ISO 7064 MOD 97-10 check digits.
CreditorIdResult CheckCreditorId(const QString& id);

/// The creditor identifier for `nationalId` (16 characters, or 11 digits that get their five zeros)
/// with business code `business`; empty when the code has another length or other characters.
QString MakeCreditorId(const QString& nationalId, const QString& business = QStringLiteral("ZZZ"));

/// True when `cuc` is a CBI company code: exactly 8 characters A-Z or 0-9.
bool IsValidCuc(const QString& cuc);
