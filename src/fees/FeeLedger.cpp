#include "fees/FeeLedger.h"
#include "receipts/AmountWords.h"
#include "receipts/Cancellation.h"
#include "storage/RegistryFile.h"
#include "storage/Dates.h"
#include "storage/IniFile.h"
#include "storage/FixedField.h"
#include "storage/Text.h"
#include "summary/Takings.h"
#include <QFileInfo>
#include <QMap>
#include <algorithm>
#include <string>
#include <unordered_set>

namespace fees {

namespace {

const QString kSection = QStringLiteral("Rette");
const QString kKey = QStringLiteral("Causali");

QString SettingsPath(const QString& programFolder) {
    return FolderWithSlash(programFolder) + QStringLiteral("Trelvani.ini");
}

int MonthIndex(const FeeMonth& m) {
    return m.year * 12 + (m.month - 1);
}

FeeMonth FromIndex(int i) {
    return FeeMonth{i / 12, i % 12 + 1};
}

FeeMonth MonthOf(const QDate& d) {
    return FeeMonth{d.year(), d.month()};
}

// A date field as the rule reads it: blank, or a date that is invalid when the text is not one.
struct DateField {
    bool blank = true;
    QDate date;
};

// Fills the period, amount and problem of a receipt from its fields: `text(f)` gives field f's trimmed
// text, `date(f)` a date field. Scans of whole years read dates straight from the stored bytes and
// decode a text only when it is needed.
template <typename Text, typename Date> void ReadTerms(const Text& text, const Date& date, ChildReceipt& r) {
    const DateField data = date(ReceiptField::Data), dal = date(ReceiptField::Dal), al = date(ReceiptField::Al);
    r.date = data.date;
    const QString intero = text(ReceiptField::Intero);
    const std::optional<qint64> amount = ParseAmountText(intero);
    if (!amount || *amount < 0) {
        r.problem = QStringLiteral("importo non leggibile (%1)").arg(intero);
        return;
    }
    r.amount = *amount;
    const auto period = [&] {
        return QStringLiteral("periodo non leggibile (%1 - %2)").arg(text(ReceiptField::Dal), text(ReceiptField::Al));
    };
    if ((!dal.blank && !dal.date.isValid()) || (!al.blank && !al.date.isValid())) {
        r.problem = period();
        return;
    }
    // One date of the period alone stands for its month.
    r.from = dal.date.isValid() ? dal.date : al.date;
    r.to = al.date.isValid() ? al.date : dal.date;
    if (r.from.isValid() && r.to < r.from) {
        r.problem = period();
        return;
    }
    if (!r.from.isValid() && !r.date.isValid())
        r.problem = QStringLiteral("data non leggibile (%1)").arg(text(ReceiptField::Data));
}

} // namespace

QStringList DefaultFeeWords() {
    return {QStringLiteral("Retta"), QStringLiteral("Rette")};
}

QStringList ParseFeeWords(const QString& text) {
    QStringList out;
    for (const QString& w : text.split(u','))
        if (!TrimText(w).isEmpty())
            out << TrimText(w);
    return out;
}

QString FeeWordsText(const QStringList& words) {
    return words.join(QStringLiteral(", "));
}

QStringList ReadFeeWords(const QString& programFolder) {
    const QStringList words = ParseFeeWords(IniRead(SettingsPath(programFolder), kSection, kKey));
    return words.isEmpty() ? DefaultFeeWords() : words;
}

bool WriteFeeWords(const QString& programFolder, const QStringList& words, QString* error) {
    return IniWrite(SettingsPath(programFolder), kSection, kKey, FeeWordsText(words), error);
}

bool IsFeeCause(const QString& cause, const QString& cardCause, const QStringList& feeWords) {
    const QString c = LowerAZ(TrimText(cause));
    if (c.isEmpty())
        return false;
    if (!TrimText(cardCause).isEmpty() && c == LowerAZ(TrimText(cardCause)))
        return true;
    for (const QString& word : feeWords) {
        const QString w = LowerAZ(TrimText(word));
        if (w.isEmpty() || !c.startsWith(w))
            continue;
        // A whole word: "Retta ottobre", "Retta:", not "Rettangolo".
        if (c.size() == w.size() || !c.at(w.size()).isLetterOrNumber())
            return true;
    }
    return false;
}

bool ChildReceipts::Load(const QString& programFolder, const QVector<int>& years, const QSet<QString>* children,
                         QString* error) {
    const QString folder = FolderWithSlash(programFolder);
    const QVector<FieldSpec>& layout = ReceiptRecord::Layout();
    const FieldSpec childField = layout[ReceiptField::Praticante];
    for (int year : years) {
        const QString path = folder + QString::number(year) + QStringLiteral(".ric");
        if (!QFileInfo::exists(path))
            continue;
        RecordFile file(ReceiptRecord::Size);
        if (!file.OpenOrCreate(path)) {
            if (error)
                *error = file.ErrorString();
            return false;
        }
        // The child's key straight from the stored bytes: trimmed, A-Z folded, as ChildKey folds the
        // decoded text (the archive's code page keeps ASCII as it is). Only the receipts of the children
        // asked for are decoded, and only in the fields the rule reads.
        // A plain byte hash: Qt's seeded hash costs more than the rest of the scan on most records.
        struct Fnv {
            size_t operator()(const std::string& k) const {
                size_t h = 1469598103934665603ull;
                for (const char c : k)
                    h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
                return h;
            }
        };
        std::unordered_set<std::string, Fnv> wanted;
        if (children)
            for (const QString& c : *children)
                wanted.insert(ToWin1252(c).toStdString());
        std::string key;
        qint64 count = 0;
        const auto field = [&](const char* raw, int f) {
            return TrimText(DecodeField(raw + layout[f].offset, layout[f].width));
        };
        const bool read = file.Scan([&](qint64 index, const char* raw) {
            ++count;
            const auto range = StoredTextRange(raw + childField.offset, childField.width);
            if (range.second <= range.first)
                return true;
            if (children) {
                key.resize(size_t(range.second - range.first));
                for (int i = range.first; i < range.second; ++i) {
                    const char b = raw[childField.offset + 1 + i];
                    key[size_t(i - range.first)] = b >= 'A' && b <= 'Z' ? char(b + 32) : b;
                }
                if (wanted.find(key) == wanted.end())
                    return true;
            }
            ChildReceipt r;
            r.cause = field(raw, ReceiptField::Sport);
            if (IsCancelledCause(r.cause))
                return true;
            r.fileYear = year;
            r.position = index + 1;
            r.number = field(raw, ReceiptField::NumRic);
            r.child = field(raw, ReceiptField::Praticante);
            const auto date = [&](int f) {
                const char* at = raw + layout[f].offset;
                const auto text = StoredTextRange(at, layout[f].width);
                DateField d;
                d.blank = text.second <= text.first;
                const int k = d.blank ? -1 : StoredDateKey(at, layout[f].width);
                if (k >= 0)
                    d.date = QDate(k / 10000, k / 100 % 100, k % 100);
                return d;
            };
            ReadTerms([&](int f) { return field(raw, f); }, date, r);
            m_byChild[ChildKey(r.child)] << r;
            return true;
        });
        m_counts[year] = count;
        m_scanned += count;
        if (!read || !file.Close()) {
            if (error)
                *error = file.ErrorString();
            return false;
        }
    }
    return true;
}

void ChildReceipts::Add(const ChildReceipt& r) {
    m_byChild[ChildKey(r.child)] << r;
}

QVector<ChildReceipt> ChildReceipts::Of(const QString& child) const {
    return m_byChild.value(ChildKey(child));
}

qint64 ChildReceipts::ScannedIn(int year) const {
    return m_counts.value(year);
}

ChildReceipt ReceiptTerms(const ReceiptRecord& rec, int fileYear, qint64 position) {
    ChildReceipt r;
    r.fileYear = fileYear;
    r.position = position;
    r.number = TrimText(rec.NumRic);
    r.cause = TrimText(rec.Sport);
    r.child = TrimText(rec.Praticante);
    r.payer = TrimText(rec.Pagatore);
    r.taxCode = TrimText(rec.CodFisc);
    const QVector<const QString*> fields = rec.Fields();
    const auto text = [&](int f) { return TrimText(*fields[f]); };
    ReadTerms(
        text,
        [&](int f) {
            DateField d;
            d.blank = text(f).isEmpty();
            d.date = d.blank ? QDate() : ParseDate(text(f));
            return d;
        },
        r);
    return r;
}

qint64 ChildAccount::TotalDue() const {
    qint64 t = 0;
    for (const MonthDue& m : months)
        t += m.due;
    return t;
}

qint64 ChildAccount::TotalPaid() const {
    qint64 t = 0;
    for (const MonthDue& m : months)
        t += m.paid;
    return t;
}

qint64 ChildAccount::TotalOwed() const {
    return TotalDue() - TotalPaid();
}

qint64 ChildAccount::TotalHeld() const {
    qint64 t = 0;
    for (const MonthDue& m : months)
        t += m.held;
    return t;
}

qint64 ChildAccount::TotalToAsk() const {
    qint64 t = 0;
    for (const MonthDue& m : months)
        t += m.ToAsk();
    return t;
}

qint64 ChildAccount::TotalCredit() const {
    qint64 t = 0;
    for (const Credit& c : credits)
        t += c.amount;
    return t;
}

const MonthDue* ChildAccount::Month(const FeeMonth& m) const {
    for (const MonthDue& d : months)
        if (d.month.year == m.year && d.month.month == m.month)
            return &d;
    return nullptr;
}

ChildAccount Allocate(const QVector<ChildReceipt>& receipts, const CardTerms& card, const FeeMonth& from,
                      const FeeMonth& to, const QStringList& feeWords, const QVector<DebitHold>& holds) {
    ChildAccount out;
    const qint64 fee = qMax<qint64>(0, card.fee);
    const QString key = ChildKey(card.child);
    QVector<const ChildReceipt*> fees;
    for (const ChildReceipt& r : receipts)
        if (!key.isEmpty() && ChildKey(r.child) == key && !IsCancelledCause(r.cause) &&
            IsFeeCause(r.cause, card.cause, feeWords))
            fees << &r;
    // The order they were stored in: the files by year, then the receipts in each file. Dates typed on
    // receipts can be back-dated; the archive's order cannot.
    std::stable_sort(fees.begin(), fees.end(), [](const ChildReceipt* a, const ChildReceipt* b) {
        return a->fileYear != b->fileYear ? a->fileYear < b->fileYear : a->position < b->position;
    });

    QMap<int, MonthDue> paid; // month index to what receipts pay of it
    for (const ChildReceipt* r : fees) {
        if (!r->problem.isEmpty()) {
            out.unreadable << *r;
            continue;
        }
        const FeeMonth first = r->from.isValid() ? MonthOf(r->from) : MonthOf(r->date);
        const FeeMonth last = r->from.isValid() ? MonthOf(r->to) : first;
        qint64 left = r->amount;
        for (int i = MonthIndex(first); i <= MonthIndex(last) && left > 0; ++i) {
            MonthDue& m = paid[i];
            const qint64 take = qMin(left, fee - m.paid);
            if (take <= 0)
                continue;
            m.paid += take;
            m.parts << MonthPart{r->fileYear, r->position, r->number, r->date, take};
            left -= take;
        }
        // What is left over pays the next months still owed, in order, as far as the account goes.
        for (int i = MonthIndex(last) + 1; i <= MonthIndex(to) && left > 0 && fee > 0; ++i) {
            MonthDue& m = paid[i];
            const qint64 take = qMin(left, fee - m.paid);
            if (take <= 0)
                continue;
            m.paid += take;
            m.parts << MonthPart{r->fileYear, r->position, r->number, r->date, take, true};
            left -= take;
        }
        if (left > 0)
            out.credits << Credit{*r, left};
    }
    for (int i = MonthIndex(from); i <= MonthIndex(to); ++i) {
        MonthDue m = paid.value(i);
        m.month = FromIndex(i);
        m.due = fee;
        HoldMonth(m, card.child, holds);
        out.months << m;
    }
    return out;
}

void HoldMonth(MonthDue& m, const QString& child, const QVector<DebitHold>& holds) {
    const QString key = ChildKey(child);
    m.held = 0;
    m.heldBy.clear();
    // A pending direct debit holds what receipts have not paid of its month.
    for (const DebitHold& h : holds) {
        if (MonthIndex(h.month) != MonthIndex(m.month) || key.isEmpty() || ChildKey(h.child) != key || h.amount <= 0)
            continue;
        const qint64 hold = qMin(h.amount, m.Owed() - m.held);
        if (hold <= 0)
            continue;
        m.held += hold;
        m.heldBy += (m.heldBy.isEmpty() ? QString() : QStringLiteral(", ")) + h.file;
    }
}

void DebitHolds::Add(const DebitHold& h) {
    m_byChild[ChildKey(h.child)] << h;
}

QVector<DebitHold> DebitHolds::Of(const QString& child) const {
    return m_byChild.value(ChildKey(child));
}

std::pair<FeeMonth, FeeMonth> AccountRange(const QString& enrolmentStart, const QString& enrolmentEnd,
                                           const FeeMonth& upTo) {
    const QDate start = ParseDate(TrimText(enrolmentStart));
    const QDate end = ParseDate(TrimText(enrolmentEnd));
    const FeeMonth first = start.isValid() ? MonthOf(start) : FeeMonth{upTo.month >= 9 ? upTo.year : upTo.year - 1, 9};
    const FeeMonth last = end.isValid() && MonthIndex(MonthOf(end)) < MonthIndex(upTo) ? MonthOf(end) : upTo;
    return {first, last};
}

QString AmountText(qint64 tenThousandths) {
    const bool negative = tenThousandths < 0;
    const qint64 cents = (qAbs(tenThousandths) + 50) / 100;
    return (negative ? QStringLiteral("-") : QString()) + QString::number(cents / 100) + u',' +
           QString::number(cents % 100).rightJustified(2, u'0');
}

QString MonthStateText(const MonthDue& m) {
    if (m.held > 0 && m.paid < m.due)
        return QStringLiteral("In addebito SDD: ") + m.heldBy;
    if (m.paid <= 0)
        return QStringLiteral("Da emettere");
    if (m.paid < m.due) {
        QStringList credit;
        for (const MonthPart& p : m.parts)
            if (p.credit && !credit.contains(p.number))
                credit << p.number;
        QString text = QStringLiteral("Pagata in parte: %1 di %2").arg(AmountText(m.paid), AmountText(m.due));
        if (!credit.isEmpty())
            text += (credit.size() == 1 ? QStringLiteral(" (credito ricevuta n. ") : QStringLiteral(" (credito ricevute n. ")) +
                    credit.join(QStringLiteral(", ")) + u')';
        return text;
    }
    QStringList numbers;
    for (const MonthPart& p : m.parts)
        if (!numbers.contains(p.number))
            numbers << p.number;
    return (numbers.size() == 1 ? QStringLiteral("Già pagata: ricevuta n. ") : QStringLiteral("Già pagata: ricevute n. ")) +
           numbers.join(QStringLiteral(", "));
}

} // namespace fees
