#pragma once
// The takings summary as a rule: which receipts of a year pass the interval and the payer and
// reason filters, the line each one shows, and the exact total of their amounts.
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

/// What a scan of the yearly file gives.
struct TakingsSummary {
    QStringList rows; // one per listed receipt, in file order
    QVector<qint64> positions; // the 0-based record index of each row's receipt, for the export
    qint64 total = 0; // exact sum of the listed amounts, in ten-thousandths of a euro
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
