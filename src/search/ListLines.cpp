#include "search/ListLines.h"
#include "storage/ColumnLine.h"
#include "storage/Dates.h"
#include "storage/Lists.h"
#include "storage/Text.h"
#include <algorithm>
#include <numeric>

namespace {

// The columns of each list's line: label, field and width (0: the trimmed text, never cut).
using R = ReceiptField::Index;
using C = RegistryField::Index;
constexpr LineColumn kReceiptColumns[] = {
    {u"Ric. n. ", R::NumRic, 12},      {u"  Data: ", R::Data, 10}, {u"  ", R::Pagatore, 26},
    {u"  Causale: ", R::Sport, 28},    {u"  Dal ", R::Dal, 10},    {u"  Al ", R::Al, 10},
    {u"  Tot. \u20AC ", R::Intero, 0},
};
constexpr LineColumn kCardColumns[] = {
    {u"", C::Tiratore, 28},       {u"  Cel. ", C::Cel, 16},           {u"  Delegato: ", C::Gruppo, 28},
    {u"  Minore: ", C::Armi, 28}, {u"  Quota: \u20AC ", C::Quota, 0},
};
constexpr LineColumn kCertificateColumns[] = {
    {u"", C::Tiratore, 30},
    {u"  Cel. ", C::Cel, 20},
    {u"  C.F. ", C::CodFisc, 16},
    {u"  Minore: ", C::Armi, 30},
    {u"  Scad. certificato: ", C::Studio, 0},
};
constexpr LineColumn kEnrolmentColumns[] = {
    {u"", C::Tiratore, 28},          {u"  Cel. ", C::Cel, 14},      {u"  Minore: ", C::Armi, 28},
    {u"  Isc. n. ", C::Tessera, 20}, {u"  Scad. ", C::FineTes, 10}, {u"  Quota: \u20AC ", C::Quota, 0},
};

template <size_t N> QString Line(const LineColumn (&columns)[N], const QVector<const QString*>& fields) {
    return ColumnLine(columns, int(N), fields.constData());
}
template <class Record, size_t N> ColumnLineBuilder LineBuilder(const LineColumn (&columns)[N]) {
    return ColumnLineBuilder(columns, int(N), Record::Layout());
}

} // namespace

QString ReceiptListLine(const ReceiptRecord& r) {
    return Line(kReceiptColumns, r.Fields());
}

QString CardListLine(const RegistryRecord& r) {
    return Line(kCardColumns, r.Fields());
}

QString CertificateListLine(const RegistryRecord& r) {
    return Line(kCertificateColumns, r.Fields());
}

QString EnrolmentListLine(const RegistryRecord& r) {
    return Line(kEnrolmentColumns, r.Fields());
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

// The records of `file` that `matcher` accepts, in file order, as list lines of `columns` with their
// positions; one read in large blocks, then the file is closed. `opened` is the outcome of opening it.
template <class Record, class File, class Columns>
bool CollectMatches(File& file, bool opened, const RecordMatcher& matcher, const Columns& columns, RecordList& out,
                    QString* error) {
    if (!opened) {
        if (error)
            *error = file.ErrorString();
        return false;
    }
    const ColumnLineBuilder line = LineBuilder<Record>(columns);
    const bool ok = file.Raw().Scan([&](qint64 index, const char* bytes) {
        if (matcher.Matches(bytes)) {
            out.lines << line.Line(bytes);
            out.positions << index + 1;
        }
        return true;
    });
    if (!ok && error)
        *error = file.ErrorString();
    file.Close();
    return ok;
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
    return CollectMatches<ReceiptRecord>(file, file.OpenOrCreate(path), matcher, kReceiptColumns, out, error);
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
    const bool ok =
        CollectMatches<RegistryRecord>(file, file.OpenOrCreate(programFolder), matcher, kCardColumns, out, error);
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
    const ColumnLineBuilder line = kind == ExpiryKind::Certificate ? LineBuilder<RegistryRecord>(kCertificateColumns)
                                                                   : LineBuilder<RegistryRecord>(kEnrolmentColumns);
    QString dateText;
    const bool ok = file.Raw().Scan([&](qint64 index, const char* bytes) {
        // Only the date is decoded for every card; the line is built only for a listed card.
        DecodeFieldInto(bytes + date.offset, date.width, dateText);
        if (IsExpired(dateText, today)) {
            out.lines << line.Line(bytes);
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
