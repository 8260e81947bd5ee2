#include "fees/FamilyAccount.h"
#include "fees/Reminders.h"
#include "payments/SddRegister.h"
#include "storage/Text.h"
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace fees {

namespace {
int MonthIndex(const FeeMonth& m) {
    return m.year * 12 + m.month - 1;
}

template <class F> qint64 SumSections(const FamilyAccount& a, F f) {
    qint64 total = 0;
    for (const AccountSection& s : a.sections)
        total += (s.account.*f)();
    return total;
}
} // namespace

qint64 FamilyAccount::TotalDue() const {
    return SumSections(*this, &ChildAccount::TotalDue);
}
qint64 FamilyAccount::TotalPaid() const {
    return SumSections(*this, &ChildAccount::TotalPaid);
}
qint64 FamilyAccount::TotalOwed() const {
    return SumSections(*this, &ChildAccount::TotalOwed);
}
qint64 FamilyAccount::TotalHeld() const {
    return SumSections(*this, &ChildAccount::TotalHeld);
}
qint64 FamilyAccount::TotalToAsk() const {
    return SumSections(*this, &ChildAccount::TotalToAsk);
}
qint64 FamilyAccount::TotalCredit() const {
    return SumSections(*this, &ChildAccount::TotalCredit);
}

QString PayerKey(const QString& taxCode) {
    return UpperAZ(TrimText(taxCode));
}

QVector<int> FamilyCards(const QVector<RegistryRecord>& cards, int index) {
    QVector<int> out;
    if (index < 0 || index >= cards.size())
        return out;
    out << index;
    const QString key = PayerKey(cards[index].CodFisc);
    if (key.isEmpty())
        return out;
    for (int i = 0; i < cards.size(); ++i)
        if (i != index && PayerKey(cards[i].CodFisc) == key)
            out << i;
    return out;
}

QVector<int> AccountYears(const QVector<RegistryRecord>& cards, const QVector<int>& which, const FeeMonth& upTo) {
    int first = upTo.year, last = upTo.year;
    for (int i : which) {
        const auto range = AccountRange(cards[i].InizioTes, cards[i].FineTes, upTo);
        if (MonthIndex(range.second) < MonthIndex(range.first))
            continue;
        first = std::min(first, range.first.year);
        last = std::max(last, range.second.year);
    }
    QVector<int> years;
    for (int y = first - 1; y <= last; ++y)
        years << y;
    return years;
}

qint64 CardFee(const RegistryRecord& card) {
    return FeeAmount(card.Quota);
}

FamilyAccount BuildFamilyAccount(const QVector<RegistryRecord>& cards, int index, const ChildReceipts& receipts,
                                 const FeeMonth& upTo, const QStringList& feeWords, const DebitHolds& holds) {
    FamilyAccount out;
    out.upTo = upTo;
    if (index < 0 || index >= cards.size())
        return out;
    out.payer = TrimText(cards[index].Tiratore);
    out.taxCode = TrimText(cards[index].CodFisc);
    for (int i : FamilyCards(cards, index)) {
        const RegistryRecord& c = cards[i];
        AccountSection s;
        s.card = i + 1;
        s.payer = TrimText(c.Tiratore);
        s.taxCode = TrimText(c.CodFisc);
        s.child = TrimText(c.Armi);
        s.fee = TrimText(c.Quota);
        s.cause = TrimText(c.Ente);
        const auto range = AccountRange(c.InizioTes, c.FineTes, upTo);
        s.from = range.first;
        s.to = range.second;
        if (s.child.isEmpty()) {
            s.problem = QStringLiteral("minore mancante");
            // No child, no months: the range ends before it starts.
            s.to = s.from.month == 1 ? FeeMonth{s.from.year - 1, 12} : FeeMonth{s.from.year, s.from.month - 1};
        } else {
            s.account = Allocate(receipts.Of(s.child), CardTerms{s.child, CardFee(c), s.cause}, s.from, s.to, feeWords,
                                 holds.Of(s.child));
            if (CardFee(c) <= 0)
                s.problem = s.fee.isEmpty() ? QStringLiteral("quota mancante") : QStringLiteral("quota non valida");
        }
        out.sections << s;
    }
    return out;
}

QStringList AccountColumns() {
    return {QStringLiteral("Mese"), QStringLiteral("Dovuto"), QStringLiteral("Ricevute"), QStringLiteral("Pagato"),
            QStringLiteral("Da pagare")};
}

namespace {
QString ReceiptText(const QString& number, const QDate& date) {
    QString text = QStringLiteral("n. ") + (number.isEmpty() ? QStringLiteral("?") : number);
    if (date.isValid())
        text += QStringLiteral(" del ") + date.toString(QStringLiteral("dd/MM/yyyy"));
    return text;
}
} // namespace

QVector<AccountRow> AccountRows(const FamilyAccount& a) {
    QVector<AccountRow> rows;
    for (const AccountSection& s : a.sections) {
        QString heading = (s.child.isEmpty() ? QStringLiteral("(minore non indicato)") : s.child) +
                          QStringLiteral(" - scheda n. %1").arg(s.card);
        if (!s.fee.isEmpty())
            heading += QStringLiteral(" - quota mensile ") + s.fee;
        if (!s.problem.isEmpty())
            heading += QStringLiteral(" - ") + s.problem;
        rows << AccountRow{AccountRow::Child, {heading, QString(), QString(), QString(), QString()}};
        for (const MonthDue& m : s.account.months) {
            QStringList receipts;
            for (const MonthPart& p : m.parts)
                receipts << ReceiptText(p.number, p.date) + (p.credit ? QStringLiteral(" (credito)") : QString()) +
                                QStringLiteral(": ") + AmountText(p.amount);
            // A month a pending direct debit asks is not to pay again: the file says so instead.
            if (m.held > 0)
                receipts << QStringLiteral("in addebito SDD: %1 (%2)").arg(m.heldBy, AmountText(m.held));
            rows << AccountRow{AccountRow::Month,
                               {m.month.Name() + u' ' + QString::number(m.month.year), AmountText(m.due),
                                receipts.join(QStringLiteral("; ")), AmountText(m.paid), AmountText(m.ToAsk())}};
        }
        for (const Credit& c : s.account.credits)
            rows << AccountRow{AccountRow::Credit,
                               {QStringLiteral("Credito"), QString(),
                                ReceiptText(c.receipt.number, c.receipt.date) + QStringLiteral(": oltre il periodo"),
                                AmountText(c.amount), QString()}};
        for (const ChildReceipt& r : s.account.unreadable)
            rows << AccountRow{AccountRow::Unreadable,
                               {QStringLiteral("Non conteggiata"), QString(),
                                ReceiptText(r.number, r.date) + QStringLiteral(": ") + r.problem, QString(), QString()}};
        if (!s.account.months.isEmpty())
            rows << AccountRow{AccountRow::Subtotal,
                               {QStringLiteral("Totale ") + s.child, AmountText(s.account.TotalDue()), QString(),
                                AmountText(s.account.TotalPaid()), AmountText(s.account.TotalToAsk())}};
    }
    rows << AccountRow{AccountRow::Total,
                       {QStringLiteral("Totale famiglia"), AmountText(a.TotalDue()),
                        a.TotalCredit() > 0 ? QStringLiteral("credito: ") + AmountText(a.TotalCredit()) : QString(),
                        AmountText(a.TotalPaid()), AmountText(a.TotalToAsk())}};
    if (!a.reminders.isEmpty()) {
        rows << AccountRow{AccountRow::RemindersHeading,
                           {QStringLiteral("Solleciti inviati"), QString(), QString(), QString(), QString()}};
        for (const ReminderNote& n : a.reminders)
            rows << AccountRow{AccountRow::Reminder,
                               {n.date.toString(QStringLiteral("dd/MM/yyyy")), QString(),
                                n.months + QStringLiteral(" (") + n.how + u')', QString(), AmountText(n.amount)}};
    }
    return rows;
}

bool ReadFeeCards(const QString& programFolder, QVector<RegistryRecord>& cards, QString* error) {
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    const QString folder = FolderWithSlash(programFolder);
    if (!QFileInfo::exists(folder + QLatin1String(RegistryFileName)))
        return fail(QStringLiteral("L'anagrafica degli iscritti non esiste."));
    RegistryFile registry;
    if (!registry.OpenOrCreate(folder) || !registry.ReadAll(cards) || !registry.Close())
        return fail(QStringLiteral("Impossibile leggere l'anagrafica degli iscritti: %1").arg(registry.ErrorString()));
    return true;
}

bool LoadFamilyAccount(const QString& programFolder, qint64 card, const FeeMonth& upTo, FamilyAccount& out,
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
    if (card < 1 || card > cards.size())
        return fail(QStringLiteral("La scheda n. %1 non è nell'anagrafica.").arg(card));
    const int index = int(card - 1);
    const QVector<int> family = FamilyCards(cards, index);
    QSet<QString> children;
    for (int i : family)
        if (!TrimText(cards[i].Armi).isEmpty())
            children.insert(ChildKey(cards[i].Armi));
    const QVector<int> years = AccountYears(cards, family, upTo);
    ChildReceipts receipts;
    QString why;
    if (!receipts.Load(folder, years, &children, &why))
        return fail(QStringLiteral("Impossibile leggere l'archivio delle ricevute: %1").arg(why));
    DebitHolds holds;
    if (!payments::LoadDebitHolds(folder, holds, &why))
        return fail(QStringLiteral("Impossibile leggere il registro degli addebiti SDD: %1").arg(why));
    out = BuildFamilyAccount(cards, index, receipts, upTo, ReadFeeWords(folder), holds);
    if (!out.taxCode.isEmpty())
        out.reminders = ReadReminderNotes(folder, years, out.taxCode);
    return true;
}

} // namespace fees
