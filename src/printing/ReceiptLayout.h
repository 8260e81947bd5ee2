#pragma once
// The receipt's layout and filling, for the single print of the editor's receipt and the print of many
// stored receipts alike: the template, the logo, the texts of both copies and the duplicate mark.
#include "report/ReportTemplate.h"
#include "storage/ReceiptFile.h"
#include <QImage>
#include <QString>
#include <optional>

/// The receipt template, two copies on one A4 sheet. Each window loads its own copy.
std::optional<report::ReportTemplate> LoadReceiptTemplate(QString* error = nullptr);

/// The picture of `path` (Logo.bmp of the program folder), or a null image when it cannot be read.
QImage ReadLogo(const QString& path);

/// The logo printed on receipts: Logo.bmp of `programFolder`, or the built-in logo when it cannot be read.
QImage ReceiptLogo(const QString& programFolder);

/// Fills both copies of the receipt template `rep` from `r` and `logo`: the one rule of what each text
/// of a printed receipt shows, for a stored receipt and for the editor's screen alike. The child's tax
/// code, when known, follows the child's name.
bool FillReceiptRecord(report::ReportTemplate& rep, const ReceiptRecord& r, const QImage& logo,
                       QString* error = nullptr, const QString& childTaxCode = QString());

/// Fills only the texts of both copies from `r`, leaving the logo as it is.
bool FillReceiptTexts(report::ReportTemplate& rep, const ReceiptRecord& r, QString* error = nullptr,
                      const QString& childTaxCode = QString());

/// The child as the receipt prints it: "Rossi Luca - C.F. RSSLCU24C12H501K", or the name alone.
QString ReceiptChildText(const QString& child, const QString& childTaxCode);

/// Writes "DUPLICATO" into the free space of both copies when `duplicate`, else leaves it empty.
/// A batch print of many receipts calls it after FillReceiptRecord for each one.
bool MarkReceiptDuplicate(report::ReportTemplate& rep, bool duplicate, QString* error = nullptr);

/// The text of the duplicate mark.
QString DuplicateMarkText();

