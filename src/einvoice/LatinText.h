#pragma once
// The invoice schema admits only Basic Latin and Latin-1 letters in its text fields (and Basic
// Latin alone in codes and numbers). These helpers bring a text into that range where a faithful
// spelling exists and say when it does not.
#include <QString>

enum class CharRange { BasicLatin, Latin1 };

struct LatinResult {
    QString text;         ///< the text as it will be written
    bool changed = false; ///< some character was replaced by its plain spelling
    QString missing;      ///< characters that have no spelling in the range (then `text` is not usable)
};

/// Spells `s` within `range`: a letter with a diacritic outside the range loses the mark ("ř" -> "r"),
/// typographic quotes and dashes become their plain forms, a few ligatures and signs are spelled out
/// ("œ" -> "oe", "€" -> "EUR"); control characters and line breaks become blanks, and runs of blanks one.
LatinResult ToSchemaLatin(const QString& s, CharRange range = CharRange::Latin1);

/// Decimal digits 0-9 only, at least one (an amount's euro, a CAP, a VAT number).
bool OnlyDigits(const QString& s);
/// Two capital letters A-Z (a province, a country code).
bool TwoCapitals(const QString& s);
