#include "fees/NurseryBonus.h"
#include "receipts/Cancellation.h"
#include "storage/Dates.h"
#include "storage/FixedField.h"
#include "storage/ReceiptFile.h"
#include "storage/Text.h"
#include "validators/TaxCode.h"
#include <QFileInfo>
#include <algorithm>

namespace fees {

bool ReceiptDetails::Load(const QString& programFolder, const QHash<int, QSet<qint64>>& positions, QString* error) {
    const QString folder = FolderWithSlash(programFolder);
    const QVector<FieldSpec>& layout = ReceiptRecord::Layout();
    const auto field = [&](const char* raw, int f) {
        return TrimText(DecodeField(raw + layout[f].offset, layout[f].width));
    };
    for (auto it = positions.constBegin(); it != positions.constEnd(); ++it) {
        if (it->isEmpty())
            continue;
        const QString path = folder + QString::number(it.key()) + QStringLiteral(".ric");
        if (!QFileInfo::exists(path))
            continue;
        RecordFile file(ReceiptRecord::Size);
        const QSet<qint64>& wanted = *it;
        const bool ok = file.OpenOrCreate(path) && file.Scan([&](qint64 index, const char* raw) {
            if (wanted.contains(index + 1))
                Put(it.key(), index + 1,
                    ReceiptDetail{field(raw, ReceiptField::Pagatore), UpperAZ(field(raw, ReceiptField::CodFisc)),
                                  field(raw, ReceiptField::Indirizzo)});
            return true;
        });
        if (!file.Close() || !ok) {
            if (error)
                *error = file.ErrorString();
            return false;
        }
    }
    return true;
}

bool BonusMonth::CashOnly() const {
    return !payments.isEmpty() && std::all_of(payments.begin(), payments.end(),
                                              [](const BonusPayment& p) { return p.kind == PaymentKind::Cash; });
}

bool BonusMonth::AnyCash() const {
    return std::any_of(payments.begin(), payments.end(),
                       [](const BonusPayment& p) { return p.kind == PaymentKind::Cash; });
}

QString MissingChildCodeText() {
    return QStringLiteral("codice fiscale del minore mancante");
}

qint64 BonusChild::TotalPaid() const {
    qint64 t = 0;
    for (const BonusMonth& m : months)
        t += m.paid;
    return t;
}

QVector<const BonusChild*> BonusSet::MissingCodes() const {
    QVector<const BonusChild*> out;
    for (const BonusFamily& f : families)
        for (const BonusChild& c : f.children)
            if (c.taxCode.isEmpty())
                out << &c;
    return out;
}

int BonusSet::Children() const {
    int n = 0;
    for (const BonusFamily& f : families)
        n += f.children.size();
    return n;
}

BonusChild BuildBonusChild(const RegistryRecord& card, qint64 cardNumber, const QString& childCode,
                           const QVector<ChildReceipt>& receipts, const ReceiptDetails& details, int year,
                           const QStringList& feeWords) {
    BonusChild out;
    out.card = cardNumber;
    out.child = TrimText(card.Armi);
    out.birthPlace = TrimText(card.Porto);
    out.birthDate = TrimText(card.InizioPor);
    out.payer = TrimText(card.Tiratore);
    out.payerTaxCode = UpperAZ(TrimText(card.CodFisc));
    const QString code = NormaliseChildTaxCode(childCode);
    if (code.isEmpty())
        out.codeProblem = MissingChildCodeText();
    else if (CheckTaxCode(code) != TaxCodeResult::Valid)
        out.codeProblem = QStringLiteral("%1: \"%2\" non è corretto").arg(MissingChildCodeText(), code);
    else
        out.taxCode = code;

    const CardTerms terms{out.child, CardFee(card), TrimText(card.Ente)};
    const ChildAccount account = Allocate(receipts, terms, FeeMonth{year, 1}, FeeMonth{year, 12}, feeWords);
    for (const MonthDue& m : account.months) {
        if (m.paid <= 0)
            continue;
        BonusMonth bm;
        bm.month = m.month;
        bm.due = m.due;
        bm.paid = m.paid;
        for (const MonthPart& part : m.parts) {
            BonusPayment p;
            p.number = part.number;
            p.date = part.date;
            p.amount = part.amount;
            const ReceiptDetail d = details.Of(part.fileYear, part.position);
            p.payer = d.payer;
            p.payerTaxCode = d.taxCode;
            p.payment = ReadPaymentText(d.method);
            p.kind = ClassifyPayment(d.method);
            p.credit = part.credit; // the month rule says when a share is money carried from another period
            bm.payments << p;
        }
        out.months << bm;
    }
    // The child's other receipts of the year, each in the first month it is for, apart from the fee.
    const QString key = ChildKey(out.child);
    for (const ChildReceipt& r : receipts) {
        if (ChildKey(r.child) != key || IsCancelledCause(r.cause) || IsFeeCause(r.cause, terms.cause, feeWords) ||
            !r.problem.isEmpty())
            continue;
        const QDate first = r.from.isValid() ? r.from : r.date;
        if (!first.isValid() || first.year() != year)
            continue;
        for (BonusMonth& bm : out.months)
            if (bm.month.month == first.month()) {
                const ReceiptDetail d = details.Of(r.fileYear, r.position);
                bm.extras << BonusExtra{
                    r.number, r.cause, r.date, r.amount, ReadPaymentText(d.method), ClassifyPayment(d.method)};
            }
    }
    return out;
}

BonusSet BuildBonusSet(const QVector<RegistryRecord>& cards, const QVector<int>& which, const ChildTaxCodes& codes,
                       const ChildReceipts& receipts, const ReceiptDetails& details, int year,
                       const QStringList& feeWords) {
    BonusSet out;
    out.year = year;
    QVector<int> chosen = which;
    if (chosen.isEmpty())
        for (int i = 0; i < cards.size(); ++i)
            chosen << i;
    std::sort(chosen.begin(), chosen.end());
    QHash<QString, int> familyOf;            // payer key -> index into out.families
    QHash<QPair<int, QString>, int> childOf; // (family, child key) -> index into its children
    for (int i : chosen) {
        const RegistryRecord& card = cards[i];
        if (TrimText(card.Armi).isEmpty())
            continue;
        const qint64 number = i + 1;
        BonusChild child =
            BuildBonusChild(card, number, codes.Of(number, card.Armi), receipts.Of(card.Armi), details, year, feeWords);
        if (child.months.isEmpty())
            continue;
        const QString payerKey = PayerKey(card.CodFisc);
        const QString familyKey = payerKey.isEmpty() ? QStringLiteral("#%1").arg(number) : payerKey;
        auto f = familyOf.constFind(familyKey);
        if (f == familyOf.constEnd()) {
            f = familyOf.insert(familyKey, out.families.size());
            out.families << BonusFamily{child.payer, child.payerTaxCode, {}};
        }
        BonusFamily& family = out.families[*f];
        const QPair<int, QString> childKey{*f, ChildKey(child.child)};
        const auto c = childOf.constFind(childKey);
        if (c == childOf.constEnd()) {
            childOf.insert(childKey, family.children.size());
            family.children << child;
        } else if (!family.children[*c].taxCode.isEmpty() && child.taxCode.isEmpty()) {
            continue; // the earlier card has the code: it stays
        } else {
            family.children[*c] = child; // the later card, or the one with the code
        }
    }
    return out;
}

bool LoadBonusSet(const QString& programFolder, int year, const QVector<qint64>& cardNumbers, BonusSet& out,
                  QString* error) {
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const QString folder = FolderWithSlash(programFolder);
    QVector<RegistryRecord> cards;
    if (!ReadFeeCards(folder, cards, error))
        return false;
    QVector<int> which;
    for (qint64 n : cardNumbers) {
        if (n < 1 || n > cards.size())
            return fail(QStringLiteral("La scheda n. %1 non è nell'anagrafica.").arg(n));
        which << int(n - 1);
    }
    ChildTaxCodes codes;
    QString why;
    if (!codes.Load(ChildTaxCodesPath(folder), &why))
        return fail(QStringLiteral("Impossibile leggere i codici fiscali dei minori: %1").arg(why));
    QSet<QString> children;
    for (int i = 0; i < cards.size(); ++i)
        if ((which.isEmpty() || which.contains(i)) && !TrimText(cards[i].Armi).isEmpty())
            children.insert(ChildKey(cards[i].Armi));
    ChildReceipts receipts;
    if (!receipts.Load(folder, {year - 1, year, year + 1}, &children, &why))
        return fail(QStringLiteral("Impossibile leggere l'archivio delle ricevute: %1").arg(why));
    // Every receipt of the children is a candidate (fee or extra): its payer and payment text are read
    // in one more pass over the files, for those receipts only.
    QHash<int, QSet<qint64>> positions;
    for (const QString& child : children)
        for (const ChildReceipt& r : receipts.Of(child))
            positions[r.fileYear].insert(r.position);
    ReceiptDetails details;
    if (!details.Load(folder, positions, &why))
        return fail(QStringLiteral("Impossibile leggere l'archivio delle ricevute: %1").arg(why));
    out = BuildBonusSet(cards, which, codes, receipts, details, year, ReadFeeWords(folder));
    return true;
}

QString BonusPaymentText(const PaymentFacts& payment, PaymentKind kind) {
    if (kind == PaymentKind::Cash)
        return PaymentText(payment) + QStringLiteral(" (non tracciabile)");
    if (kind == PaymentKind::NotStated)
        return QStringLiteral("Modalità non indicata sulla ricevuta");
    return PaymentText(payment);
}

QString BonusChildLine(const BonusChild& c) {
    const QString code = c.taxCode.isEmpty() ? c.codeProblem : QStringLiteral("C.F. ") + c.taxCode;
    const int months = c.months.size();
    return QStringLiteral("%1 (%2) - pagatore %3 - %4 - € %5")
        .arg(c.child, code, c.payer.isEmpty() ? QStringLiteral("(non indicato)") : c.payer,
             months == 1 ? QStringLiteral("1 mese") : QStringLiteral("%1 mesi").arg(months), AmountText(c.TotalPaid()));
}

} // namespace fees
