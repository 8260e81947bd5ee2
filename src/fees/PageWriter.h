#pragma once
// Documents laid out in code rather than from a template: the family account and the reminder
// letters. Lines of text, table rows in columns, wrapped paragraphs and pictures are placed from the
// top of an A4 page down, and a new page starts when the next piece does not fit.
#include "report/PreparedReport.h"
#include <QImage>
#include <QStringList>
#include <QVector>

class PageWriter {
public:
    /// Writes into `out`, appending pages to those it has.
    explicit PageWriter(report::PreparedReport& out);

    /// One line across the text width.
    void Line(const QString& text, double points = 10, bool bold = false,
              report::HAlign align = report::HAlign::Left);
    /// A paragraph wrapped at word boundaries to the text width.
    void Paragraph(const QString& text, double points = 10, bool bold = false);
    /// One row of a table: `cells` in columns of `widthsMm` (from the left margin), each with its
    /// alignment; a grey band behind it when `shaded`.
    void Row(const QStringList& cells, const QVector<double>& widthsMm, const QVector<report::HAlign>& aligns,
             bool bold = false, bool shaded = false, double points = 9);
    /// Row, with the text of column `wrap` wrapped at word boundaries to its width (a word too long for
    /// it is cut into pieces): the other cells on the first line, that column's further lines below.
    void WrappedRow(const QStringList& cells, const QVector<double>& widthsMm, const QVector<report::HAlign>& aligns,
                    int wrap, double points = 9);
    /// A thin rule across the text width.
    void Rule();
    /// Empty space.
    void Space(double mm);
    /// A picture `sizeMm` wide and high at `xMm` from the left margin, its top at the current line.
    void Picture(const QImage& image, double xMm, double sizeMm);
    /// Starts a new page (nothing happens on a page that has nothing yet).
    void NewPage();
    /// Starts a new page when fewer than `mm` are left on this one.
    void Keep(double mm);
    /// Text width in millimetres.
    static double WidthMm() { return 170; }

private:
    report::PreparedPage& Page();
    void Need(double units);
    report::ReportObject Memo(const QRectF& rect, const QString& text, double points, bool bold) const;
    report::PreparedReport& m_out;
    double m_y = 0; // template units from the paper's top
    bool m_open = false;
};
