#pragma once
// Paints prepared pages onto any paged device (QPdfWriter, QPrinter) or onto an image.
#include "report/PreparedReport.h"
#include <QImage>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <functional>

class QPainter;
class QPagedPaintDevice;

namespace report {

/// The paper of `page` as a page layout without margins, in full-page mode: the prepared positions
/// are measured from the paper's corner.
QPageLayout PageLayoutOf(const PreparedPage& page);

/// Paints one page with `painter`, whose device has `dpiX` x `dpiY` dots per inch and whose origin is the
/// paper's top-left corner. Fonts are sized from the device's own resolution.
void PaintPage(const PreparedPage& page, QPainter& painter, double dpiX, double dpiY);

/// Told after each painted page: pages done and pages to paint in all.
using PaintProgress = std::function<void(int done, int total)>;

/// Paints pages `fromPage` to `toPage` (1-based, inclusive; 0 for "to the last") onto `device`, one device
/// page each, setting the device's page layout from the prepared paper first. `progress`, when given, is
/// told after each page.
bool PaintReport(const PreparedReport& report, QPagedPaintDevice& device, QString* error = nullptr, int fromPage = 1,
                 int toPage = 0, const PaintProgress& progress = {});

/// Writes the whole report to a PDF file.
bool SavePdf(const PreparedReport& report, const QString& path, QString* error = nullptr, int resolution = 1200);

/// A PDF file name made of `parts` joined by '_' (empty parts left out), each part's blanks and the
/// characters that file systems refuse turned into '_': {"Ricevuta", "2026", "00127"} gives
/// "Ricevuta_2026_00127.pdf". "Stampa.pdf" when every part is empty.
QString PdfFileName(const QStringList& parts);

/// The file name proposed for printing `report` to PDF: its own `fileName`, else one made of its name.
QString ProposedFileName(const PreparedReport& report);

/// `image` without transparency: composed onto `background` (white paper unless the picture sits on a
/// filled box). Printers' PostScript path rasterises whole pages that hold soft-masked pictures, so no
/// picture reaches a page with an alpha channel.
QImage Flattened(const QImage& image, const QColor& background = Qt::white);

/// One page as a white image at `dpi`.
QImage RenderPage(const PreparedReport& report, int pageIndex, double dpi = 96);

} // namespace report
