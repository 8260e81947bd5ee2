#include "search/ListLines.h"
#include "storage/Dates.h"
#include "storage/Lists.h"
#include "storage/Text.h"
#include <algorithm>
#include <initializer_list>
#include <numeric>

namespace {

// Appends `text` trimmed and padded or cut to `width`, without building a temporary column.
void Column(QString& line, const QString& text, int width) {
    int b = 0, e = int(text.size());
    while (b < e && text.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 0x20)
        --e;
    const int n = std::min(e - b, width);
    line.append(QStringView(text).mid(b, n));
    line.resize(line.size() + (width - n), u' ');
}

void Trimmed(QString& line, const QString& text) {
    int b = 0, e = int(text.size());
    while (b < e && text.at(b).unicode() <= 0x20)
        ++b;
    while (e > b && text.at(e - 1).unicode() <= 0x20)
        --e;
    line.append(QStringView(text).mid(b, e - b));
}

// Decodes into `rec` only the fields that a line shows: a scan that lists every record then decodes
// a third of each.
template <class Record> class ShownFields {
public:
    ShownFields(Record& rec, std::initializer_list<int> fields) : m_out(rec.Fields()), m_fields(fields) {}
    void Decode(const char* bytes) const {
        const QVector<FieldSpec>& layout = Record::Layout();
        for (int f : m_fields)
            DecodeFieldInto(bytes + layout[f].offset, layout[f].width, *m_out[f]);
    }

private:
    QVector<QString*> m_out;
    std::vector<int> m_fields;
};

} // namespace

QString ReceiptListLine(const ReceiptRecord& r) {
    QString line;
    line.reserve(160);
    line += QStringLiteral("Ric. n. ");
    Column(line, r.NumRic, 12);
    line += QStringLiteral("  Data: ");
    Column(line, r.Data, 10);
    line += QStringLiteral("  ");
    Column(line, r.Pagatore, 26);
    line += QStringLiteral("  Causale: ");
    Column(line, r.Sport, 28);
    line += QStringLiteral("  Dal ");
    Column(line, r.Dal, 10);
    line += QStringLiteral("  Al ");
    Column(line, r.Al, 10);
    line += QStringLiteral("  Tot. € ");
    Trimmed(line, r.Intero);
    return line;
}

QString CardListLine(const RegistryRecord& r) {
    QString line;
    line.reserve(150);
    Column(line, r.Tiratore, 28);
    line += QStringLiteral("  Cel. ");
    Column(line, r.Cel, 16);
    line += QStringLiteral("  Delegato: ");
    Column(line, r.Gruppo, 28);
    line += QStringLiteral("  Minore: ");
    Column(line, r.Armi, 28);
    line += QStringLiteral("  Quota: € ");
    Trimmed(line, r.Quota);
    return line;
}

QString CertificateListLine(const RegistryRecord& r) {
    QString line;
    line.reserve(150);
    Column(line, r.Tiratore, 30);
    line += QStringLiteral("  Cel. ");
    Column(line, r.Cel, 20);
    line += QStringLiteral("  C.F. ");
    Column(line, r.CodFisc, 16);
    line += QStringLiteral("  Minore: ");
    Column(line, r.Armi, 30);
    line += QStringLiteral("  Scad. certificato: ");
    Trimmed(line, r.Studio);
    return line;
}

QString EnrolmentListLine(const RegistryRecord& r) {
    QString line;
    line.reserve(180);
    Column(line, r.Tiratore, 28);
    line += QStringLiteral("  Cel. ");
    Column(line, r.Cel, 14);
    line += QStringLiteral("  Minore: ");
    Column(line, r.Armi, 28);
    line += QStringLiteral("  Isc. n. ");
    Column(line, r.Tessera, 20);
    line += QStringLiteral("  Scad. ");
    Column(line, r.FineTes, 10);
    line += QStringLiteral("  Quota: € ");
    Trimmed(line, r.Quota);
    return line;
}

bool IsExpired(const QString& dateText, const QDate& today) {
    const QDate d = ParseDate(TrimText(dateText));
    return d.isValid() && today > d;
}

void RecordList::SortAlphabetically() {
    // Fold once, then sort indices: comparing folded copies inside the sort would fold each line
    // log(n) times.
    const int n = int(lines.size());
    QStringList keys;
    keys.reserve(n);
    for (const QString& l : lines)
        keys << LowerAZ(l);
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys.at(a) < keys.at(b); });
    QStringList sortedLines;
    QVector<qint64> sortedPositions;
    sortedLines.reserve(n);
    sortedPositions.reserve(n);
    for (int i : order) {
        sortedLines << lines.at(i);
        sortedPositions << positions.at(i);
    }
    lines = std::move(sortedLines);
    positions = std::move(sortedPositions);
}

