#pragma once
// The printed statement of one payer and child: the school's heading and logo, the payer and the
// child, the receipts of the year with their methods, the totals, place, date and signature.
// Several statements are prepared one by one and joined into one document.
#include "report/PreparedReport.h"
#include "summary/Statements.h"
#include <QDate>
#include <QImage>
#include <QStringList>
#include <optional>

/// What every statement of one print shares.
struct StatementHeading {
    int year = 0;
    QStringList receiver; // the school's receiver lines, as on the receipts
    QImage logo;
    QString place; // blank: a line is left to write it by hand
    QDate date;
};

/// The statement template. Each window loads its own copy.
std::optional<report::ReportTemplate> LoadStatementTemplate(QString* error = nullptr);

/// The statement title: "Attestazione dei pagamenti ricevuti nell'anno <year>".
QString StatementTitle(int year);

/// Fills `rep` with the statement of `g`; fails when the template lacks one of its objects.
bool FillStatement(report::ReportTemplate& rep, const StatementHeading& h, const StatementGroup& g,
                   QString* error = nullptr);

/// Prepares the statements of `groups` in order and joins their pages into `out`, each statement
/// starting on a page of its own.
bool PrepareStatements(report::ReportTemplate& rep, const StatementHeading& h, const QVector<StatementGroup>& groups,
                       report::PreparedReport& out, QString* error = nullptr);
