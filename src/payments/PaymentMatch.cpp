#include "payments/PaymentMatch.h"
#include "payments/Mandates.h"
#include "payments/SddFile.h"
#include "receipts/BatchDate.h"
#include "receipts/PaymentText.h"
#include "payments/SddRegister.h"
#include "receipts/Cancellation.h"
#include "storage/Dates.h"
#include "storage/ReceiptFile.h"
#include "storage/RecordFile.h"
#include "storage/RegistryFile.h"
#include "storage/SaveFile.h"
#include "storage/Text.h"
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <functional>

namespace payments {
namespace {
QString JournalPath(const QString& folder, int year) {
    return folder + QStringLiteral("Storico/%1.movimenti.log").arg(year);
}

int Key(const fees::FeeMonth& m) {
    return m.year * 100 + m.month;
}

// The months `amount` reaches among the owed ones still free: those of `first` (named by the payer)
// before the others, each group oldest first; `exact` when it pays them whole. A transfer skips the
// months a pending direct debit holds unless the payer names them (`skipHeld`).
QVector<fees::FeeMonth> Reach(const QVector<fees::MonthDue>& owed, const QHash<QString, qint64>& taken,
                              const QString& childKey, qint64 amount, bool* exact, int fromMonth = 0,
                              const QVector<fees::FeeMonth>& first = {}, bool skipHeld = false) {
    QVector<const fees::MonthDue*> order;
    for (const fees::MonthDue& m : owed)
        if (std::any_of(first.begin(), first.end(), [&](const fees::FeeMonth& f) { return Key(f) == Key(m.month); }))
            order << &m;
    for (const fees::MonthDue& m : owed)
        if (!order.contains(&m))
            order << &m;
    QVector<fees::FeeMonth> months;
    qint64 left = amount;
    for (const fees::MonthDue* m : order) {
        if (Key(m->month) < fromMonth)
            continue; // a collection pays the month it was made for
        const bool named = std::any_of(first.begin(), first.end(), [&](const fees::FeeMonth& f) { return Key(f) == Key(m->month); });
        if (skipHeld && m->held > 0 && !named)
            continue;
        const qint64 free = m->Owed() - taken.value(childKey + QString::number(Key(m->month)));
        if (free <= 0)
            continue;
        if (left <= 0)
            break;
        months << m->month;
        left -= free;
    }
    std::sort(months.begin(), months.end(), [](const fees::FeeMonth& a, const fees::FeeMonth& b) { return Key(a) < Key(b); });
    *exact = left == 0 && !months.isEmpty();
    return months;
}

// Whether `r` is the receipt a journal line noted: the payer's tax code and the date the line keeps, or, on
// lines written before those columns, the amount.
bool IsMovementReceipt(const ReceiptRecord& r, const QStringList& line) {
    if (line.size() >= 6)
        return TrimText(r.Data) == line[4] && UpperAZ(TrimText(r.CodFisc)) == UpperAZ(line[5]);
    if (line.size() < 4)
        return true;
    const qint64 cents = (line[3].toLongLong() + 50) / 100;
    return TrimText(r.Intero) == QStringLiteral("%1,%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}
} // namespace

QString MatchStateText(MatchState s) {
    switch (s) {
    case MatchState::Matched: return QStringLiteral("abbinato");
    case MatchState::ToCheck: return QStringLiteral("da verificare");
    case MatchState::Unmatched: return QStringLiteral("non abbinato");
    case MatchState::AlreadyRecorded: return QString::fromUtf8("già registrato");
    }
    return QString();
}

QVector<fees::FeeMonth> MonthsNamed(const QString& text, const QDate& paid) {
    static const char* abbreviations[] = {"gen", "feb", "mar", "apr", "mag", "giu",
                                          "lug", "ago", "set", "ott", "nov", "dic"};
    // Letters and digits folded (accents dropped, lower case); everything else separates words.
    QString folded;
    for (QChar c : text.normalized(QString::NormalizationForm_KD)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        folded += c.isLetterOrNumber() || c == u'/' || c == u'-' || c == u'.' ? c.toLower() : QChar(u' ');
    }
    const auto nearest = [&](int month) {
        const QDate ref = paid.isValid() ? paid : QDate(2000, 1, 1);
        fees::FeeMonth best{ref.year(), month};
        int bestDistance = 1000;
        for (int y = ref.year() - 1; y <= ref.year() + 1; ++y) {
            const int distance = std::abs((y * 12 + month) - (ref.year() * 12 + ref.month()));
            if (distance < bestDistance) { // the earlier year wins a tie: it is tried first
                bestDistance = distance;
                best = fees::FeeMonth{y, month};
            }
        }
        return best;
    };
    QVector<fees::FeeMonth> out;
    const auto add = [&](const fees::FeeMonth& m) {
        if (!std::any_of(out.begin(), out.end(), [&](const fees::FeeMonth& x) { return Key(x) == Key(m); }))
            out << m;
    };
    static const QRegularExpression word(QStringLiteral("[a-z]+"));
    static const QRegularExpression yearAfter(QStringLiteral("^[ ./-]*(\\d{4}|\\d{2})(?![\\d/])"));
    for (auto it = word.globalMatch(folded); it.hasNext();) {
        const auto w = it.next();
        const QString name = w.captured(0);
        int month = 0;
        for (int i = 1; i <= 12 && month == 0; ++i)
            if (name == fees::FeeMonth{2000, i}.Name() || name == QLatin1String(abbreviations[i - 1]) ||
                (i == 9 && name == QLatin1String("sett")))
                month = i;
        if (month == 0)
            continue;
        const auto y = yearAfter.match(folded.mid(w.capturedEnd()));
        if (y.hasMatch()) {
            const int year = y.captured(1).size() == 2 ? 2000 + y.captured(1).toInt() : y.captured(1).toInt();
            if (year >= 2000 && year <= 2099) {
                add(fees::FeeMonth{year, month});
                continue;
            }
        }
        add(nearest(month));
    }
    // Month and year in figures, not part of a full date ("07/12/2026" names no month here).
    static const QRegularExpression figures(QStringLiteral("(?<![\\d/.-])(\\d{1,2})[/.-](\\d{4})(?![\\d/.-]\\d|\\d)"));
    for (auto it = figures.globalMatch(folded); it.hasNext();) {
        const auto f = it.next();
        const int month = f.captured(1).toInt(), year = f.captured(2).toInt();
        if (month >= 1 && month <= 12 && year >= 2000 && year <= 2099)
            add(fees::FeeMonth{year, month});
    }
    std::sort(out.begin(), out.end(), [](const fees::FeeMonth& a, const fees::FeeMonth& b) { return Key(a) < Key(b); });
    return out;
}

QString MovementKey(const Movement& m) {
    if (!m.bankRef.isEmpty())
        return QStringLiteral("R:") + m.bankRef;
    const QByteArray text = MatchFold(m.remittance).toUtf8();
    return QStringLiteral("D:%1:%2:%3")
        .arg(m.value.toString(Qt::ISODate))
        .arg(m.amount)
        .arg(QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex().left(16)));
}

QVector<DueCard> LoadDueCards(const QString& programFolder, const fees::FeeMonth& upTo, QString* error) {
    QVector<DueCard> out;
    RegistryFile registry;
    QVector<RegistryRecord> cards;
    if (!QFileInfo::exists(programFolder + QLatin1String(RegistryFileName)))
        return out;
    if (!registry.OpenOrCreate(programFolder) || !registry.ReadAll(cards) || !registry.Close()) {
        if (error)
            *error = QStringLiteral("impossibile leggere l'archivio delle schede.");
        return out;
    }
    QSet<QString> children;
    for (const RegistryRecord& c : cards)
        if (!TrimText(c.Armi).isEmpty())
            children.insert(fees::ChildKey(c.Armi));
    fees::ChildReceipts receipts;
    if (!receipts.Load(programFolder, {upTo.year - 1, upTo.year}, &children, error))
        return {};
    fees::DebitHolds holds;
    if (!LoadDebitHolds(programFolder, holds, error))
        return {};
    const QStringList words = fees::ReadFeeWords(programFolder);
    for (int i = 0; i < cards.size(); ++i) {
        const RegistryRecord& c = cards[i];
        DueCard d;
        d.line.card = i + 1;
        d.line.record = c;
        d.line.parent = TrimText(c.Tiratore);
        d.line.taxCode = UpperAZ(TrimText(c.CodFisc));
        d.line.child = TrimText(c.Armi);
        d.line.fee = TrimText(c.Quota);
        d.line.method = TrimText(c.FinePor);
        d.line.cause = TrimText(c.Ente);
        d.line.birthPlace = TrimText(c.Porto);
        d.line.birthDate = TrimText(c.InizioPor);
        const qint64 fee = fees::FeeAmount(d.line.fee);
        if (!d.line.child.isEmpty() && !d.line.taxCode.isEmpty() && fee > 0) {
            const auto [from, to] = fees::AccountRange(c.InizioTes, c.FineTes, upTo);
            const fees::ChildAccount acc =
                fees::Allocate(receipts.Of(d.line.child), fees::CardTerms{d.line.child, fee, d.line.cause}, from, to,
                               words, holds.Of(d.line.child));
            for (const fees::MonthDue& m : acc.months)
                if (m.Owed() > 0)
                    d.owed << m;
        }
        out << d;
    }
    return out;
}

namespace {
bool Among(const QVector<fees::FeeMonth>& months, const fees::FeeMonth& m) {
    return std::any_of(months.begin(), months.end(), [&](const fees::FeeMonth& x) { return Key(x) == Key(m); });
}

// Which rule chose `months`: the direct debit's month, the months the text names, or the oldest owed.
QString MonthsRule(const QVector<fees::FeeMonth>& named, const QVector<fees::FeeMonth>& months, bool debit) {
    if (debit)
        return QStringLiteral("mese dell'addebito SDD");
    if (!named.isEmpty() && std::any_of(months.begin(), months.end(), [&](const fees::FeeMonth& m) { return Among(named, m); }))
        return QStringLiteral("mesi nella causale");
    if (!named.isEmpty())
        return QStringLiteral("mesi della causale non dovuti: i più vecchi da pagare");
    return QStringLiteral("mesi più vecchi da pagare");
}

QString MonthNames(const QVector<fees::FeeMonth>& months) {
    QStringList names;
    for (const fees::FeeMonth& m : months)
        names << m.Name() + u' ' + QString::number(m.year);
    return names.join(QStringLiteral(", "));
}
} // namespace

void AssignCard(Proposal& p, const Movement& m, const QVector<DueCard>& cards, int card) {
    p.card = card;
    bool exact = false;
    const QVector<fees::FeeMonth> named = MonthsNamed(m.remittance, m.value);
    p.months = Reach(cards[card].owed, {}, fees::ChildKey(cards[card].line.child), m.amount, &exact, 0, named, true);
    if (p.months.isEmpty() && !cards[card].owed.isEmpty())
        p.months << cards[card].owed.first().month;
    p.state = MatchState::Matched;
    p.how = QStringLiteral("scelto a mano");
    p.monthsBy = MonthsRule(named, p.months, false);
    p.note.clear();
    p.accepted = !p.months.isEmpty();
}

QVector<Proposal> MatchMovements(const QVector<Movement>& credits, const QVector<DueCard>& cards,
                                 const QSet<QString>& used) {
    // Indexes: card number, tax code, folded child and payer names.
    QHash<qint64, int> byNumber;
    QHash<QString, QVector<int>> byTaxCode, byPayer;
    QVector<QPair<QString, QString>> childNames; // "cognomenome", "nomecognome"
    for (int i = 0; i < cards.size(); ++i) {
        const fees::FeeLine& l = cards[i].line;
        byNumber.insert(l.card, i);
        if (!l.taxCode.isEmpty())
            byTaxCode[l.taxCode] << i;
        if (!l.parent.isEmpty())
            byPayer[MatchFold(l.parent)] << i;
        const QStringList words = l.child.split(u' ', Qt::SkipEmptyParts);
        QStringList reversed = words;
        std::reverse(reversed.begin(), reversed.end());
        childNames << qMakePair(MatchFold(words.join(QString())), MatchFold(reversed.join(QString())));
    }
    static const QRegularExpression taxCode(QStringLiteral("[A-Z]{6}[0-9LMNPQRSTUV]{2}[A-Z][0-9LMNPQRSTUV]{2}[A-Z]"
                                                           "[0-9LMNPQRSTUV]{3}[A-Z]"));
    QHash<QString, qint64> taken; // child key + yyyymm -> what earlier movements of this statement took
    QSet<QString> seen;
    QVector<Proposal> out;
    out.reserve(credits.size());
    for (const Movement& m : credits) {
        Proposal p;
        const QString key = MovementKey(m);
        if (used.contains(key) || seen.contains(key)) {
            p.state = MatchState::AlreadyRecorded;
            p.note = used.contains(key) ? QStringLiteral("movimento già trasformato in ricevuta")
                                        : QStringLiteral("movimento ripetuto nell'estratto conto");
            out << p;
            continue;
        }
        seen.insert(key);
        QVector<int> candidates;
        bool strong = true;
        int fromMonth = 0;
        if (const auto ref = ParseEndToEndId(m.endToEnd); ref && byNumber.contains(ref->card)) {
            candidates << byNumber.value(ref->card);
            p.how = QStringLiteral("addebito SDD");
            fromMonth = ref->month.year * 100 + ref->month.month;
        }
        const QString upper = UpperAZ(m.remittance);
        if (candidates.isEmpty()) {
            auto it = taxCode.globalMatch(upper.simplified().remove(u' '));
            while (it.hasNext() && candidates.isEmpty()) {
                const QString code = it.next().captured(0);
                candidates = byTaxCode.value(code);
            }
            if (!candidates.isEmpty())
                p.how = QStringLiteral("codice fiscale");
        }
        const QString text = MatchFold(m.remittance);
        if (candidates.size() != 1) {
            // The child's name narrows siblings down, or finds the card alone.
            QVector<int> named;
            const QVector<int> pool = candidates;
            for (int i = 0; i < cards.size(); ++i) {
                if (!pool.isEmpty() && !pool.contains(i))
                    continue;
                const auto& [a, b] = childNames[i];
                if (a.size() >= 4 && (text.contains(a) || text.contains(b)))
                    named << i;
            }
            if (!named.isEmpty()) {
                candidates = named;
                if (pool.isEmpty())
                    p.how = QStringLiteral("nome del minore");
            }
        }
        if (candidates.isEmpty()) {
            const QString payer = MatchFold(m.payer);
            candidates = byPayer.value(payer);
            if (candidates.isEmpty())
                for (auto it = byPayer.constBegin(); it != byPayer.constEnd() && candidates.isEmpty(); ++it)
                    if (it.key().size() >= 6 && text.contains(it.key()))
                        candidates = it.value();
            if (!candidates.isEmpty()) {
                p.how = QStringLiteral("nome del pagatore");
                strong = false;
            }
        }
        if (candidates.isEmpty()) {
            p.note = QStringLiteral("nessuna scheda riconosciuta nel movimento");
            out << p;
            continue;
        }
        // A transfer pays the months its text names first; a collection the month it was made for.
        const QVector<fees::FeeMonth> named = fromMonth > 0 ? QVector<fees::FeeMonth>() : MonthsNamed(m.remittance, m.value);
        const bool transfer = fromMonth == 0;
        // Among siblings, the one whose owed months the amount pays exactly.
        int chosen = candidates.first();
        bool exact = false;
        QVector<fees::FeeMonth> months;
        for (int c : candidates) {
            bool e = false;
            QVector<fees::FeeMonth> reach = Reach(cards[c].owed, taken, fees::ChildKey(cards[c].line.child), m.amount,
                                                  &e, fromMonth, named, transfer);
            if (reach.isEmpty() && fromMonth > 0) // the month collected is paid already: the oldest owed
                reach = Reach(cards[c].owed, taken, fees::ChildKey(cards[c].line.child), m.amount, &e);
            if (e || (months.isEmpty() && !reach.isEmpty()) || c == candidates.first()) {
                if (!exact) {
                    chosen = c;
                    months = reach;
                    exact = e;
                }
            }
        }
        p.card = chosen;
        p.months = months;
        p.monthsBy = MonthsRule(named, months, !transfer);
        // A named month that a pending direct debit asks: the bank may collect it too.
        QStringList heldFiles;
        for (const fees::MonthDue& d : cards[chosen].owed)
            if (transfer && d.held > 0 && Among(months, d.month) && !heldFiles.contains(d.heldBy))
                heldFiles << d.heldBy;
        const bool namedOwed = std::any_of(months.begin(), months.end(), [&](const fees::FeeMonth& x) { return Among(named, x); });
        if (!heldFiles.isEmpty()) {
            p.state = MatchState::ToCheck;
            p.note = QStringLiteral("il mese è già in addebito SDD (%1): verificare che non venga pagato due volte")
                         .arg(heldFiles.join(QStringLiteral(", ")));
        } else if (!named.isEmpty() && !namedOwed && !months.isEmpty()) {
            p.state = MatchState::ToCheck;
            p.note = QStringLiteral("la causale indica %1, che non risulta da pagare").arg(MonthNames(named));
        } else if (months.isEmpty()) {
            p.state = MatchState::ToCheck;
            p.note = QStringLiteral("la scheda non ha mesi da pagare");
        } else if (!exact) {
            p.state = MatchState::ToCheck;
            p.note = QStringLiteral("l'importo non corrisponde a mesi interi");
        } else if (candidates.size() > 1 && p.how != QStringLiteral("nome del minore")) {
            p.state = MatchState::ToCheck;
            p.note = QStringLiteral("più minori con lo stesso pagatore");
        } else {
            p.state = strong || exact ? MatchState::Matched : MatchState::ToCheck;
        }
        p.accepted = p.state == MatchState::Matched;
        // What this movement pays is no longer free for the next ones.
        qint64 left = m.amount;
        const QString child = fees::ChildKey(cards[chosen].line.child);
        // In the order Reach took them: the named months, then the others.
        QVector<fees::MonthDue> inOrder;
        for (const fees::MonthDue& d : cards[chosen].owed)
            if (Among(named, d.month))
                inOrder << d;
        for (const fees::MonthDue& d : cards[chosen].owed)
            if (!Among(named, d.month))
                inOrder << d;
        for (const fees::MonthDue& d : inOrder) {
            if (!Among(p.months, d.month) || left <= 0)
                continue;
            const QString k = child + QString::number(d.month.year * 100 + d.month.month);
            const qint64 part = qMin(left, d.Owed() - taken.value(k));
            taken[k] += part;
            left -= part;
        }
        out << p;
    }
    return out;
}

namespace {
// The keys of the journal `lines` whose receipt is still there, with its number, not cancelled and its own
// (after a restore, or a batch whose receipts a crash kept from the file, a later receipt takes the same
// place and number); `read` gives the receipt at a 1-based position.
void CollectUsed(const QByteArray& journal, const std::function<bool(qint64, ReceiptRecord&)>& read,
                 QSet<QString>& used) {
    for (const QByteArray& raw : journal.split('\n')) {
        const QStringList parts = QString::fromUtf8(raw).trimmed().split(u'\t');
        if (parts.size() < 3)
            continue; // a torn last line
        ReceiptRecord r;
        if (!read(parts[1].toLongLong(), r) || TrimText(r.NumRic) != parts[2] || IsCancelled(r) ||
            !IsMovementReceipt(r, parts))
            continue;
        used.insert(parts[0]);
    }
}

QByteArray ReadJournal(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The movements used in the journal of `year`, looked up in <year>.ric opened apart.
void CollectUsedOfYear(const QString& programFolder, int year, QSet<QString>& used) {
    const QByteArray journal = ReadJournal(JournalPath(programFolder, year));
    const QString path = programFolder + QStringLiteral("%1.ric").arg(year);
    if (journal.isEmpty() || !QFileInfo::exists(path))
        return; // no movement used, or receipts that are gone
    ReceiptFile receipts;
    if (receipts.OpenOrCreate(path))
        CollectUsed(journal, [&](qint64 p, ReceiptRecord& r) { return receipts.ReadRecord(p - 1, r); }, used);
    receipts.Close();
}
} // namespace

QSet<QString> UsedMovements(const QString& programFolder, int year) {
    QSet<QString> used;
    for (int y : {year - 1, year})
        CollectUsedOfYear(programFolder, y, used);
    return used;
}

QString PaymentReference(const Movement& m) {
    if (!TrimText(m.bankRef).isEmpty())
        return TrimText(m.bankRef);
    // Transfers whose payer gave no id carry this placeholder in place of the end-to-end id.
    const QString e2e = TrimText(m.endToEnd);
    return e2e.compare(QLatin1String("NOTPROVIDED"), Qt::CaseInsensitive) == 0 ? QString() : e2e;
}

ReceiptRecord PaymentReceipt(const DueCard& card, const Movement& m, const QVector<fees::FeeMonth>& months,
                             const QStringList& receiver, qint64 number, const QDate& issued,
                             const QString& mandate) {
    fees::FeeLine line = card.line;
    const qint64 cents = (m.amount + 50) / 100;
    line.fee = QStringLiteral("%1,%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
    line.paid = 0;
    // The payment method names the day the money came and the bank's reference, so the receipt shows
    // which payment it is for; the receipt itself is dated the day it is issued.
    PaymentFacts paid;
    paid.method = m.directDebit ? QStringLiteral("Addebito SDD") : QStringLiteral("Bonifico bancario");
    paid.date = m.value.isValid() ? m.value : m.booked;
    paid.mandate = m.directDebit ? mandate : QString();
    paid.reference = m.directDebit && !TrimText(m.endToEnd).isEmpty() ? TrimText(m.endToEnd) : PaymentReference(m);
    line.method = PaymentText(paid);
    line.record.FinePor = line.method; // the receipt's payment method is the card's, taken from the movement
    fees::IssueRequest req;
    req.month = months.value(0, fees::FeeMonth{m.value.year(), m.value.month()});
    req.issueDate = issued;
    req.receiver = receiver;
    const fees::FeeMonth last = months.isEmpty() ? req.month : months.last();
    if (months.size() > 1 && line.cause.isEmpty())
        req.cause = QStringLiteral("Rette da %1 %2 a %3 %4").arg(req.month.Name()).arg(req.month.year).arg(last.Name()).arg(last.year);
    ReceiptRecord r = fees::FeeReceipt(line, req, number);
    r.Al = FormatDate(last.Last());
    return r;
}

PaymentIssue IssuePayments(const QString& programFolder, const QDate& issued, const QVector<Movement>& credits,
                           const QVector<Proposal>& proposals, const QVector<DueCard>& cards,
                           const QStringList& receiver, qint64 numberingStart) {
    PaymentIssue res;
    const int year = issued.year();
    // The mandate ids for the receipts of direct debits; a file that cannot be read leaves them out.
    Mandates mandates;
    if (!mandates.Load(programFolder + QLatin1String(MandatesFileName)))
        mandates = Mandates();
    const QString yearPath = programFolder + QStringLiteral("%1.ric").arg(year);
    const QString journal = JournalPath(programFolder, year);
    if (!QDir().mkpath(programFolder + QStringLiteral("Storico"))) {
        res.error = QStringLiteral("impossibile creare la cartella Storico");
        return res;
    }
    ReceiptFile file;
    if (!file.OpenOrCreate(yearPath)) {
        res.error = file.ErrorString();
        return res;
    }
    RecordFile& raw = file.Raw();
    qint64 countBefore = 0;
    const bool written = raw.AppendBatchRaw(
        [&](qint64 count, QByteArray& recs) {
            countBefore = count;
            res.issued.clear();
            std::optional<LastReceipt> last;
            if (!FindLastDatedReceipt(raw, count, &last))
                return false;
            res.dateProblem = BatchDateProblem(issued, year, last);
            if (!res.dateProblem.isEmpty())
                return false;
            // The movements used as the journals say now, under the lock: another workstation may have
            // recorded the same statement since this one was matched. This year's receipts are read through
            // the locked file itself, since closing a second descriptor of it would let the lock go.
            QByteArray all = ReadJournal(journal);
            QSet<QString> used;
            CollectUsedOfYear(programFolder, year - 1, used);
            CollectUsed(
                all,
                [&](qint64 p, ReceiptRecord& r) {
                    QByteArray bytes;
                    if (p < 1 || p > count || !raw.ReadRaw(p - 1, bytes))
                        return false;
                    r = ReceiptRecord::Decode(bytes.constData());
                    return true;
                },
                used);
            QByteArray buf, notes;
            for (int i = 0; i < proposals.size(); ++i) {
                const Proposal& p = proposals[i];
                if (!p.accepted || p.card < 0 || p.state == MatchState::AlreadyRecorded || p.months.isEmpty() ||
                    used.contains(MovementKey(credits[i])))
                    continue;
                const qint64 number = numberingStart + count + res.issued.size();
                const std::optional<Mandate> mandate = mandates.Of(UpperAZ(TrimText(cards[p.card].line.taxCode)));
                const ReceiptRecord receipt = PaymentReceipt(cards[p.card], credits[i], p.months, receiver, number,
                                                             issued, mandate ? mandate->id : QString());
                receipt.Encode(buf);
                recs += buf;
                // Key, position, number, amount, and what tells the receipt from one that later takes its place.
                notes += QStringList{MovementKey(credits[i]), QString::number(count + res.issued.size() + 1),
                                     QString::number(number), QString::number(credits[i].amount),
                                     TrimText(receipt.Data), UpperAZ(TrimText(receipt.CodFisc))}
                             .join(u'\t')
                             .append(u'\n')
                             .toUtf8();
                res.issued << i;
            }
            if (res.issued.isEmpty())
                return false;
            // The journal first, whole, under the same lock: an entry whose receipt never got written
            // does not count, since its receipt is looked up before a movement is called used.
            if (!all.isEmpty() && !all.endsWith('\n'))
                all += '\n';
            QString error;
            if (!SaveWholeFile(journal, all + notes, &error)) {
                raw.SetError(error);
                return false;
            }
            return true;
        },
        &res.firstPosition);
    if (!written) {
        res.error = !res.dateProblem.isEmpty() ? res.dateProblem
                    : res.issued.isEmpty()      ? QStringLiteral("nessuna ricevuta da emettere")
                                                : file.ErrorString();
        res.issued.clear();
        file.Close();
        return res;
    }
    file.Close();
    res.firstNumber = numberingStart + countBefore;
    res.ok = true;
    return res;
}

} // namespace payments