bool SearchReceipts(const QString& path, const ReceiptCriteria& c, RecordList& out, QString* error) {
    out.Clear();
    const QVector<FieldSpec>& layout = ReceiptRecord::Layout();
    using F = ReceiptField::Index;
    const RecordMatcher matcher(
        {layout[F::NumRic], layout[F::Data], layout[F::Pagatore], layout[F::CodFisc], layout[F::Sport], layout[F::Dal],
         layout[F::Praticante], layout[F::DataNasc], layout[F::LuogoNasc], layout[F::Indirizzo]},
        {c.NumRic, c.Data, c.Pagatore, c.CodFisc, c.Sport, c.Dal, c.Praticante, c.DataNasc, c.LuogoNasc, c.Indirizzo});
    ReceiptFile file;
    if (!file.OpenOrCreate(path)) {
        if (error)
            *error = file.ErrorString();
        return false;
    }
    ReceiptRecord rec;
    const ShownFields<ReceiptRecord> shown(rec, {F::NumRic, F::Data, F::Pagatore, F::Sport, F::Dal, F::Al, F::Intero});
    const bool ok = file.Raw().Scan([&](qint64 index, const char* bytes) {
        if (matcher.Matches(bytes)) {
            shown.Decode(bytes);
            out.lines << ReceiptListLine(rec);
            out.positions << index + 1;
        }
        return true;
    });
    if (!ok && error)
        *error = file.ErrorString();
    file.Close();
    return ok;
}

bool SearchCards(const QString& programFolder, const CardCriteria& c, RecordList& out, QString* error) {
    out.Clear();
    const QVector<FieldSpec>& layout = RegistryRecord::Layout();
    using F = RegistryField::Index;
    const RecordMatcher matcher(
        {layout[F::Tiratore], layout[F::DataNasc], layout[F::Cittadinanza], layout[F::LuogoNasc], layout[F::CodFisc],
         layout[F::Gruppo], layout[F::Tessera], layout[F::Armi], layout[F::Ente], layout[F::Note]},
        {c.Tiratore, c.DataNasc, c.Cittadinanza, c.LuogoNasc, c.CodFisc, c.Gruppo, c.Tessera, c.Armi, c.Ente, c.Note});
    RegistryFile file;
    if (!file.OpenOrCreate(programFolder)) {
        if (error)
            *error = file.ErrorString();
        return false;
    }
    RegistryRecord rec;
    const ShownFields<RegistryRecord> shown(rec, {F::Tiratore, F::Cel, F::Gruppo, F::Armi, F::Quota});
    const bool ok = file.Raw().Scan([&](qint64 index, const char* bytes) {
        if (matcher.Matches(bytes)) {
            shown.Decode(bytes);
            out.lines << CardListLine(rec);
            out.positions << index + 1;
        }
        return true;
    });
    if (!ok && error)
        *error = file.ErrorString();
    file.Close();
    out.SortAlphabetically();
    return ok;
}

bool ExpiredCards(const QString& programFolder, ExpiryKind kind, const QDate& today, RecordList& out, QString* error) {
    out.Clear();
    const FieldSpec date =
        RegistryRecord::Layout()[kind == ExpiryKind::Certificate ? RegistryField::Studio : RegistryField::FineTes];
    RegistryFile file;
    if (!file.OpenOrCreate(programFolder)) {
        if (error)
            *error = file.ErrorString();
        return false;
    }
    RegistryRecord rec;
    using F = RegistryField::Index;
    const ShownFields<RegistryRecord> shown(
        rec, {F::Tiratore, F::Cel, F::CodFisc, F::Armi, F::Studio, F::Tessera, F::FineTes, F::Quota});
    QString dateText;
    const bool ok = file.Raw().Scan([&](qint64 index, const char* bytes) {
        // Only the date is decoded for every card; the whole card only when it is listed.
        DecodeFieldInto(bytes + date.offset, date.width, dateText);
        if (IsExpired(dateText, today)) {
            shown.Decode(bytes);
            out.lines << (kind == ExpiryKind::Certificate ? CertificateListLine(rec) : EnrolmentListLine(rec));
            out.positions << index + 1;
        }
        return true;
    });
    if (!ok && error)
        *error = file.ErrorString();
    file.Close();
    out.SortAlphabetically();
    return ok;
}
