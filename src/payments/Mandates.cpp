#include "payments/Mandates.h"
#include "storage/Dates.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include "validators/Iban.h"

namespace payments {
namespace {
const QString kIban = QStringLiteral("IBAN");
const QString kId = QStringLiteral("Mandato");
const QString kSigned = QStringLiteral("Data firma");
const QString kFirst = QStringLiteral("Primo addebito");

QString YesNo(bool v) {
    return v ? QStringLiteral("SI") : QStringLiteral("NO");
}
} // namespace

bool Mandates::Load(const QString& path, QString* error) {
    m_byTaxCode.clear();
    IniDocument doc;
    if (!doc.Load(path, error))
        return false;
    for (const IniDocument::Entry& e : doc.Entries()) {
        const QString code = UpperAZ(e.section);
        Mandate& m = m_byTaxCode[code];
        m.taxCode = code;
        if (e.key.compare(kIban, Qt::CaseInsensitive) == 0)
            m.iban = NormaliseIban(e.value);
        else if (e.key.compare(kId, Qt::CaseInsensitive) == 0)
            m.id = e.value;
        else if (e.key.compare(kSigned, Qt::CaseInsensitive) == 0)
            m.signedOn = ParseDate(e.value);
        else if (e.key.compare(kFirst, Qt::CaseInsensitive) == 0)
            m.firstDone = UpperAZ(e.value) == QLatin1String("SI");
    }
    return true;
}

std::optional<Mandate> Mandates::Of(const QString& taxCode) const {
    auto it = m_byTaxCode.constFind(UpperAZ(TrimText(taxCode)));
    if (it == m_byTaxCode.constEnd() || it->iban.isEmpty() || it->id.isEmpty())
        return std::nullopt;
    return *it;
}

QString Mandates::OwnerOfId(const QString& id, const QString& except) const {
    const QString exceptCode = UpperAZ(except);
    for (const Mandate& m : m_byTaxCode)
        if (m.taxCode != exceptCode && m.id.compare(id, Qt::CaseInsensitive) == 0)
            return m.taxCode;
    return QString();
}

bool IsValidMandateId(const QString& id) {
    if (id.isEmpty() || id.size() > 35 || id.startsWith(u' ') || id.endsWith(u' ') || id.startsWith(u'/') ||
        id.contains(QLatin1String("//")))
        return false;
    static const QString extra = QStringLiteral("+?/-:().,' ");
    for (QChar c : id) {
        const ushort u = c.unicode();
        const bool ok = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
                        extra.contains(c);
        if (!ok)
            return false;
    }
    return true;
}

QString CheckMandate(const Mandate& m, const Mandates& all, const QDate& today) {
    if (const IbanResult r = CheckIban(m.iban); r != IbanResult::Valid)
        return QStringLiteral("L'IBAN del pagatore ") + IbanProblem(r);
    if (m.id.isEmpty())
        return QStringLiteral("Manca il codice del mandato.");
    if (!IsValidMandateId(m.id))
        return QStringLiteral("Il codice del mandato può avere al massimo 35 caratteri tra lettere, cifre e "
                              "+ ? / - : ( ) . , ' e spazi.");
    if (const QString owner = all.OwnerOfId(m.id, m.taxCode); !owner.isEmpty())
        return QStringLiteral("Il codice del mandato \"%1\" è già usato per il codice fiscale %2.").arg(m.id, owner);
    if (!m.signedOn.isValid())
        return QStringLiteral("La data di firma del mandato non è una data valida (gg/mm/aaaa).");
    if (m.signedOn > today)
        return QStringLiteral("La data di firma del mandato è posteriore a oggi.");
    return QString();
}

bool SaveMandate(const QString& path, const Mandate& m, QString* error) {
    return UpdateIniFile(
        path,
        [&](IniDocument& doc) {
            doc.Set(m.taxCode, kIban, m.iban);
            doc.Set(m.taxCode, kId, m.id);
            doc.Set(m.taxCode, kSigned, FormatDate(m.signedOn));
            doc.Set(m.taxCode, kFirst, YesNo(m.firstDone));
        },
        error);
}

bool MarkFirstCollections(const QString& path, const QStringList& taxCodes, QString* error, bool done) {
    if (taxCodes.isEmpty())
        return true;
    return UpdateIniFile(
        path,
        [&](IniDocument& doc) {
            for (const QString& code : taxCodes)
                doc.Set(code, kFirst, YesNo(done));
        },
        error);
}

} // namespace payments
