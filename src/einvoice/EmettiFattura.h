#pragma once
// Electronic invoices from the receipt windows. Both entry points read the receipts from the yearly
// archive by position, find each payer's name and address (the registry card with the receipt's tax
// code, or what the office typed once), ask before invoicing a receipt a second time, write the files
// into FatturaPA and say what was written, refused or spelled differently.
#include <QList>
#include <QString>

class Carvenna;
class QWidget;

/// The invoice of the stored receipt at `position` (1-based) of `yearFile`; afterwards offers the
/// courtesy copy. True when the file was written.
bool EmettiFatturaRicevuta(Carvenna& app, QWidget* parent, const QString& yearFile, qint64 position);

/// One invoice for each receipt at `positions` of `yearFile` (a month's list). Returns the number of
/// files written.
int EmettiFatture(Carvenna& app, QWidget* parent, const QString& yearFile, const QList<qint64>& positions);

/// Prints the courtesy copy of the invoice last written for the receipt at `position` of `yearFile`
/// (found in the register). False when there is none or printing failed.
bool StampaCopiaCortesia(Carvenna& app, QWidget* parent, const QString& yearFile, qint64 position);
