#include "fees/MonthFees.h"
#include "receipts/AmountWords.h"
#include "receipts/ReceiptAmount.h"
#include "storage/Dates.h"
#include "storage/Text.h"
#include "summary/Takings.h"
#include "validators/TaxCode.h"
#include "validators/VatNumber.h"
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace fees {

namespace {

int DateKey(const QDate& d) {
    return d.year() * 10000 + d.month() * 100 + d.day();
}

// Whether a stored receipt (its bytes) pays month `m` for a child listed in `children`: its period
// overlaps the month. The child's key goes to `key`.
struct ReceiptMatcher {
    explicit ReceiptMatcher(const FeeMonth& m) : first(DateKey(m.First())), last(DateKey(m.Last())) {
        const QVector<FieldSpec>& layout = ReceiptRecord::Layout();
        dal = layout[ReceiptField::Dal];
        al = layout[ReceiptField::Al];
        child = layout[ReceiptField::Praticante];
        number = layout[ReceiptField::NumRic];
    }
    bool Overlaps(const char* rec) const {
        const int from = StoredDateKey(rec + dal.offset, dal.width);
        const int to = StoredDateKey(rec + al.offset, al.width);
        return from >= 0 && to >= 0 && from <= last && to >= first;
    }
    QString ChildOf(const char* rec) {
        DecodeFieldInto(rec + child.offset, child.width, text);
        return LowerAZ(text);
    }
    QString NumberOf(const char* rec) const { return DecodeField(rec + number.offset, number.width); }

    int first, last;
    FieldSpec dal{}, al{}, child{}, number{};
    QString text;
};

bool TaxCodeFails(const QString& code) {
    if (code.isEmpty())
        return false;
    const bool digits = std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    // The receipt editor's check button takes an all-digit code for a VAT number.
    return digits ? !IsValidVatNumber(code) : CheckTaxCode(code) != TaxCodeResult::Valid;
}

} // namespace

QStringList MonthNames() {
    return {QStringLiteral("Gennaio"), QStringLiteral("Febbraio"), QStringLiteral("Marzo"),
            QStringLiteral("Aprile"),  QStringLiteral("Maggio"),   QStringLiteral("Giugno"),
            QStringLiteral("Luglio"),  QStringLiteral("Agosto"),   QStringLiteral("Settembre"),
            QStringLiteral("Ottobre"), QStringLiteral("Novembre"), QStringLiteral("Dicembre")};
}

int MonthNumber(const QString& name) {
    const QString key = LowerAZ(TrimText(name));
    const QStringList names = MonthNames();
    for (int i = 0; i < names.size(); ++i)
        if (LowerAZ(names[i]) == key)
            return i + 1;
    return 0;
}

QString FeeMonth::Name() const {
    return month >= 1 && month <= 12 ? LowerAZ(MonthNames()[month - 1]) : QString();
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

void Assess(FeeLine& line) {
    if (line.state == LineState::Paid)
        return;
    line.taxCodeWarning = TaxCodeFails(line.taxCode);
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
    line.state = line.reason.isEmpty() ? LineState::ToIssue : LineState::Blocked;
    if (line.state == LineState::Blocked)
        line.ticked = false;
}

MonthList BuildMonthList(const QString& programFolder, const QString& yearPath, const FeeMonth& m) {
    MonthList out;
    QString folder = programFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
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
        line.ticked = line.state == LineState::ToIssue;
        out.lines << line;
    }
    std::stable_sort(out.lines.begin(), out.lines.end(), [](const FeeLine& a, const FeeLine& b) {
        const int byParent = QString::compare(LowerAZ(a.parent), LowerAZ(b.parent));
        return byParent != 0 ? byParent < 0 : LowerAZ(a.child) < LowerAZ(b.child);
    });

    if (!QFileInfo::exists(yearPath))
        return out; // no receipt yet; the file is created by the first issue
    QHash<QString, QVector<int>> byChild;
    for (int i = 0; i < out.lines.size(); ++i)
        if (!out.lines[i].child.isEmpty())
            byChild[ChildKey(out.lines[i].child)] << i;
    ReceiptFile year;
    if (!year.OpenOrCreate(yearPath)) {
        out.outcome = ListOutcome::YearUnreadable;
        return out;
    }
    ReceiptMatcher match(m);
    const bool read = year.Raw().Scan([&](qint64 index, const char* rec) {
        ++out.receipts;
        if (byChild.isEmpty() || !match.Overlaps(rec))
            return true;
        const auto it = byChild.constFind(match.ChildOf(rec));
        if (it == byChild.constEnd())
            return true;
        for (int i : *it) {
            FeeLine& line = out.lines[i];
            if (line.state == LineState::Paid)
                continue; // the first receipt of the month is the one shown
            line.state = LineState::Paid;
            line.reason.clear();
            line.ticked = false;
            line.paidNumber = match.NumberOf(rec);
            line.paidPosition = index + 1;
        }
        return true;
    });
    if (!read || !year.Close())
        out.outcome = ListOutcome::YearUnreadable;
    return out;
}

ReceiptRecord FeeReceipt(const FeeLine& line, const IssueRequest& req, qint64 number) {
    ReceiptRecord r;
    r.NumRic = QString::number(number);
    r.Data = FormatDate(req.issueDate);
    const auto euroCents = FeeEuroCents(line.fee);
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
    // The card's fields go where the payer import puts them.
    r.Pagatore = line.parent;
    r.CodFisc = line.taxCode;
    const QString common = TrimText(req.cause);
    r.Sport = !common.isEmpty() ? common : !line.cause.isEmpty() ? line.cause : DefaultCause(req.month);
    r.Dal = FormatDate(req.month.First());
    r.Al = FormatDate(req.month.Last());
    r.Praticante = line.child;
    r.LuogoNasc = line.birthPlace;
    r.DataNasc = line.birthDate;
    r.Indirizzo = line.method;
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
            // Receipts stored since the list was read, under the same lock as the batch: a month
            // another workstation has just issued is not issued twice.
            QSet<QString> paidNow;
            ReceiptMatcher match(req.month);
            QByteArray rec;
            for (qint64 i = qMax<qint64>(0, req.listedCount); i < count; ++i) {
                if (!raw.ReadRaw(i, rec))
                    return false;
                if (match.Overlaps(rec.constData()))
                    paidNow.insert(match.ChildOf(rec.constData()));
            }
            QByteArray buf;
            for (int idx : which) {
                const FeeLine& line = lines.at(idx);
                if (line.state != LineState::ToIssue)
                    continue;
                if (paidNow.contains(ChildKey(line.child))) {
                    res.paidMeanwhile << idx;
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

QVector<int> UnpaidLines(const QVector<FeeLine>& lines) {
    QVector<int> which;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].state != LineState::Paid)
            which << i;
    return which;
}

namespace {
QString Column(const QString& text, int width) {
    return TrimText(text).leftJustified(width, u' ', true);
}
} // namespace

QString UnpaidListLine(const FeeLine& line) {
    return Column(line.parent, 28) + QStringLiteral("  ") + Column(line.child, 28) + QStringLiteral("  ") +
           Column(line.taxCode, 16) + QStringLiteral("  ") + Column(line.phone, 20) + QStringLiteral("  € ") +
           TrimText(line.fee);
}

QString UnpaidListHeader() {
    return Column(QStringLiteral("Genitore"), 28) + QStringLiteral("  ") + Column(QStringLiteral("Minore"), 28) +
           QStringLiteral("  ") + Column(QStringLiteral("Codice fiscale"), 16) + QStringLiteral("  ") +
           Column(QStringLiteral("Telefono"), 20) + QStringLiteral("  Quota");
}

qint64 OwedTotal(const QVector<FeeLine>& lines, const QVector<int>& which) {
    qint64 total = 0;
    for (int i : which) {
        const std::optional<qint64> v = ParseAmountText(lines.at(i).fee);
        if (v && *v > 0)
            total += *v;
    }
    return total;
}

} // namespace fees
