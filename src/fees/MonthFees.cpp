#include "fees/MonthFees.h"
#include "fees/FeeLedger.h"
#include "payments/SddRegister.h"
#include "receipts/Cancellation.h"
#include "receipts/AmountWords.h"
#include "receipts/ReceiptAmount.h"
#include "storage/Dates.h"
#include "storage/Text.h"
#include "summary/Takings.h"
#include "receipts/CardPayer.h"
#include "validators/PayerCode.h"
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace fees {

namespace {

bool TaxCodeFails(const QString& code) {
    const PayerCode read = ReadPayerCode(code);
    return read.kind != PayerCodeKind::None && !read.valid;
}

} // namespace

int MonthNumber(const QString& name) {
    const QString key = LowerAZ(TrimText(name));
    const QStringList& names = ItalianMonthNames();
    for (int i = 0; i < names.size(); ++i)
        if (LowerAZ(names[i]) == key)
            return i + 1;
    return 0;
}

QString FeeMonth::Name() const {
    return month >= 1 && month <= 12 ? LowerAZ(ItalianMonthName(month)) : QString();
}

QString DefaultCause(const FeeMonth& m) {
    return QStringLiteral("Retta %1 %2").arg(m.Name()).arg(m.year);
}

Coverage EnrolmentCoverage(const QString& start, const QString& end, const FeeMonth& m) {
    const QString s = TrimText(start), e = TrimText(end);
    const QDate from = s.isEmpty() ? QDate() : ParseDate(s);
    const QDate to = e.isEmpty() ? QDate() : ParseDate(e);
    if (!s.isEmpty() && !from.isValid())
        return Coverage::UnreadableStart;
    if (!e.isEmpty() && !to.isValid())
        return Coverage::UnreadableEnd;
    if (from.isValid() && from > m.Last())
        return Coverage::Outside;
    if (to.isValid() && to < m.First())
        return Coverage::Outside;
    return Coverage::Covered;
}

bool PeriodOverlaps(const QString& from, const QString& to, const FeeMonth& m) {
    const QDate a = ParseDate(TrimText(from)), b = ParseDate(TrimText(to));
    return a.isValid() && b.isValid() && a <= m.Last() && b >= m.First();
}

QString ChildKey(const QString& name) {
    return LowerAZ(TrimText(name));
}

std::optional<std::pair<QString, QString>> FeeEuroCents(const QString& fee) {
    const std::optional<qint64> v = ParseAmountText(fee);
    if (!v || *v <= 0)
        return std::nullopt;
    const qint64 cents = (*v + 50) / 100; // ten-thousandths to cents, half up
    const qint64 euro = cents / 100;
    if (cents == 0 || euro > 99999999)
        return std::nullopt;
    return std::make_pair(QString::number(euro), QString::number(cents % 100).rightJustified(2, u'0'));
}

bool Issuable(const FeeLine& line) {
    return line.state == LineState::ToIssue || line.state == LineState::Partial;
}

qint64 Owed(const FeeLine& line) {
    return qMax<qint64>(0, line.due - line.paid);
}

qint64 FeeAmount(const QString& fee) {
    const auto euroCents = FeeEuroCents(fee);
    return euroCents ? (euroCents->first.toLongLong() * 100 + euroCents->second.toLongLong()) * 100 : 0;
}

void Assess(FeeLine& line) {
    line.due = FeeAmount(line.fee);
    line.taxCodeWarning = TaxCodeFails(line.taxCode);
    MonthDue month;
    month.due = line.due;
    month.paid = line.paid;
    for (const QString& n : line.paidNumbers)
        month.parts << MonthPart{0, 0, n, QDate(), 0, line.creditNumbers.contains(n)};
    if (line.due > 0 && line.paid >= line.due) {
        line.state = LineState::Paid;
        line.reason.clear();
        line.ticked = false;
        line.stateText = MonthStateText(month);
        return;
    }
    QString reason;
    if (line.parent.isEmpty())
        reason = QStringLiteral("genitore mancante");
    else if (line.taxCode.isEmpty())
        reason = QStringLiteral("codice fiscale mancante");
    else if (line.child.isEmpty())
        reason = QStringLiteral("minore mancante");
    else if (!ParseAmountText(line.fee))
        reason = QStringLiteral("quota non leggibile");
    else if (!FeeEuroCents(line.fee))
        reason = QStringLiteral("quota non valida");
    line.reason = line.dateProblem.isEmpty() ? reason : line.dateProblem;
    if (line.held > 0 && line.due > 0) {
        // The bank is asked for it already: nothing to issue or debit until the file is settled.
        line.state = LineState::InDebit;
        line.ticked = false;
        month.held = line.held;
        month.heldBy = line.heldBy;
        line.stateText = MonthStateText(month);
        return;
    }
    if (!line.reason.isEmpty())
        line.state = LineState::Blocked;
    else
        line.state = line.paid > 0 ? LineState::Partial : LineState::ToIssue;
    if (line.state == LineState::Blocked)
        line.ticked = false;
    line.stateText = line.due > 0 ? MonthStateText(month) : QStringLiteral("Da emettere");
}

void HoldLines(QVector<FeeLine>& lines, const DebitHolds& holds, const FeeMonth& m) {
    for (FeeLine& line : lines) {
        MonthDue month;
        month.month = m;
        month.due = FeeAmount(line.fee);
        month.paid = line.paid;
        HoldMonth(month, line.child, holds.Of(line.child));
        const bool wasIssuable = Issuable(line);
        line.held = month.held;
        line.heldBy = month.heldBy;
        Assess(line);
        if (!wasIssuable && Issuable(line))
            line.ticked = true; // a month freed again comes ticked, as the list offers it
    }
}

MonthList BuildMonthList(const QString& programFolder, const QString& yearPath, const FeeMonth& m) {
    MonthList out;
    const QString folder = FolderWithSlash(programFolder);
    if (!QFileInfo::exists(folder + QLatin1String(RegistryFileName))) {
        out.outcome = ListOutcome::RegistryMissing;
        return out;
    }
    RegistryFile registry;
    QVector<RegistryRecord> cards;
    if (!registry.OpenOrCreate(folder) || !registry.ReadAll(cards) || !registry.Close()) {
        out.outcome = ListOutcome::RegistryUnreadable;
        return out;
    }
    out.cards = cards.size();
    for (qint64 i = 0; i < cards.size(); ++i) {
        const RegistryRecord& c = cards[int(i)];
        const Coverage cover = EnrolmentCoverage(c.InizioTes, c.FineTes, m);
        if (cover == Coverage::Outside)
            continue;
        FeeLine line;
        line.card = i + 1;
        line.record = c;
        line.parent = TrimText(c.Tiratore);
        line.taxCode = TrimText(c.CodFisc);
        line.child = TrimText(c.Armi);
        line.fee = TrimText(c.Quota);
        line.method = TrimText(c.FinePor);
        line.cause = TrimText(c.Ente);
        line.birthPlace = TrimText(c.Porto);
        line.birthDate = TrimText(c.InizioPor);
        line.phone = TrimText(c.Cel).isEmpty() ? TrimText(c.Tel) : TrimText(c.Cel);
        if (cover == Coverage::UnreadableStart)
            line.dateProblem = QStringLiteral("data iscrizione non leggibile (%1)").arg(TrimText(c.InizioTes));
        else if (cover == Coverage::UnreadableEnd)
            line.dateProblem = QStringLiteral("data scadenza non leggibile (%1)").arg(TrimText(c.FineTes));
        Assess(line);
        line.ticked = Issuable(line);
        out.lines << line;
    }
    std::stable_sort(out.lines.begin(), out.lines.end(), [](const FeeLine& a, const FeeLine& b) {
        const int byParent = QString::compare(LowerAZ(a.parent), LowerAZ(b.parent));
        return byParent != 0 ? byParent < 0 : LowerAZ(a.child) < LowerAZ(b.child);
    });

    // The month rule over the receipts stored beside the year's file: the year itself, the year before
    // (a fee paid in advance in December) and the year after (a fee paid late in January).
    QSet<QString> children;
    for (const FeeLine& l : out.lines)
        if (!l.child.isEmpty())
            children.insert(ChildKey(l.child));
    ChildReceipts receipts;
    const QString yearFolder = QFileInfo(yearPath).absolutePath();
    if (!receipts.Load(yearFolder, {m.year - 1, m.year, m.year + 1}, &children)) {
        out.outcome = ListOutcome::YearUnreadable;
        return out;
    }
    out.receipts = receipts.ScannedIn(m.year);
    DebitHolds holds;
    if (!payments::LoadDebitHolds(folder, holds, &out.error)) {
        out.outcome = ListOutcome::DebitsUnreadable;
        return out;
    }
    const QStringList words = ReadFeeWords(programFolder);
    for (FeeLine& line : out.lines) {
        if (line.child.isEmpty())
            continue;
        const MonthDue month =
            Allocate(receipts.Of(line.child), CardTerms{line.child, FeeAmount(line.fee), line.cause}, m, m, words,
                     holds.Of(line.child))
                .months.value(0);
        line.paid = month.paid;
        line.held = month.held;
        line.heldBy = month.heldBy;
        for (const MonthPart& p : month.parts) {
            if (p.credit && !line.creditNumbers.contains(p.number))
                line.creditNumbers << p.number;
            if (line.paidNumber.isEmpty()) {
                line.paidNumber = p.number;
                line.paidPosition = p.fileYear == m.year ? p.position : 0;
            }
            line.paidNumbers << p.number;
            if (p.fileYear == m.year)
                line.paidPositions << p.position;
        }
        Assess(line);
        line.ticked = Issuable(line);
    }
    return out;
}

ReceiptRecord FeeReceipt(const FeeLine& line, const IssueRequest& req, qint64 number) {
    ReceiptRecord r;
    r.NumRic = QString::number(number);
    r.Data = FormatDate(req.issueDate);
    // The rest of a month paid in part, else the whole fee.
    const qint64 owed = line.paid > 0 ? Owed(line) : 0;
    const auto euroCents = owed > 0 ? std::optional<std::pair<QString, QString>>(std::make_pair(
                                          QString::number(owed / 10000),
                                          QString::number((owed / 100) % 100).rightJustified(2, u'0')))
                                    : FeeEuroCents(line.fee);
    const ReceiptAmount a =
        euroCents ? AmountFromBoxes(euroCents->first, euroCents->second) : AmountFromBoxes(QString(), QString());
    r.Importo = a.Importo;
    r.Cents = a.Cents;
    r.ImpLettere = a.ImpLettere;
    r.CentLettere = a.CentLettere;
    r.Intero = a.Intero;
    QString* receiver[] = {&r.Ricevente01, &r.Ricevente02, &r.Ricevente03, &r.Ricevente04};
    for (int i = 0; i < 4; ++i)
        *receiver[i] = TrimText(req.receiver.value(i));
    // The card's fields go where the payer import puts them; the cause by the month's rule.
    CopyCardPayer(line.record, r);
    const QString common = TrimText(req.cause);
    r.Sport = !common.isEmpty() ? common : !line.cause.isEmpty() ? line.cause : DefaultCause(req.month);
    r.Dal = FormatDate(req.month.First());
    r.Al = FormatDate(req.month.Last());
    return r;
}

IssueResult IssueFees(const QString& yearPath, const QVector<FeeLine>& lines, const QVector<int>& which,
                      const IssueRequest& req) {
    IssueResult res;
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
            res.paidMeanwhile.clear();
            res.heldMeanwhile.clear();
            res.heldBy.clear();
            // Receipts stored since the list was read, under the same lock as the batch: a month
            // another workstation has just issued is not issued twice.
            const QStringList words = req.feeWords.isEmpty() ? DefaultFeeWords() : req.feeWords;
            QVector<ChildReceipt> storedMeanwhile;
            QByteArray rec;
            for (qint64 i = qMax<qint64>(0, req.listedCount); i < count; ++i) {
                if (!raw.ReadRaw(i, rec))
                    return false;
                const ReceiptRecord r = ReceiptRecord::Decode(rec.constData());
                if (!IsCancelled(r))
                    storedMeanwhile << ReceiptTerms(r, req.month.year, i + 1);
            }
            const auto paidNow = [&](const FeeLine& line) {
                for (const ChildReceipt& r : storedMeanwhile) {
                    // Any fee receipt of the child for the month counts, even one the rule cannot
                    // read: the office looks at it before issuing the month again.
                    if (ChildKey(r.child) != ChildKey(line.child) || !IsFeeCause(r.cause, line.cause, words))
                        continue;
                    const QDate from = r.from.isValid() ? r.from : r.date;
                    const QDate to = r.from.isValid() ? r.to : r.date;
                    if (from.isValid() && to.isValid() && from <= req.month.Last() && to >= req.month.First())
                        return true;
                }
                return false;
            };
            // A month put in a direct-debit file meanwhile is asked of the bank already.
            DebitHolds holds;
            QString registerError;
            if (!payments::LoadDebitHolds(QFileInfo(yearPath).absolutePath(), holds, &registerError)) {
                raw.SetError(registerError);
                return false;
            }
            QByteArray buf;
            for (int idx : which) {
                const FeeLine& line = lines.at(idx);
                if (!Issuable(line))
                    continue;
                if (paidNow(line)) {
                    res.paidMeanwhile << idx;
                    continue;
                }
                MonthDue month;
                month.month = req.month;
                month.due = line.due;
                month.paid = line.paid;
                HoldMonth(month, line.child, holds.Of(line.child));
                if (month.held > 0) {
                    res.heldMeanwhile << idx;
                    res.heldBy << month.heldBy;
                    continue;
                }
                FeeReceipt(line, req, req.numberingStart + count + res.issued.size()).Encode(buf);
                if (recs.isEmpty())
                    recs.reserve(int(which.size()) * ReceiptRecord::Size);
                recs += buf;
                res.issued << idx;
            }
            return true;
        },
        &res.firstPosition);
    if (!written) {
        res.error = file.ErrorString();
        res.issued.clear();
        file.Close();
        return res;
    }
    // The batch is on the disk once flushed; a close that reports an error afterwards changes nothing.
    file.Close();
    res.firstNumber = req.numberingStart + countBefore;
    res.ok = true;
    return res;
}

