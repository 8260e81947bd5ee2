#pragma once
// Check digit of the Italian VAT number (partita IVA) and the table of the issuing VAT offices.
#include <QString>

/// The check digit (0-9) of the first 10 characters of `number`, or -1 when they are not ten
/// digits 0-9.
int VatCheckDigit(const QString& number);

/// True when `number` is exactly 11 digits 0-9 and the last one is the check digit of the others.
bool IsValidVatNumber(const QString& number);

/// Name of the town of the VAT office with the three-character code `code` (digits 8 to 10 of
/// the number), compared exactly; empty when the table has no such code.
QString VatOfficeName(const QString& code);

/// The three-character office code of a VAT number: its characters 8, 9 and 10.
inline QString VatOfficeCode(const QString& number) {
    return number.mid(7, 3);
}
