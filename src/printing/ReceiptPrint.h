#pragma once
// What the receipt print and preview windows share: the print sequence of the receipt on the editor's
// screen, its PDF name and its warnings.
#include "printing/ReceiptLayout.h"
#include "report/ReportTemplate.h"
#include <QImage>
#include <QString>
#include <optional>

class Carvenna;
class QWidget;
struct ReceiptRecord;

/// The warning shown when filling, preparing, previewing or printing the receipt fails.
QString ReceiptPrintWarning();

/// The warning when a print went out but could not be noted in the print journal.
QString PrintNotNoted();
/// The same for a job of many receipts.
QString PrintsNotNoted();

/// The PDF file proposed for receipt `number` of the archive `yearFile`:
/// "Ricevuta_<year>_<number on 5 digits>.pdf".
QString ReceiptPdfName(const QString& number, const QString& yearFile);

/// The whole print (or preview) of the receipt shown in the editor: portrait page, fill, prepare, then
/// the print dialog or the preview. Any failure shows the warning; cancelling the dialog shows nothing.
/// A stored receipt whose texts were printed before is marked DUPLICATO (in the preview too); a print
/// that went out is noted in the year's print journal.
/// `rep` is null when the window could not load its template.
void RunReceiptPrint(Carvenna& app, report::ReportTemplate* rep, const QImage& logo, bool preview, QWidget* window);
