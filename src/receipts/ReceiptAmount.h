#pragma once
// The amount and number of a receipt as the receipt editor's save makes them, for the code that
// writes receipts without the editor (a month's fees issued in one go). One rule for both, so that
// a receipt issued in a batch is stored exactly as one typed and saved.
#include <QString>
#include <QStringList>
#include <optional>

/// The five amount fields of a stored receipt.
struct ReceiptAmount {
    QString Importo, Cents, ImpLettere, CentLettere, Intero;
};

/// The amount fields from the texts of the euro and cents boxes, as saving makes them: no euro is "0",
/// cents are cut to two digits, none is "00", one digit gets its 0 ("5" is 50 cents); the words are
/// those of the euro as typed (empty when the box was empty or holds no number); Intero is euro, ',',
/// cents.
ReceiptAmount AmountFromBoxes(const QString& euro, const QString& cents);

/// The numbering start as the settings file holds it ("Inizio"): blank reads as 1; otherwise an
/// optional sign and decimal digits within a 32-bit integer. Anything else is not a start.
std::optional<qint64> NumberingStart(const QString& text);

/// The numbering start kept in the settings file at `settingsPath`, with the text it was read from
/// (trimmed, "1" when blank). Nothing when the file exists but cannot be read, or the text is not a start.
struct StoredStart {
    std::optional<qint64> start;
    QString text;
    bool readable = true;
};
StoredStart ReadNumberingStart(const QString& settingsPath);

/// The four receiver lines kept in the settings file at `settingsPath`, as typed (blank lines kept).
QStringList ReadReceiverLines(const QString& settingsPath);
