#pragma once
// What the receipt print and preview windows share: the template, the logo, the filling of both
// copies from the receipt editor and the print sequence with its one warning.
#include "report/ReportTemplate.h"
#include <QImage>
#include <QString>
#include <optional>

class Carvenna;
class QWidget;
namespace Ui {
class TfrmRicevuta;
}

/// The warning shown when filling, preparing, previewing or printing the receipt fails.
QString ReceiptPrintWarning();

/// The receipt template, two copies on one A4 sheet. Each window loads its own copy.
std::optional<report::ReportTemplate> LoadReceiptTemplate(QString* error = nullptr);

/// The picture of `path` (Logo.bmp of the program folder), or a null image when it cannot be read.
QImage ReadLogo(const QString& path);

/// Fills both copies of `rep` with `logo` and the trimmed texts of the receipt editor's controls, as a
/// stored receipt is filled (FillReceiptRecord). Stops at the first object the template lacks.
bool FillReceipt(report::ReportTemplate& rep, const Ui::TfrmRicevuta& editor, const QImage& logo,
                 QString* error = nullptr);

/// Writes "DUPLICATO" into the free space of both copies when `duplicate`, else leaves it empty.
/// A batch print of many receipts calls it after FillReceipt for each one.
bool MarkReceiptDuplicate(report::ReportTemplate& rep, bool duplicate, QString* error = nullptr);

/// The text of the duplicate mark.
QString DuplicateMarkText();

/// The warning when a print went out but could not be noted in the print journal.
QString PrintNotNoted();
/// The same for a job of many receipts.
QString PrintsNotNoted();

/// The PDF file proposed for the receipt in the editor: "Ricevuta_<year>_<number on 5 digits>.pdf".
QString ReceiptPdfName(const Ui::TfrmRicevuta& editor);

/// The whole print (or preview) of the receipt shown in the editor: portrait page, fill, prepare, then
/// the print dialog or the preview. Any failure shows the warning; cancelling the dialog shows nothing.
/// A stored receipt whose texts were printed before is marked DUPLICATO (in the preview too); a print
/// that went out is noted in the year's print journal.
/// `rep` is null when the window could not load its template.
void RunReceiptPrint(Carvenna& app, report::ReportTemplate* rep, const QImage& logo, bool preview, QWidget* window);
