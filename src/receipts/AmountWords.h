#pragma once
// Amounts in Italian words, as printed on receipts, and the reading of the amount box.
// The words follow the program's own fixed rules (no elision: 28 is VENTIOTTO), which every
// stored receipt carries, so they must not be "corrected" to standard usage.
#include <QString>
#include <QtGlobal>
#include <optional>

/// Words of a group of three digits, 0 to 999, in lower case without blanks; "" for 0 and for
/// any value outside 0..999.
QString GruppoInLettere(int n);

/// Words of a currency value given in ten-thousandths of a euro (12,50 euro is 125000), upper case.
/// The whole euro come in words ("ZERO" for none); cents other than zero follow as
/// " E <words> CENTESIMI"; a negative amount starts with "- ". Groups beyond the milliards are ignored.
QString ImportoInLettere(qint64 tenThousandths);

/// Reads the text of an amount box as a currency value in ten-thousandths: optional blanks around,
/// an optional sign, digits, optionally a comma and further digits (rounded to four decimals).
/// Anything else (letters, a dot, a lone comma, text pasted into the box) gives no value.
std::optional<qint64> ParseAmountText(QStringView text);
