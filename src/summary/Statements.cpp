#include "summary/Statements.h"
#include "receipts/AmountWords.h"
#include "storage/FixedField.h"
#include "storage/Lists.h"
#include "storage/ReceiptFile.h"
#include "storage/Text.h"
#include "summary/Takings.h"
#include <QHash>
#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <unordered_map>
#include <vector>

PaymentKind ClassifyPayment(const QString& method) {
    const QString t = TrimText(method);
    if (t.isEmpty())
        return PaymentKind::NotStated;
    if (t.contains(QLatin1String("contant"), Qt::CaseInsensitive))
        return PaymentKind::Cash;
    return PaymentKind::Traceable;
}

QString PaymentKindText(PaymentKind kind) {
    switch (kind) {
    case PaymentKind::Traceable:
        return QStringLiteral("tracciabile");
    case PaymentKind::Cash:
        return QStringLiteral("contanti");
    case PaymentKind::NotStated:
        break;
    }
    return QStringLiteral("non indicato");
}

QString MissingTaxCodeText() {
    return QStringLiteral("codice fiscale mancante");
}

namespace {

// Letter case ignored for ordering and grouping, as the office reads names.
QString SortKey(const QString& s) {
    return LowerAZ(s);
}

// The trimmed stored bytes of field `i` of a receipt.
QByteArrayView StoredText(const char* rec, ReceiptField::Index i) {
    const FieldSpec& f = ReceiptRecord::Layout()[i];
    const auto [b, e] = StoredTextRange(rec + f.offset, f.width);
    return QByteArrayView(rec + f.offset + 1 + b, e - b);
}

// Texts that recur from receipt to receipt (payment methods, periods) decoded once and shared, so
// that a year of receipts holds a few copies of them instead of one a receipt. A payment method's
// kind is asked once for each distinct text, too.
class SharedTexts {
public:
    const QString& Text(QByteArrayView bytes) { return Entry(bytes).text; }
    PaymentKind Kind(QByteArrayView bytes) {
        Shared& e = Entry(bytes);
        if (!e.classified) {
            e.kind = ClassifyPayment(e.text);
            e.classified = true;
        }
        return e.kind;
    }

private:
    struct Shared {
        QByteArray stored;
        QString text;
        PaymentKind kind = PaymentKind::NotStated;
        bool classified = false;
    };
    Shared& Entry(QByteArrayView bytes) {
        for (Shared& e : m_texts)
            if (e.stored == bytes)
                return e;
        // Beyond 64 distinct texts the last slot is reused: a year of free texts still costs no more.
        if (m_texts.size() >= 64)
            m_texts.pop_back();
        m_texts.push_back({bytes.toByteArray(), FromWin1252(bytes.data(), int(bytes.size()))});
        return m_texts.back();
    }
    std::vector<Shared> m_texts;
};

// The texts of a group that its latest receipt decides, kept as the stored fields (length byte and
// text) while the year is read and decoded once at the end: copying a field costs less than
// converting it, and most receipts are overwritten by a later one of their group. Each field is
// copied as kSpan bytes, a fixed size the compiler copies inline; the length byte says how many count.
struct GroupFields {
    static constexpr ReceiptField::Index kFields[] = {ReceiptField::Pagatore, ReceiptField::CodFisc,
                                                      ReceiptField::Praticante, ReceiptField::LuogoNasc,
                                                      ReceiptField::DataNasc};
    static constexpr int kCount = int(sizeof kFields / sizeof kFields[0]);
    static constexpr int kSpan = 51; // the widest of them, 50, and its length byte
    char stored[kCount][kSpan];
    bool set[kCount] = {};
};

} // namespace

