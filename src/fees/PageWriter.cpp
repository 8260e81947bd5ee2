#include "fees/PageWriter.h"
#include <QFontMetricsF>
#include <QImage>

using namespace report;

namespace {
constexpr double kMarginMm = 20;
constexpr double kPageHeightMm = 297;

double Mm(double mm) {
    return mm * UnitsPerMm;
}

ReportFont FontOf(double points, bool bold) {
    ReportFont f;
    f.height = -points / 0.75;
    f.bold = bold;
    return f;
}

// Metrics in template units: an image device at 96 dots per inch.
double TextWidth(const QString& text, const ReportFont& font) {
    static QImage device = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(3780);
        i.setDotsPerMeterY(3780);
        return i;
    }();
    return QFontMetricsF(MakeFont(font), &device).horizontalAdvance(text);
}
} // namespace

PageWriter::PageWriter(PreparedReport& out) : m_out(out) {}

PreparedPage& PageWriter::Page() {
    if (!m_open) {
        m_out.pages.emplace_back();
        m_y = Mm(kMarginMm);
        m_open = true;
    }
    return m_out.pages.back();
}

void PageWriter::Need(double units) {
    Page();
    if (m_y + units > Mm(kPageHeightMm - kMarginMm) && !m_out.pages.back().items.empty()) {
        m_open = false;
        Page();
    }
}

ReportObject PageWriter::Memo(const QRectF& rect, const QString& text, double points, bool bold) const {
    ReportObject o;
    o.kind = ObjectKind::Memo;
    o.rect = rect;
    o.font = FontOf(points, bold);
    o.gapX = 0;
    o.gapY = 0;
    o.lines = QStringList{text};
    return o;
}

void PageWriter::Line(const QString& text, double points, bool bold, HAlign align) {
    const double pitch = LinePitch(FontOf(points, bold));
    Need(pitch);
    ReportObject o = Memo(QRectF(Mm(kMarginMm), m_y, Mm(WidthMm()), pitch), text, points, bold);
    o.hAlign = align;
    Page().items.push_back({o, o.rect, -1});
    m_y += pitch;
}

void PageWriter::Paragraph(const QString& text, double points, bool bold) {
    const ReportFont font = FontOf(points, bold);
    // Measured on screen metrics, printed on the device's: a margin keeps a long line inside the page.
    const double width = Mm(WidthMm()) * 0.9;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + u' ' + word;
        if (!line.isEmpty() && TextWidth(longer, font) > width) {
            Line(line, points, bold);
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty())
        Line(line, points, bold);
}

void PageWriter::Row(const QStringList& cells, const QVector<double>& widthsMm, const QVector<HAlign>& aligns,
                     bool bold, bool shaded, double points) {
    const double pitch = LinePitch(FontOf(points, bold)) + Mm(1);
    Need(pitch);
    PreparedPage& page = Page();
    if (shaded) {
        ReportObject band;
        band.kind = ObjectKind::Shape;
        band.rect = QRectF(Mm(kMarginMm), m_y, Mm(WidthMm()), pitch);
        band.fill = QColor(0xEE, 0xF3, 0xF9);
        band.frame = QColor(0xEE, 0xF3, 0xF9);
        page.items.push_back({band, band.rect, -1});
    }
    double x = Mm(kMarginMm);
    for (int i = 0; i < cells.size() && i < widthsMm.size(); ++i) {
        ReportObject o = Memo(QRectF(x, m_y + Mm(0.5), Mm(widthsMm[i]), pitch - Mm(0.5)), cells[i], points, bold);
        o.gapX = Mm(1);
        o.hAlign = aligns.value(i, HAlign::Left);
        page.items.push_back({o, o.rect, -1});
        x += Mm(widthsMm[i]);
    }
    m_y += pitch;
}

void PageWriter::Rule() {
    Need(Mm(2));
    ReportObject o;
    o.kind = ObjectKind::Line;
    o.rect = QRectF(Mm(kMarginMm), m_y + Mm(1), Mm(WidthMm()), 0);
    o.frame = QColor(0x80, 0x80, 0x80);
    Page().items.push_back({o, o.rect.adjusted(0, -1, 0, 1), -1});
    m_y += Mm(2);
}

void PageWriter::Space(double mm) {
    Page();
    m_y += Mm(mm);
}

void PageWriter::Picture(const QImage& image, double xMm, double sizeMm) {
    Need(Mm(sizeMm));
    ReportObject o;
    o.kind = ObjectKind::Picture;
    o.rect = QRectF(Mm(kMarginMm + xMm), m_y, Mm(sizeMm), Mm(sizeMm));
    o.image = image;
    o.center = true;
    Page().items.push_back({o, o.rect, -1});
    m_y += Mm(sizeMm);
}

void PageWriter::NewPage() {
    if (m_open && !m_out.pages.back().items.empty())
        m_open = false;
}

void PageWriter::Keep(double mm) {
    Need(Mm(mm));
}
