#include "registry/ChildTaxCodes.h"
#include "fees/MonthFees.h"
#include "storage/Dates.h"
#include "storage/IniFile.h"
#include "storage/RegistryFile.h"
#include "storage/Text.h"
#include "validators/TaxCode.h"
#include <QFileInfo>

namespace {
const QString kPrefix = QStringLiteral("Scheda ");
const QString kCode = QStringLiteral("Codice fiscale");
const QString kChild = QStringLiteral("Minore");

// The card number of a section "Scheda <n>", 0 for any other section.
qint64 CardOfSection(const QString& section) {
    if (!section.startsWith(kPrefix, Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const qint64 n = TrimText(section.mid(kPrefix.size())).toLongLong(&ok);
    return ok && n > 0 ? n : 0;
}
} // namespace

QString ChildTaxCodesPath(const QString& programFolder) {
    return FolderWithSlash(programFolder) + QLatin1String(ChildTaxCodesFileName);
}

QString NormaliseChildTaxCode(const QString& text) {
    QString out;
    for (QChar c : UpperAZ(text))
        if (c.unicode() > 0x20)
            out += c;
    return out;
}

bool ChildTaxCodes::Load(const QString& path, QString* error) {
    m_byCard.clear();
    IniDocument doc;
    if (!doc.Load(path, error))
        return false;
    for (const IniDocument::Entry& e : doc.Entries()) {
        const qint64 card = CardOfSection(e.section);
        if (card == 0)
            continue;
        ChildTaxCode& c = m_byCard[card];
        c.card = card;
        if (e.key.compare(kCode, Qt::CaseInsensitive) == 0)
            c.code = NormaliseChildTaxCode(e.value);
        else if (e.key.compare(kChild, Qt::CaseInsensitive) == 0)
            c.child = TrimText(e.value);
    }
    return true;
}

QString ChildTaxCodes::Of(qint64 card, const QString& child) const {
    const auto it = m_byCard.constFind(card);
    if (it == m_byCard.constEnd() || fees::ChildKey(it->child) != fees::ChildKey(child))
        return QString();
    return it->code;
}

bool SaveChildTaxCodes(const QString& path, const QVector<ChildTaxCode>& codes, QString* error) {
    if (codes.isEmpty())
        return true;
    IniDocument doc;
    if (!doc.Load(path, error))
        return false;
    for (const ChildTaxCode& c : codes) {
        const QString section = kPrefix + QString::number(c.card);
        doc.Set(section, kCode, NormaliseChildTaxCode(c.code));
        doc.Set(section, kChild, TrimText(c.child));
    }
    return doc.Save(path, error);
}

ChildCodeCheck CheckChildTaxCode(const QString& code, const QString& birthDate) {
    ChildCodeCheck out;
    if (code.isEmpty())
        return out;
    const TaxCodeResult r = CheckTaxCode(code);
    const std::optional<TaxCodeBirth> birth = TaxCodeBirthData(code);
    if (r != TaxCodeResult::Valid || !birth) {
        out.state = ChildCodeCheck::Wrong;
        out.problem = r == TaxCodeResult::WrongLength
                          ? QStringLiteral("il codice fiscale del minore \"%1\" ha %2 caratteri invece di 16")
                                .arg(code)
                                .arg(code.size())
                          : QStringLiteral("il codice fiscale del minore \"%1\" non è corretto").arg(code);
        return out;
    }
    out.state = ChildCodeCheck::Valid;
    const QDate date = ParseDate(TrimText(birthDate));
    if (!date.isValid())
        return out;
    if (date.year() % 100 != birth->year2 || date.month() != birth->month || date.day() != birth->day)
        out.warning = QStringLiteral("il codice fiscale del minore indica la nascita il %1/%2/..%3 (%4), mentre la "
                                     "scheda indica il %5")
                          .arg(birth->day, 2, 10, QLatin1Char('0'))
                          .arg(birth->month, 2, 10, QLatin1Char('0'))
                          .arg(birth->year2, 2, 10, QLatin1Char('0'))
                          .arg(birth->female ? QStringLiteral("femmina") : QStringLiteral("maschio"))
                          .arg(FormatDate(date));
    return out;
}

namespace {
QString IndexKey(const QString& payerCode, const QString& child) {
    return UpperAZ(TrimText(payerCode)).remove(u' ') + u'\n' + fees::ChildKey(child);
}
} // namespace

bool ChildCodeIndex::Load(const QString& programFolder, QString* error) {
    m_codes.clear();
    const QString folder = FolderWithSlash(programFolder);
    ChildTaxCodes codes;
    if (!codes.Load(ChildTaxCodesPath(folder), error))
        return false;
    if (codes.Count() == 0 || !QFileInfo::exists(folder + QLatin1String(RegistryFileName)))
        return true;
    RegistryFile registry;
    QVector<RegistryRecord> cards;
    if (!registry.OpenOrCreate(folder) || !registry.ReadAll(cards) || !registry.Close()) {
        if (error)
            *error = registry.ErrorString();
        return false;
    }
    for (int i = 0; i < cards.size(); ++i)
        Add(cards[i].CodFisc, cards[i].Armi, codes.Of(i + 1, cards[i].Armi));
    return true;
}

void ChildCodeIndex::Add(const QString& payerCode, const QString& child, const QString& code) {
    // A card without a right code never hides the code another card of the same child has.
    if (CheckTaxCode(code) == TaxCodeResult::Valid && !fees::ChildKey(child).isEmpty())
        m_codes.insert(IndexKey(payerCode, child), code);
}

QString ChildCodeIndex::Of(const QString& payerCode, const QString& child) const {
    return m_codes.value(IndexKey(payerCode, child));
}