YearStatements BuildYearStatements(const QString& path, int year) {
    YearStatements out;
    ReceiptFile file;
    if (!file.OpenOrCreate(path)) {
        out.fileOpened = false;
        out.complete = false;
        return out;
    }
    const auto& layout = ReceiptRecord::Layout();
    auto field = [&](const char* rec, ReceiptField::Index i, QString& into) {
        DecodeFieldInto(rec + layout[i].offset, layout[i].width, into);
    };
    const FieldSpec& fData = layout[ReceiptField::Data];
    const int first = year * 10000, last = year * 10000 + 9999;

    // Group key, built on the stored bytes (one byte a character, so folding A-Z on them is folding
    // the text): the tax code in upper case, or \x01 and the payer in lower case; \x1f; the child in
    // lower case.
    std::unordered_map<std::string, int> index; // group key -> position in out.groups
    std::vector<GroupFields> latest;            // per group
    for (ReceiptField::Index id : GroupFields::kFields)
        Q_ASSERT(layout[id].width < GroupFields::kSpan &&
                 layout[id].offset + GroupFields::kSpan <= ReceiptRecord::Size);
    std::string key;
    SharedTexts shared;
    // A valid issue date's text is fixed by its day ("dd/mm/yyyy"): one text a day of the year.
    QHash<int, QString> dates;
    QString intero;
    // The receipts in file order with their group; handed to their groups at the end, each group's
    // list then sized once.
    std::vector<StatementReceipt> receipts;
    std::vector<int> groupOf;
    const qint64 count = file.RecordCount();
    receipts.reserve(size_t(qBound(qint64(0), count, qint64(1) << 22)));
    groupOf.reserve(receipts.capacity());
    qint64 visited = 0;
    const bool read = file.Raw().Scan([&](qint64 i, const char* rec) {
        visited = i + 1;
        const int day = StoredDateKey(rec + fData.offset, fData.width);
        ExcludedReceipt::Reason reason = ExcludedReceipt::Reason::InvalidDate;
        std::optional<qint64> amount;
        if (day >= 0) {
            if (day < first || day > last)
                return true;
            field(rec, ReceiptField::Intero, intero);
            amount = ParseAmountText(intero);
            reason = ExcludedReceipt::Reason::InvalidAmount;
        }
        if (!amount) {
            ExcludedReceipt ex;
            field(rec, ReceiptField::NumRic, ex.number);
            ex.position = i + 1;
            ex.reason = reason;
            out.excluded.append(ex);
            return true;
        }

        const QByteArrayView code = StoredText(rec, ReceiptField::CodFisc);
        const bool missing = code.isEmpty();
        key.clear();
        auto appendFolded = [&key](QByteArrayView bytes, bool toUpper) {
            const char from = toUpper ? 'a' : 'A';
            for (char c : bytes)
                key.push_back(c >= from && c <= from + 25 ? char(c ^ 0x20) : c);
        };
        if (missing) {
            key.push_back('\x01');
            appendFolded(StoredText(rec, ReceiptField::Pagatore), false);
        } else {
            appendFolded(code, true);
        }
        key.push_back('\x1f');
        appendFolded(StoredText(rec, ReceiptField::Praticante), false);
        auto [it, added] = index.try_emplace(key, int(out.groups.size()));
        if (added) {
            out.groups.append(StatementGroup());
            out.groups.last().missingTaxCode = missing;
            latest.emplace_back();
        }
        const int group = it->second;
        // The latest receipt's texts stand for the group: corrections made later win. The birth
        // place and date only when the receipt has them.
        GroupFields& g = latest[size_t(group)];
        for (int f = 0; f < GroupFields::kCount; ++f) {
            const ReceiptField::Index id = GroupFields::kFields[f];
            if ((id == ReceiptField::LuogoNasc || id == ReceiptField::DataNasc) && StoredText(rec, id).isEmpty())
                continue;
            std::memcpy(g.stored[f], rec + layout[id].offset, GroupFields::kSpan);
            g.set[f] = true;
        }

        StatementReceipt r;
        r.number = DecodeField(rec + layout[ReceiptField::NumRic].offset, layout[ReceiptField::NumRic].width);
        auto date = dates.find(day);
        if (date == dates.end())
            date = dates.insert(day, DecodeField(rec + fData.offset, fData.width));
        r.date = *date;
        r.from = shared.Text(StoredText(rec, ReceiptField::Dal));
        r.to = shared.Text(StoredText(rec, ReceiptField::Al));
        const QByteArrayView method = StoredText(rec, ReceiptField::Indirizzo);
        r.method = shared.Text(method);
        r.kind = shared.Kind(method);
        r.amount = *amount;
        r.position = i + 1;
        receipts.push_back(std::move(r));
        groupOf.push_back(group);
        return true;
    });
    if (!read || visited < qMax<qint64>(count, 0) || count < 0)
        out.complete = false;
    file.Close();

    for (int gi = 0; gi < out.groups.size(); ++gi) {
        StatementGroup& g = out.groups[gi];
        const GroupFields& f = latest[size_t(gi)];
        QString* texts[GroupFields::kCount] = {&g.payer, &g.taxCode, &g.child, &g.birthPlace, &g.birthDate};
        for (int k = 0; k < GroupFields::kCount; ++k)
            if (f.set[k])
                *texts[k] = DecodeField(f.stored[k], layout[GroupFields::kFields[k]].width);
        for (QChar& c : g.taxCode)
            if (c >= u'a' && c <= u'z')
                c = QChar(c.unicode() - 32);
    }
    // Each group's receipts in file order, its list sized once; the sums in the same pass.
    std::vector<int> sizes(size_t(out.groups.size()), 0);
    for (int g : groupOf)
        ++sizes[size_t(g)];
    for (int gi = 0; gi < out.groups.size(); ++gi)
        out.groups[gi].receipts.reserve(sizes[size_t(gi)]);
    for (size_t k = 0; k < receipts.size(); ++k) {
        StatementGroup& g = out.groups[groupOf[k]];
        StatementReceipt& r = receipts[k];
        qint64* part = r.kind == PaymentKind::Cash        ? &g.cash
                       : r.kind == PaymentKind::Traceable ? &g.traceable
                                                          : &g.notStated;
        // Amounts are at most eight whole digits, so no year of receipts comes near overflowing.
        g.total += r.amount;
        *part += r.amount;
        g.receipts.append(std::move(r));
    }
    receipts.clear();

    // The sort keys are folded once, not in every comparison.
    struct Keys {
        QString payer, child;
    };
    std::vector<Keys> keys;
    keys.reserve(size_t(out.groups.size()));
    for (const StatementGroup& g : out.groups)
        keys.push_back({SortKey(g.payer), SortKey(g.child)});
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (keys[size_t(a)].payer != keys[size_t(b)].payer)
            return keys[size_t(a)].payer < keys[size_t(b)].payer;
        if (keys[size_t(a)].child != keys[size_t(b)].child)
            return keys[size_t(a)].child < keys[size_t(b)].child;
        return out.groups[a].taxCode < out.groups[b].taxCode;
    });
    QVector<StatementGroup> sorted;
    sorted.reserve(out.groups.size());
    for (int i : order)
        sorted.append(std::move(out.groups[i]));
    out.groups = std::move(sorted);
    return out;
}

