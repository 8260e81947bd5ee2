#pragma once
// The school as the receipts, letters and accounts name it: the receiver lines kept in the settings
// file, or, when none is filled in, the school's data from "Dati fiscali". One rule for every document,
// so that no receipt issued in a batch and no letter goes out without the school.
#include <QStringList>

struct FiscalData;

/// The four lines that name the school: `kept` (the receiver lines of the settings) when any of them
/// holds text, else the school's name, address, town and tax code / VAT number from `fiscal`; always
/// four entries, blank ones kept, each trimmed. All four blank when neither is filled in.
QStringList SchoolLines(const QStringList& kept, const FiscalData& fiscal);

/// The same, read from the settings file at `settingsPath`.
QStringList SchoolLines(const QString& settingsPath);

/// Whether closing the receipt editor writes the receiver lines it shows (`shown`) into the settings,
/// where `kept` are the lines kept there: never all blank ones, and not the school's data shown in
/// place of no kept lines (they follow "Dati fiscali" by themselves), else yes.
bool KeepShownReceiverLines(const QStringList& kept, const QStringList& shown, const FiscalData& fiscal);
