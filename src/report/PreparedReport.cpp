#include "report/PreparedReport.h"
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace report {

namespace {

// Metrics are taken at a large pixel size, where hinting no longer rounds them, and scaled down:
// the same pitch then holds on screen, in a PDF and on paper, and preparation does not depend on
// the device the pages will be painted on.
constexpr int MetricsPixelSize = 1000;

QFontMetricsF ReferenceMetrics(const ReportFont& font) {
    QFont f = MakeFont(font);
    f.setPixelSize(MetricsPixelSize);
    return QFontMetricsF(f);
}

double FontPixels(const ReportFont& font) {
    return font.height < 0 ? -font.height : font.height;
}

struct LineSpan {
    double top, bottom; // band-relative
};

// Printed text lines of the memos in a band, as band-relative spans: a band may only be split
// outside them.
std::vector<LineSpan> TextLines(const ReportObject& band) {
    std::vector<LineSpan> spans;
    for (const ReportObject& o : band.children) {
        if (o.kind != ObjectKind::Memo || o.lines.isEmpty())
            continue;
        const double pitch = MemoPitch(o);
        for (int i = 0; i < o.lines.size(); ++i) {
            const double top = o.rect.top() + o.gapY + i * pitch;
            if (top >= o.rect.bottom())
                break; // clipped away by the memo's own height
            spans.push_back({top, std::min(top + pitch, o.rect.bottom())});
        }
    }
    return spans;
}

// Places the part [from, to) of `band` (band-relative) at page y `pageY` (printable-area-relative).
void EmitBandPart(const ReportObject& band, double from, double to, const QPointF& origin, double pageY,
                  PreparedPage& page) {
    const double dy = origin.y() + pageY - from;
    const QRectF part(origin.x() + band.rect.left(), origin.y() + pageY, band.rect.width(), to - from);
    for (const ReportObject& o : band.children) {
        QRectF r = o.rect.translated(origin.x() + band.rect.left(), dy);
        const QRectF visible = r.intersected(part);
        const bool isLine = o.kind == ObjectKind::Line;
        // Lines have no area: keep them when they lie within the part.
        if (isLine ? (r.top() < part.top() || r.top() >= part.bottom()) : visible.isEmpty())
            continue;
        PreparedItem item;
        item.object = o;
        item.object.rect = r;
        item.clip = isLine ? r : visible;
        if (o.kind == ObjectKind::Memo && (from > 0 || to < band.rect.height())) {
            // A memo cut by a page break: keep only its lines that start inside this part; they are
            // laid out from the top, at the pitch used to choose the break.
            // The kept lines are found by arithmetic, not by walking the memo from its first line: a
            // long list would otherwise cost a full walk for every page.
            const double pitch = MemoPitch(o);
            const double base = o.rect.top() + o.gapY; // band-relative top of line 0
            const int count = int(o.lines.size());
            auto topOf = [&](int i) { return base + i * pitch; };
            auto inPart = [&](int i) {
                const double top = topOf(i);
                return top < o.rect.bottom() && top + 1e-6 >= from && top < to - 1e-6;
            };
            int first = pitch > 0 ? std::max(0, int(std::floor((from - base) / pitch)) - 1) : 0;
            first = std::min(first, count);
            while (first < count && topOf(first) + 1e-6 < from)
                ++first;
            QStringList kept;
            double firstTop = -1;
            for (int i = first; i < count && inPart(i); ++i) {
                if (firstTop < 0)
                    firstTop = topOf(i) + dy;
                kept << o.lines[i];
            }
            item.object.lines = kept;
            item.textTop = firstTop;
            if (kept.isEmpty() && o.fill.isValid() == false)
                continue;
        }
        page.items.push_back(std::move(item));
    }
}

int BandOrder(BandKind k) {
    switch (k) {
    case BandKind::ReportTitle:
        return 0;
    case BandKind::MasterData:
        return 1;
    case BandKind::Footer:
        return 2;
    }
    return 1;
}

PreparedPage NewPage(const ReportPage& p) {
    PreparedPage out;
    out.paperWidthMm = p.paperWidthMm;
    out.paperHeightMm = p.paperHeightMm;
    out.paperSizeCode = p.paperSizeCode;
    out.orientation = p.orientation;
    return out;
}

// Objects placed straight on the page (not in a band), at their stored positions inside the margins.
void EmitPageObjects(const ReportPage& p, PreparedPage& page) {
    const QPointF origin = p.PrintableRect().topLeft();
    for (const ReportObject& o : p.objects) {
        if (o.kind == ObjectKind::Band)
            continue;
        PreparedItem item;
        item.object = o;
        item.object.rect = o.rect.translated(origin);
        item.clip = item.object.rect;
        page.items.push_back(std::move(item));
    }
}

bool PrepareBandedPage(const ReportPage& p, std::vector<PreparedPage>& out, QString* error) {
    std::vector<const ReportObject*> bands;
    for (const ReportObject& o : p.objects)
        if (o.kind == ObjectKind::Band)
            bands.push_back(&o);
    std::stable_sort(bands.begin(), bands.end(), [](const ReportObject* a, const ReportObject* b) {
        if (BandOrder(a->band) != BandOrder(b->band))
            return BandOrder(a->band) < BandOrder(b->band);
        return a->rect.top() < b->rect.top();
    });

    const QRectF area = p.PrintableRect();
    const double pageHeight = area.height();
    out.push_back(NewPage(p));
    EmitPageObjects(p, out.back());
    double y = 0; // used height of the current page
    // A guard against a runaway layout; far more pages than any list can need.
    constexpr int MaxPages = 100000;

    auto newPage = [&]() -> bool {
        if (int(out.size()) >= MaxPages) {
            if (error)
                *error = QStringLiteral("Il documento supera %1 pagine.").arg(MaxPages);
            return false;
        }
        out.push_back(NewPage(p));
        EmitPageObjects(p, out.back());
        y = 0;
        return true;
    };

    for (const ReportObject* band : bands) {
        const int rows = band->band == BandKind::MasterData ? band->rowCount : 1;
        const double h = band->rect.height();
        for (int row = 0; row < rows; ++row) {
            if (y + h <= pageHeight + 1e-6) {
                EmitBandPart(*band, 0, h, area.topLeft(), y, out.back());
                y += h;
                continue;
            }
            if (!band->allowSplit) {
                // Whole bands move to a fresh page; one taller than a page is cut at its bottom.
                if (y > 0 && !newPage())
                    return false;
                EmitBandPart(*band, 0, std::min(h, pageHeight), area.topLeft(), y, out.back());
                y += std::min(h, pageHeight);
                continue;
            }
            // Spans ordered by their top, and a cursor that only moves forward: each page looks at its own
            // lines only, so preparing a list takes time in proportion to its length.
            std::vector<LineSpan> spans = TextLines(*band);
            std::stable_sort(spans.begin(), spans.end(),
                             [](const LineSpan& a, const LineSpan& b) { return a.top < b.top; });
            size_t firstSpan = 0;
            double from = 0;
            while (from < h - 1e-6) {
                double room = pageHeight - y;
                double to = std::min(h, from + room);
                while (firstSpan < spans.size() && spans[firstSpan].top < from - 1e-6)
                    ++firstSpan;
                if (to < h) {
                    // Move the break up until it lies between text lines.
                    bool moved = true;
                    while (moved) {
                        moved = false;
                        for (size_t k = firstSpan; k < spans.size() && spans[k].top < to - 1e-6; ++k)
                            if (spans[k].bottom > to + 1e-6) {
                                to = spans[k].top;
                                moved = true;
                                break;
                            }
                    }
                }
                if (to <= from + 1e-6) {
                    if (y > 0) { // nothing fits here: continue on a fresh page
                        if (!newPage())
                            return false;
                        continue;
                    }
                    to = std::min(h, from + room); // a line taller than a page: cut it rather than loop
                }
                EmitBandPart(*band, from, to, area.topLeft(), y, out.back());
                y += to - from;
                from = to;
                if (from < h - 1e-6 && !newPage())
                    return false;
            }
        }
    }
    return true;
}

} // namespace

QFont MakeFont(const ReportFont& font) {
    QFont f(font.family);
    f.setPointSizeF(font.PointSize());
    f.setBold(font.bold);
    f.setItalic(font.italic);
    // Outline fonts only: layout must not change with a bitmap face picked for a small size.
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

double LinePitch(const ReportFont& font) {
    return ReferenceMetrics(font).lineSpacing() * FontPixels(font) / MetricsPixelSize;
}

double MemoPitch(const ReportObject& o) {
    return o.linePitch > 0 ? o.linePitch : LinePitch(o.font);
}

double LineAscent(const ReportFont& font) {
    return ReferenceMetrics(font).ascent() * FontPixels(font) / MetricsPixelSize;
}

bool PrepareReport(const ReportTemplate& tmpl, PreparedReport& out, QString* error) {
    out = PreparedReport();
    out.name = tmpl.name;
    out.preview = tmpl.preview;
    out.print = tmpl.print;
    for (const ReportPage& p : tmpl.pages) {
        if (p.dataPage)
            continue;
        const bool banded = std::any_of(p.objects.begin(), p.objects.end(),
                                        [](const ReportObject& o) { return o.kind == ObjectKind::Band; });
        if (!banded) {
            out.pages.push_back(NewPage(p));
            EmitPageObjects(p, out.pages.back());
        } else if (!PrepareBandedPage(p, out.pages, error)) {
            out.pages.clear();
            return false;
        }
    }
    if (out.pages.empty()) {
        if (error)
            *error = QStringLiteral("Il modello \"%1\" non ha pagine da stampare.").arg(tmpl.name);
        return false;
    }
    return true;
}

} // namespace report