QString StatementLine(const StatementGroup& g) {
    return g.payer + QStringLiteral("  ") + g.TaxCodeText() + QStringLiteral("  ") + g.child + QStringLiteral("  ") +
           QString::number(g.receipts.size()) + QStringLiteral("  ") + FormatTotal(g.total) + QStringLiteral("  ") +
           FormatTotal(g.traceable) + QStringLiteral("  ") + FormatTotal(g.cash) + QStringLiteral("  ") +
           FormatTotal(g.notStated);
}

QStringList StatementTable(const StatementGroup& g, int methodWidth) {
    auto row = [methodWidth](const QString& num, const QString& date, const QString& period, const QString& method,
                             const QString& kind, const QString& amount) {
        return FixedColumn(num, 10) + QStringLiteral("  ") + FixedColumn(date, 10) + QStringLiteral("  ") +
               FixedColumn(period, 23) + QStringLiteral("  ") + FixedColumn(method, methodWidth) +
               QStringLiteral("  ") + FixedColumn(kind, 12) + QStringLiteral("  ") + amount.rightJustified(12);
    };
    QStringList out;
    out << row(QStringLiteral("Numero"), QStringLiteral("Data"), QStringLiteral("Periodo"),
               QStringLiteral("Modalità di pagamento"), QStringLiteral("Tipo"), QStringLiteral("Importo €"));
    for (const StatementReceipt& r : g.receipts)
        out << row(r.number, r.date, r.from + QStringLiteral(" - ") + r.to,
                   r.method.isEmpty() ? QStringLiteral("-") : r.method, PaymentKindText(r.kind), FormatTotal(r.amount));
    return out;
}
