#pragma once
// Which card field each column of an imported sheet holds, guessed from its header.
#include "storage/RegistryFile.h"
#include <QStringList>
#include <QVector>

/// The card fields a column can fill: the 26 fields of the editor (the attachments are not imported).
constexpr int kImportFieldCount = RegistryField::File01;
constexpr int kNoField = -1;
/// The column of the children's tax codes, kept beside the registry rather than in the card.
constexpr int kChildTaxCodeColumn = 100;
/// "Codice fiscale minore": the caption of that column's choice.
QString ChildTaxCodeCaption();
/// For each header cell, the card field it most likely holds (kNoField when none). The editor's own
/// labels and common variants are recognised, without regard to case, accents and punctuation; an
/// unqualified "Data di nascita" or "Luogo di nascita" goes to the parent first and to the child the
/// second time. Several columns may fill one field ("Cognome" and "Nome"): their texts are joined.
QVector<int> GuessMapping(const QStringList& header);
