#pragma once
// The takings summary as a rule: which receipts of a year pass the interval and the payer and
// reason filters, the line each one shows, and the exact total of their amounts.
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

/// Number of active filters: each of the two whose trimmed text is not empty counts one.
int ActiveFilters(const QString& payer, const QString& reason);

/// The list line of one receipt: fixed-width columns of number, issue date, payer, reason, period and
/// the whole amount, which is never cut.
QString SummaryRow(const QString& numRic, const QString& data, const QString& pagatore, const QString& sport,
                   const QString& dal, const QString& al, const QString& intero);

/// A total in ten-thousandths of a euro as the summary shows it: shortest decimal form with ','
/// and at least two decimals (150 gives "150,00", 12.5 gives "12,50", 1.2345 gives "1,2345").
QString FormatTotal(qint64 tenThousandths);

/// The stored dd/mm/yyyy date field at `field` (length byte first) as yyyymmdd, or -1 when it is not a
/// valid date. Works on the stored bytes: the form allows only ASCII digits and '/'.
int StoredDateKey(const char* field, int width);

/// The interval label: "Dal   <start>   al   <end>".
QString IntervalText(const QString& start, const QString& end);

/// The rows of a summary, kept as the Windows-1252 bytes of each line one after the other: a year's
/// rows are two blocks instead of 100,000 strings, and a line becomes text only when it is asked for
/// (a list shows a screenful at a time). Read like a list of texts.
class SummaryRows {
public:
    qsizetype size() const { return m_ends.size(); }
    bool isEmpty() const { return m_ends.isEmpty(); }
    /// Row `i` as text.
    QString at(qsizetype i) const;
    QString operator[](qsizetype i) const { return at(i); }
    QString first() const { return at(0); }
    /// The characters of row `i` (one a byte).
    qsizetype Length(qsizetype i) const { return m_ends.at(i) - Begin(i); }
    /// Every row as text.
    QStringList ToStringList() const;
    operator QStringList() const { return ToStringList(); }
    /// Appends the row that `write(bytes)` appends to the rows' bytes, without a copy between.
    template <class Write> void AppendWith(const Write& write) {
        write(m_bytes);
        m_ends.append(m_bytes.size());
    }
    void Reserve(qsizetype rows, qsizetype bytes);

    class const_iterator {
    public:
        const_iterator(const SummaryRows* rows, qsizetype i) : m_rows(rows), m_i(i) {}
        QString operator*() const { return m_rows->at(m_i); }
        const_iterator& operator++() {
            ++m_i;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return m_i != o.m_i; }

    private:
        const SummaryRows* m_rows;
        qsizetype m_i;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    qsizetype Begin(qsizetype i) const { return i == 0 ? 0 : m_ends.at(i - 1); }
    QByteArray m_bytes;
    QVector<qsizetype> m_ends;
};

/// What a scan of the yearly file gives.
struct TakingsSummary {
    SummaryRows rows;          // one per listed receipt, in file order
    QVector<qint64> positions; // the 0-based record index of each row's receipt, for the export
    qint64 total = 0;          // exact sum of the listed amounts, in ten-thousandths of a euro
    bool complete = true;
    bool fileOpened = true;  // false: the file could be neither opened nor created
    qint64 stopPosition = 0; // 1-based position of the receipt that stopped the listing (0: none)
    QString stopNumber;      // its trimmed NumRic
};

/// Reads the yearly receipt file `path` (created empty when missing) and lists every receipt with a
/// non-blank amount whose issue date lies in [start, end] and that matches the filters. Filters are
/// matched as typed, letters A-Z folded to lower case; a blank-only filter is not counted as active
/// but still scores when its blanks occur. A receipt whose date or amount cannot be read, or a
/// failed read, stops the listing: `complete` is false and the rows found so far stay.
TakingsSummary BuildTakingsSummary(const QString& path, const QString& payer, const QString& reason, const QDate& start,
                                   const QDate& end);
