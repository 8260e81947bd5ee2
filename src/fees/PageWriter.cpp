#include "fees/PageWriter.h"
#include <QFontMetricsF>
#include <QHash>
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

// Metrics in template units: an image device at 96 dots per inch. The metrics of each size and weight
// are made once: paragraphs measure every word, and a batch of documents lays out thousands of them.
double TextWidth(const QString& text, const ReportFont& font) {
    static QImage device = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(3780);
        i.setDotsPerMeterY(3780);
        return i;
    }();
    static QHash<QPair<double, bool>, QFontMetricsF> metrics;
    const QPair<double, bool> key{font.height, font.bold};
    auto it = metrics.find(key);
    if (it == metrics.end())
        it = metrics.insert(key, QFontMetricsF(MakeFont(font), &device));
    return it->horizontalAdvance(text);
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
        if (cells[i].isEmpty()) { // nothing to print: no object to paint
            x += Mm(widthsMm[i]);
            continue;
        }
        ReportObject o = Memo(QRectF(x, m_y + Mm(0.5), Mm(widthsMm[i]), pitch - Mm(0.5)), cells[i], points, bold);
        o.gapX = Mm(1);
        o.hAlign = aligns.value(i, HAlign::Left);
        page.items.push_back({o, o.rect, -1});
        x += Mm(widthsMm[i]);
    }
    m_y += pitch;
}

void PageWriter::WrappedRow(const QStringList& cells, const QVector<double>& widthsMm,
                            const QVector<HAlign>& aligns, int wrap, double points) {
    const ReportFont font = FontOf(points, false);
    // The cell's inner width (its gaps left out), with the same margin as Paragraph for the printer's metrics.
    const double width = (Mm(widthsMm.value(wrap)) - 2 * Mm(1)) * 0.9;
    QStringList lines;
    QString line;
    const auto push = [&](const QString& word) {
        const QString longer = line.isEmpty() ? word : line + u' ' + word;
        if (line.isEmpty() || TextWidth(longer, font) <= width) {
            line = longer;
            return;
        }
        lines << line;
        line = word;
    };
    for (QString word : cells.value(wrap).split(u' ', Qt::SkipEmptyParts)) {
        // A word wider than the cell goes in pieces that fit.
        while (TextWidth(word, font) > width && word.size() > 1) {
            int n = word.size() - 1;
            while (n > 1 && TextWidth(word.left(n), font) > width)
                --n;
            push(word.left(n));
            lines << line;
            line.clear();
            word = word.mid(n);
        }
        push(word);
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    QStringList first = cells;
    first[wrap] = lines.first();
    Row(first, widthsMm, aligns, false, false, points);
    for (int i = 1; i < lines.size(); ++i) {
        QStringList more;
        for (int c = 0; c < cells.size(); ++c)
            more << (c == wrap ? lines[i] : QString());
        Row(more, widthsMm, aligns, false, false, points);
    }
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
