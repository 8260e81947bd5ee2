#include "summary/Statements.h"
#include "receipts/AmountWords.h"
#include "storage/FixedField.h"
#include "storage/Lists.h"
#include "storage/ReceiptFile.h"
#include "storage/Text.h"
#include "summary/Takings.h"
#include <QHash>
#include <algorithm>

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

    QHash<QString, int> index; // group key -> position in out.groups
    QString intero, codFisc, payer, child, key;
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

        field(rec, ReceiptField::CodFisc, codFisc);
        field(rec, ReceiptField::Pagatore, payer);
        field(rec, ReceiptField::Praticante, child);
        const QString code = UpperAZ(codFisc);
        const bool missing = code.isEmpty();
        key = missing ? QStringLiteral("\x01") + SortKey(payer) : code;
        key += u'\x1f';
        key += SortKey(child);
        auto it = index.find(key);
        if (it == index.end()) {
            it = index.insert(key, int(out.groups.size()));
            out.groups.append(StatementGroup());
            out.groups.last().missingTaxCode = missing;
        }
        StatementGroup& g = out.groups[*it];
        // The latest receipt's texts stand for the group: corrections made later win.
        g.payer = payer;
        g.taxCode = code;
        g.child = child;
        QString text;
        field(rec, ReceiptField::LuogoNasc, text);
        if (!text.isEmpty())
            g.birthPlace = text;
        field(rec, ReceiptField::DataNasc, text);
        if (!text.isEmpty())
            g.birthDate = text;

        StatementReceipt r;
        field(rec, ReceiptField::NumRic, r.number);
        field(rec, ReceiptField::Data, r.date);
        field(rec, ReceiptField::Dal, r.from);
        field(rec, ReceiptField::Al, r.to);
        field(rec, ReceiptField::Indirizzo, r.method);
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

    std::stable_sort(out.groups.begin(), out.groups.end(), [](const StatementGroup& a, const StatementGroup& b) {
        const QString pa = SortKey(a.payer), pb = SortKey(b.payer);
        if (pa != pb)
            return pa < pb;
        const QString ca = SortKey(a.child), cb = SortKey(b.child);
        if (ca != cb)
            return ca < cb;
        return a.taxCode < b.taxCode;
    });
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
