#pragma once
// The virtual stamp duty of the electronic documents, paid per quarter with form F24: for each quarter
// of a year, the documents that carry it, their count, the amount due, the tax code and the deadline.
#include "einvoice/InvoiceFiles.h"
#include <QDate>
#include <QString>
#include <QVector>

struct StampQuarter {
    int quarter = 0;    // 1 to 4
    QString taxCode;    // F24 code: 2521 to 2524
    QDate deadline;     // payment deadline
    QVector<RegisterEntry> documents; // with virtual stamp duty, in register order
    qint64 dueCents = 0;
};

/// The F24 code and the deadline of `quarter` of `year`: 31 May, 30 September, 30 November of the year,
/// end of February of the next one.
QString StampTaxCode(int quarter);
QDate StampDeadline(int year, int quarter);

/// The four quarters of `year`. A document counts when it carries virtual stamp duty (the register's
/// column, or for older lines its file in `invoiceFolder`) and was not rejected by the exchange system.
QVector<StampQuarter> StampDutyQuarters(const QVector<RegisterEntry>& reg, int year, const QString& invoiceFolder);
