#pragma once
// The output of preparing a template: pages of positioned objects, ready to be painted onto a
// printer, a PDF writer or an image, and read back by tests.
#include "report/ReportTemplate.h"
#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <vector>

namespace report {

/// One object placed on an output page. `object.rect` is in template units from the paper's top-left
/// corner; a memo split across pages carries only the lines printed on this page.
struct PreparedItem {
    ReportObject object;
    QRectF clip;         // visible part of the object on this page
    double textTop = -1; // y of the first line for split memos; negative: placed by the memo's alignment
};

struct PreparedPage {
    double paperWidthMm = 210; // in `orientation`
    double paperHeightMm = 297;
    int paperSizeCode = 9;
    Orientation orientation = Orientation::Portrait;
    std::vector<PreparedItem> items;

    QSizeF PaperSize() const { return {paperWidthMm * UnitsPerMm, paperHeightMm * UnitsPerMm}; }
};

class PreparedReport {
public:
    QString name;
    QString fileName; // proposed PDF file name without folder; empty: derived from `name`
    PreviewSettings preview;
    PrintSettings print;
    std::vector<PreparedPage> pages;

    int PageCount() const { return int(pages.size()); }
};

/// The font a memo asks for, sized in points (three quarters of its pixel height at 96 dpi), so that any
/// device with a true resolution prints it at its real size.
QFont MakeFont(const ReportFont& font);
/// Distance between two printed lines of `font`, in template units, the same on every device.
double LinePitch(const ReportFont& font);
/// Distance between two printed lines of memo `o`: its own line pitch when the template gives one
/// (the list memo, whose height the program computes per line), otherwise its font's.
double MemoPitch(const ReportObject& o);
/// Height above the baseline of `font`, in template units.
double LineAscent(const ReportFont& font);

/// Lays out `tmpl`'s report pages into output pages: objects of band-less pages at their stored
/// positions; bands stacked (title on the first page, master data rows, footer after the last row)
/// and a band that does not fit split between text lines onto the next page.
bool PrepareReport(const ReportTemplate& tmpl, PreparedReport& out, QString* error = nullptr);

} // namespace report
