#include "summary/Statements.h"
#include "receipts/AmountWords.h"
#include "storage/FixedField.h"
#include "storage/Lists.h"
#include "storage/ReceiptFile.h"
#include "storage/Text.h"
#include "summary/Takings.h"
#include <QHash>
#include <algorithm>
#include <numeric>
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

// Appends stored bytes with the letters A-Z (upper) or a-z (lower) folded to the other case.
void AppendFolded(QByteArray& out, QByteArrayView bytes, bool toUpper) {
    const char from = toUpper ? 'a' : 'A';
    for (char c : bytes)
        out.append(c >= from && c <= from + 25 ? char(c ^ 0x20) : c);
}

// Texts that recur from receipt to receipt (payment methods, periods) decoded once and shared, so
// that a year of receipts holds a few copies of them instead of one a receipt.
class SharedTexts {
public:
    QString Text(QByteArrayView bytes) {
        for (const auto& [stored, text] : m_texts)
            if (stored == bytes)
                return text;
        QString text = FromWin1252(bytes.data(), int(bytes.size()));
        if (m_texts.size() < 64)
            m_texts.emplace_back(bytes.toByteArray(), text);
        return text;
    }

private:
    std::vector<std::pair<QByteArray, QString>> m_texts;
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
    QHash<QByteArray, int> index; // group key -> position in out.groups
    QByteArray key;
    SharedTexts shared;
    QString intero;
    const qint64 count = file.RecordCount();
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
        key.resize(0);
        if (missing) {
            key.append('\x01');
            AppendFolded(key, StoredText(rec, ReceiptField::Pagatore), false);
        } else {
            AppendFolded(key, code, true);
        }
        key.append('\x1f');
        AppendFolded(key, StoredText(rec, ReceiptField::Praticante), false);
        auto it = index.find(key);
        if (it == index.end()) {
            it = index.insert(key, int(out.groups.size()));
            out.groups.append(StatementGroup());
            out.groups.last().missingTaxCode = missing;
        }
        StatementGroup& g = out.groups[*it];
        // The latest receipt's texts stand for the group: corrections made later win. Decoded into
        // the group's own texts, which then keep their storage from receipt to receipt.
        field(rec, ReceiptField::Pagatore, g.payer);
        field(rec, ReceiptField::CodFisc, g.taxCode);
        for (QChar& c : g.taxCode)
            if (c >= u'a' && c <= u'z')
                c = QChar(c.unicode() - 32);
        field(rec, ReceiptField::Praticante, g.child);
        if (!StoredText(rec, ReceiptField::LuogoNasc).isEmpty())
            field(rec, ReceiptField::LuogoNasc, g.birthPlace);
        if (!StoredText(rec, ReceiptField::DataNasc).isEmpty())
            field(rec, ReceiptField::DataNasc, g.birthDate);

        StatementReceipt r;
        field(rec, ReceiptField::NumRic, r.number);
        field(rec, ReceiptField::Data, r.date);
        r.from = shared.Text(StoredText(rec, ReceiptField::Dal));
        r.to = shared.Text(StoredText(rec, ReceiptField::Al));
        r.method = shared.Text(StoredText(rec, ReceiptField::Indirizzo));
        r.kind = ClassifyPayment(r.method);
        r.amount = *amount;
        r.position = i + 1;
        qint64* part = r.kind == PaymentKind::Cash        ? &g.cash
                       : r.kind == PaymentKind::Traceable ? &g.traceable
                                                          : &g.notStated;
        // Amounts are at most eight whole digits, so no year of receipts comes near overflowing.
        g.total += r.amount;
        *part += r.amount;
        g.receipts.append(std::move(r));
        return true;
    });
    if (!read || visited < qMax<qint64>(count, 0) || count < 0)
        out.complete = false;
    file.Close();

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
