#include "storage/Dates.h"

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

QDate ParseDate(const QString& text) {
    if (text.size() != 10 || text.at(2) != u'/' || text.at(5) != u'/')
        return {};
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (text.at(i) < u'0' || text.at(i) > u'9')
            return {};
    // Digits read in place: scans of whole years parse three dates a receipt.
    const auto digit = [&](int i) { return text.at(i).unicode() - u'0'; };
    const int d = digit(0) * 10 + digit(1);
    const int m = digit(3) * 10 + digit(4);
    const int y = digit(6) * 1000 + digit(7) * 100 + digit(8) * 10 + digit(9);
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1)
        return {};
    const int last = days[m - 1] + ((m == 2 && IsLeapYear(y)) ? 1 : 0);
    if (d > last)
        return {};
    return QDate(y, m, d);
}

QString FormatDate(const QDate& d) {
    if (!d.isValid())
        return {};
    return QStringLiteral("%1/%2/%3")
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.year(), 4, 10, QLatin1Char('0'));
}

bool IsValidDate(const QString& text) { return ParseDate(text).isValid(); }

const QStringList& ItalianMonthNames() {
    static const QStringList names = {
        QStringLiteral("Gennaio"), QStringLiteral("Febbraio"), QStringLiteral("Marzo"),
        QStringLiteral("Aprile"),  QStringLiteral("Maggio"),   QStringLiteral("Giugno"),
        QStringLiteral("Luglio"),  QStringLiteral("Agosto"),   QStringLiteral("Settembre"),
        QStringLiteral("Ottobre"), QStringLiteral("Novembre"), QStringLiteral("Dicembre")};
    return names;
}

QString ItalianMonthName(int month) {
    return month >= 1 && month <= 12 ? ItalianMonthNames().at(month - 1) : QString();
}