void ApplyIssued(QVector<FeeLine>& lines, const IssueResult& r) {
    for (FeeLine& l : lines)
        if (l.state == LineState::Paid)
            l.ticked = false;
    for (int k = 0; k < r.issued.size(); ++k) {
        FeeLine& l = lines[r.issued[k]];
        l.paid = qMax(l.paid, l.due);
        l.paidNumbers << QString::number(r.firstNumber + k);
        l.paidPositions << r.firstPosition + k;
        if (l.paidNumber.isEmpty()) {
            l.paidNumber = l.paidNumbers.last();
            l.paidPosition = l.paidPositions.last();
        }
        Assess(l);
        l.ticked = true;
    }
    for (int k = 0; k < r.heldMeanwhile.size(); ++k) {
        FeeLine& l = lines[r.heldMeanwhile[k]];
        l.held = Owed(l);
        l.heldBy = r.heldBy.value(k);
        Assess(l);
    }
    for (int idx : r.paidMeanwhile) {
        FeeLine& l = lines[idx];
        l.state = LineState::Paid;
        l.ticked = false;
        l.paidNumber = QStringLiteral("(altra postazione)");
        l.stateText = QStringLiteral("Già pagata: ricevuta n. (altra postazione)");
    }
}

QVector<int> UnpaidLines(const QVector<FeeLine>& lines) {
    QVector<int> which;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].state != LineState::Paid && lines[i].state != LineState::InDebit)
            which << i;
    return which;
}

