#include "einvoice/StampDuty.h"
#include "einvoice/Invoice.h"
#include <QFile>

QString StampTaxCode(int quarter) {
    return QString::number(2520 + quarter);
}

QDate StampDeadline(int year, int quarter) {
    switch (quarter) {
    case 1:
        return QDate(year, 5, 31);
    case 2:
        return QDate(year, 9, 30);
    case 3:
        return QDate(year, 11, 30);
    default:
        return QDate(year + 1, 3, 1).addDays(-1);
    }
}

namespace {
bool HasVirtualStamp(const RegisterEntry& e, const QString& invoiceFolder) {
    if (!e.bollo.isEmpty())
        return e.bollo == QLatin1String("SI");
    QFile f(invoiceFolder + e.file);
    return f.open(QIODevice::ReadOnly) && f.readAll().contains("<BolloVirtuale>SI</BolloVirtuale>");
}
} // namespace

QVector<StampQuarter> StampDutyQuarters(const QVector<RegisterEntry>& reg, int year, const QString& invoiceFolder) {
    QVector<StampQuarter> out(4);
    for (int q = 0; q < 4; ++q) {
        out[q].quarter = q + 1;
        out[q].taxCode = StampTaxCode(q + 1);
        out[q].deadline = StampDeadline(year, q + 1);
    }
    for (const RegisterEntry& e : reg) {
        const QDate d = e.Date();
        if (d.year() != year || IsRejectedState(e.stato) || !HasVirtualStamp(e, invoiceFolder))
            continue;
        StampQuarter& q = out[(d.month() - 1) / 3];
        q.documents << e;
        q.dueCents += StampCents;
    }
    return out;
}
