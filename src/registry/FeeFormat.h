#pragma once
// The enrolment fee as the registry stores it: an integer part, a comma and two cent digits.
#include <QString>

/// Formats a typed fee: empty or unreadable text gives "0,00"; otherwise the number (',' as the
/// decimal separator, no thousands separator, no sign) is rounded half up to cents on its exact
/// binary value, so "2,675" (stored just below 2.675) gives "2,67" and "12,5" gives "12,50".
/// Amounts of 10^15 and above, where a double no longer holds the cents, are rounded half up on
/// the typed decimal digits instead and written in full, never with an exponent.
QString FormatFee(const QString& text);
