#pragma once
// Where the receipt settings live in the settings file Trelvani.ini (one setting for all years).
#include <QString>

namespace ReceiptSettings {
/// Section and key of the numbering start.
inline QString NumberingSection() { return QStringLiteral("Numerazione Ricevute"); }
inline QString NumberingStartKey() { return QStringLiteral("Inizio"); }
/// Section of the four receiver lines and the key of line 1 to 4.
inline QString ReceiverSection() { return QStringLiteral("Ricevente"); }
inline QString ReceiverKey(int line) { return QStringLiteral("Rigo %1").arg(line); }
} // namespace ReceiptSettings
