#pragma once
// Direct-debit mandates, kept beside the registry in Mandati_SDD.ini: one section per payer's tax code
// with the keys "IBAN", "Mandato" (the mandate id), "Data firma" (dd/mm/yyyy) and "Primo addebito"
// (SI once the first collection has gone to the bank, NO before).
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace payments {

inline constexpr const char* MandatesFileName = "Mandati_SDD.ini";

struct Mandate {
    QString taxCode;   // the section: the payer's tax code, upper case
    QString iban;      // normalised
    QString id;        // the mandate id, unique in the file
    QDate signedOn;
    bool firstDone = false; // the first collection (FRST) has been sent: the next ones are RCUR
};

/// The mandates of a file, by tax code.
class Mandates {
public:
    /// Reads `path` in one go; a missing file holds no mandate. False, with `error`, when unreadable.
    bool Load(const QString& path, QString* error = nullptr);
    std::optional<Mandate> Of(const QString& taxCode) const;
    /// The payer whose mandate has `id` (letter case ignored), other than `except`; empty when none.
    QString OwnerOfId(const QString& id, const QString& except = QString()) const;
    int Count() const { return int(m_byTaxCode.size()); }
    void Put(const Mandate& m) { m_byTaxCode.insert(m.taxCode, m); }

private:
    QHash<QString, Mandate> m_byTaxCode;
};

/// The characters a SEPA mandate id may hold: A-Z a-z 0-9 and + ? / - : ( ) . , ' and blank, at most 35,
/// not beginning or ending with a blank and not beginning with '/' nor holding "//".
bool IsValidMandateId(const QString& id);

/// Checks a mandate as typed against the others of `all`: the IBAN, the id (well formed, not another
/// payer's) and the date of signature (a valid date, not after `today`). The first problem, naming its
/// field, or an empty text.
QString CheckMandate(const Mandate& m, const Mandates& all, const QDate& today);

/// Writes one payer's mandate (its four keys) into `path`, keeping every other line. All or nothing.
bool SaveMandate(const QString& path, const Mandate& m, QString* error = nullptr);

/// Marks the first collection done (or, with `done` false, not done: the next debit is FRST again) for
/// `taxCodes` in one save of `path`. All or nothing.
bool MarkFirstCollections(const QString& path, const QStringList& taxCodes, QString* error = nullptr,
                          bool done = true);

} // namespace payments
