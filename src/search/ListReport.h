#pragma once
// The list print shared by the search and expiry windows: a title strip, the list lines one per
// printed line in a fixed-pitch font, and a strip with the date and time of printing after them.
#include "report/ReportTemplate.h"
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

/// Height of one list line in the printed memo, in template units.
inline constexpr double ListLinePitch = 12.822;

/// The list template ("Riepilogo dati"). Each list window loads its own copy.
std::optional<report::ReportTemplate> LoadListTemplate(QString* error = nullptr);

/// "Stampa eseguita in data dd/mm/yyyy alle ore hh:mm:ss".
QString ListPrintStamp(const QDateTime& now);

/// Fills the list template for one print: the title, the stamp, every line in order, then the heights of
/// the list memo (lines x pitch) and of its band (memo + 10). Everything is set again at each call.
bool FillListReport(report::ReportTemplate& rep, const QString& title, const QString& stamp, const QStringList& lines,
                    QString* error = nullptr);
