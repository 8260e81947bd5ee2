#include "summary/Takings.h"
#include "receipts/AmountWords.h"
#include "storage/ColumnLine.h"
#include "storage/Dates.h"
#include "storage/FixedField.h"
#include "storage/Lists.h"
#include "storage/ReceiptFile.h"
#include "storage/Text.h"

int ActiveFilters(const QString& payer, const QString& reason) {
    return FilledCriteria({payer, reason});
}

namespace {
using R = ReceiptField::Index;
constexpr LineColumn kSummaryColumns[] = {
    {u"Ric. n. ", R::NumRic, 12},      {u"  Data: ", R::Data, 10}, {u"  ", R::Pagatore, 26},
    {u"  Causale: ", R::Sport, 30},    {u"  Dal ", R::Dal, 10},    {u"  Al ", R::Al, 10},
    {u"  Tot. \u20AC ", R::Intero, 0},
};
constexpr int kSummaryColumnCount = int(sizeof kSummaryColumns / sizeof kSummaryColumns[0]);
} // namespace

int StoredDateKey(const char* field, int width) {
    int n = static_cast<unsigned char>(field[0]);
    if (n > width)
        n = width;
    const char* t = field + 1;
    int b = 0;
    while (b < n && static_cast<unsigned char>(t[b]) <= 0x20)
        ++b;
    while (n > b && static_cast<unsigned char>(t[n - 1]) <= 0x20)
        --n;
    if (n - b != 10)
        return -1;
    t += b;
    if (t[2] != '/' || t[5] != '/')
        return -1;
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (t[i] < '0' || t[i] > '9')
            return -1;
    const int d = (t[0] - '0') * 10 + (t[1] - '0');
    const int m = (t[3] - '0') * 10 + (t[4] - '0');
    const int y = (t[6] - '0') * 1000 + (t[7] - '0') * 100 + (t[8] - '0') * 10 + (t[9] - '0');
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > days[m - 1] + ((m == 2 && IsLeapYear(y)) ? 1 : 0))
        return -1;
    return y * 10000 + m * 100 + d;
}

namespace {

int DateKey(const QDate& d) {
    return d.isValid() ? d.year() * 10000 + d.month() * 100 + d.day() : -1;
}

// True when the stored field holds only blanks and control characters.
bool BlankField(const char* field, int width) {
    int n = qMin<int>(static_cast<unsigned char>(field[0]), width);
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(field[1 + i]) > 0x20)
            return false;
    return true;
}

} // namespace

QString SummaryRow(const QString& numRic, const QString& data, const QString& pagatore, const QString& sport,
                   const QString& dal, const QString& al, const QString& intero) {
    const QString* fields[R::Count] = {};
    fields[R::NumRic] = &numRic;
    fields[R::Data] = &data;
    fields[R::Pagatore] = &pagatore;
    fields[R::Sport] = &sport;
    fields[R::Dal] = &dal;
    fields[R::Al] = &al;
    fields[R::Intero] = &intero;
    return ColumnLine(kSummaryColumns, kSummaryColumnCount, fields);
}

QString FormatTotal(qint64 tenThousandths) {
    const bool negative = tenThousandths < 0;
    // Work on the magnitude as unsigned so that the most negative value has one too.
    const quint64 magnitude = negative ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    QString text = QString::number(magnitude / 10000);
    QString decimals = QString::number(magnitude % 10000).rightJustified(4, u'0');
    while (decimals.endsWith(u'0'))
        decimals.chop(1);
    // At least two decimals: no decimals get ",00", a single one gets a trailing "0".
    while (decimals.size() < 2)
        decimals.append(u'0');
    text += u',' + decimals;
    return negative ? u'-' + text : text;
}

QString IntervalText(const QString& start, const QString& end) {
    return QStringLiteral("Dal   ") + TrimText(start) + QStringLiteral("   al   ") + TrimText(end);
}

QString SummaryRows::at(qsizetype i) const {
    const qsizetype b = Begin(i);
    return FromWin1252(m_bytes.constData() + b, int(m_ends.at(i) - b));
}

QStringList SummaryRows::ToStringList() const {
    QStringList out;
    out.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        out.append(at(i));
    return out;
}

void SummaryRows::Reserve(qsizetype rows, qsizetype bytes) {
    m_ends.reserve(rows);
    m_bytes.reserve(bytes);
}

TakingsSummary BuildTakingsSummary(const QString& path, const QString& payer, const QString& reason, const QDate& start,
                                   const QDate& end) {
    TakingsSummary out;
    ReceiptFile file;
    if (!file.OpenOrCreate(path)) {
        out.complete = false;
        out.fileOpened = false;
        return out;
    }
    const auto& layout = ReceiptRecord::Layout();
    const FieldSpec& fData = layout[ReceiptField::Data];
    const FieldSpec& fIntero = layout[ReceiptField::Intero];
    const RecordMatcher matcher({layout[ReceiptField::Pagatore], layout[ReceiptField::Sport]}, {payer, reason});
    const int from = DateKey(start), to = DateKey(end);
    const qint64 count = file.RecordCount();
    if (count < 0 || from < 0 || to < 0) {
        out.complete = false;
        out.stopPosition = count < 0 ? 1 : 0;
        file.Close();
        return out;
    }
    const qint64 expected = qMin<qint64>(count, 1 << 24);
    // Without a filter most receipts are listed: room for them all (a typical line is under 160
    // characters; more is made if need be). With one, the rows grow as they are found.
    const bool unfiltered = ActiveFilters(payer, reason) == 0;
    out.rows.Reserve(unfiltered ? expected : 0, unfiltered ? expected * 160 : 0);
    out.positions.reserve(unfiltered ? expected : 0);

    const ColumnLineBuilder rowLine(kSummaryColumns, kSummaryColumnCount, layout);
    QString intero;
    qint64 visited = 0; // records handed over so far
    qint64 stopAt = 0;  // 1-based position of the receipt that stopped the listing
    const bool read = file.Raw().Scan([&](qint64 index, const char* rec) {
        visited = index + 1;
        if (!matcher.Matches(rec))
            return true;
        if (BlankField(rec + fIntero.offset, fIntero.width))
            return true;
        const int day = StoredDateKey(rec + fData.offset, fData.width);
        if (day < 0) {
            stopAt = index + 1;
            return false;
        }
        if (day < from || day > to)
            return true;
        DecodeFieldInto(rec + fIntero.offset, fIntero.width, intero);
        const std::optional<qint64> amount = ParseAmountText(intero);
        if (!amount || __builtin_add_overflow(out.total, *amount, &out.total)) {
            stopAt = index + 1;
            return false;
        }
        // The row comes straight from the stored bytes, as SummaryRow would build it from the texts.
        out.rows.AppendWith([&](QByteArray& bytes) { rowLine.AppendLineBytes(rec, bytes); });
        out.positions.append(index);
        return true;
    });
    if (stopAt > 0) {
        out.complete = false;
        out.stopPosition = stopAt;
        QByteArray raw;
        if (file.Raw().ReadRaw(stopAt - 1, raw))
            out.stopNumber =
                DecodeField(raw.constData() + layout[ReceiptField::NumRic].offset, layout[ReceiptField::NumRic].width);
    } else if (!read || visited < count) {
        // A block could not be read, or the file shrank while it was read.
        out.complete = false;
        out.stopPosition = visited + 1;
    }
    file.Close();
    return out;
}