namespace {
QString Column(const QString& text, int width) {
    return TrimText(text).leftJustified(width, u' ', true);
}
} // namespace

QString OwedText(const FeeLine& line) {
    return line.paid > 0 && line.due > 0 ? AmountText(Owed(line)) : TrimText(line.fee);
}

QString UnpaidListLine(const FeeLine& line) {
    return Column(line.parent, 28) + QStringLiteral("  ") + Column(line.child, 28) + QStringLiteral("  ") +
           Column(line.taxCode, 16) + QStringLiteral("  ") + Column(line.phone, 20) + QStringLiteral("  € ") +
           OwedText(line);
}

QString UnpaidListHeader() {
    return Column(QStringLiteral("Genitore"), 28) + QStringLiteral("  ") + Column(QStringLiteral("Minore"), 28) +
           QStringLiteral("  ") + Column(QStringLiteral("Codice fiscale"), 16) + QStringLiteral("  ") +
           Column(QStringLiteral("Telefono"), 20) + QStringLiteral("  Quota");
}

qint64 OwedTotal(const QVector<FeeLine>& lines, const QVector<int>& which) {
    qint64 total = 0;
    for (int i : which) {
        const FeeLine& l = lines.at(i);
        if (l.paid > 0) {
            total += Owed(l);
            continue;
        }
        const std::optional<qint64> v = ParseAmountText(l.fee);
        if (v && *v > 0)
            total += *v;
    }
    return total;
}

} // namespace fees
