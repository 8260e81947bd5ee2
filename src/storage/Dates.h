#pragma once
// Dates as the program shows and stores them: strict dd/mm/yyyy.
#include <QDate>
#include <QString>
#include <QStringList>

/// True for years divisible by 4 and not by 100, or divisible by 400.
bool IsLeapYear(int year);
/// Parses exactly dd/mm/yyyy (two digits, two digits, four digits); an invalid or loose text gives an invalid QDate.
QDate ParseDate(const QString& text);
/// Formats as dd/mm/yyyy.
QString FormatDate(const QDate& d);
/// True when `text` is exactly dd/mm/yyyy and names a day that exists.
bool IsValidDate(const QString& text);

/// The Italian month names, "Gennaio" to "Dicembre": the one list for every window and print.
const QStringList& ItalianMonthNames();
/// The name of `month` (1 to 12) as the list has it; empty for any other number.
QString ItalianMonthName(int month);
