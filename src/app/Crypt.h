#pragma once
// Scrambling of the stored password: each character is XORed with a running 16-bit key and
// written as two upper-case hexadecimal digits.
#include <QString>
#include <optional>

/// Scrambles `plain` (only the low 8 bits of each character take part).
QString Encipher(const QString& plain);
/// Unscrambles hexadecimal text; a last odd digit is ignored. Empty when a pair is not hexadecimal.
std::optional<QString> Decipher(const QString& hex);
