#pragma once
// The children's tax codes, kept beside the registry in Codici_Fiscali_Minori.ini because the card's
// stored record has no room for them: one section per card number ("Scheda 12") with the keys
// "Codice fiscale" and "Minore" (the child's name when the code was saved). The card number never
// changes, so a code stays with its card when the card is edited or its payer changes; the child's name
// guards against a code kept for a card number that was never written.
#include <QHash>
#include <QString>
#include <QVector>
#include <utility>

inline constexpr const char* ChildTaxCodesFileName = "Codici_Fiscali_Minori.ini";
/// <programFolder>/Codici_Fiscali_Minori.ini.
QString ChildTaxCodesPath(const QString& programFolder);

/// A child's code as it is kept: blanks removed, A-Z in upper case.
QString NormaliseChildTaxCode(const QString& text);

struct ChildTaxCode {
    qint64 card = 0;
    QString child; ///< the card's child when the code was saved
    QString code;  ///< normalised; empty: none
};

/// The codes of a file, by card number.
class ChildTaxCodes {
public:
    /// Reads `path` in one go; a missing file holds no code. False, with `error`, when it cannot be read.
    bool Load(const QString& path, QString* error = nullptr);
    /// The code of card `card` (1-based) when it was saved for the child `child` (names compared as the
    /// fee rules compare them); empty otherwise.
    QString Of(qint64 card, const QString& child) const;
    void Put(const ChildTaxCode& c) { m_byCard.insert(c.card, c); }
    int Count() const { return int(m_byCard.size()); }

private:
    QHash<qint64, ChildTaxCode> m_byCard;
};

/// Writes `codes` into `path` in one save, keeping every other line. All or nothing.
bool SaveChildTaxCodes(const QString& path, const QVector<ChildTaxCode>& codes, QString* error = nullptr);

/// What a child's code typed for a card says.
struct ChildCodeCheck {
    enum State { Missing, Valid, Wrong };
    State state = Missing;
    QString problem; ///< Wrong: why, for the office ("il codice fiscale del minore ... non è corretto")
    QString warning; ///< Valid, but its birth date or sex do not match the card: what they say
};
/// Checks `code` (normalised) by the tax-code rule and against the child's birth date on the card
/// (dd/mm/yyyy; another text or a blank is not compared).
ChildCodeCheck CheckChildTaxCode(const QString& code, const QString& birthDate);

/// The children's codes of a registry by payer and child, for the documents made from a receipt (the
/// receipt names its payer's code and its child, not the card).
class ChildCodeIndex {
public:
    /// Reads the registry and the codes of `programFolder`; a missing registry or codes file holds no
    /// code. False, with `error`, when one cannot be read.
    bool Load(const QString& programFolder, QString* error = nullptr);
    /// Adds a card of payer `payerCode` for its child `child`, with the code kept for it.
    void Add(const QString& payerCode, const QString& child, const QString& code);
    /// The right code of the child `child` on a card of payer `payerCode` (blanks and letter case
    /// ignored); empty when none is kept or it fails the tax-code rule.
    QString Of(const QString& payerCode, const QString& child) const;

private:
    QHash<QString, QString> m_codes;
};
