#include "report/ReportPainter.h"
#include <QFile>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

namespace report {

namespace {

struct Scale {
    double x, y;
    QRectF Map(const QRectF& r) const { return QRectF(r.x() * x, r.y() * y, r.width() * x, r.height() * y); }
};

// Keeps the characters of `text`, drawn from device x `x` with metrics `fm`, that are at least partly
// inside [clipLeft, clipRight); `x` moves to the first kept character. The clip path cuts the partly
// visible ones; dropping the rest keeps hidden text out of the document.
QString VisiblePart(const QString& text, const QFontMetricsF& fm, double& x, double clipLeft, double clipRight) {
    if (x >= clipLeft && x + fm.horizontalAdvance(text) <= clipRight)
        return text;
    int end = int(text.size());
    if (x + fm.horizontalAdvance(text) > clipRight) {
        // Largest count of characters whose last one starts before the right edge.
        int lo = 0, hi = int(text.size());
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if (x + fm.horizontalAdvance(text.left(mid - 1)) < clipRight)
                lo = mid;
            else
                hi = mid - 1;
        }
        end = lo;
    }
    int begin = 0;
    if (x < clipLeft) {
        // First character whose end lies right of the left edge.
        int lo = 0, hi = end;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (x + fm.horizontalAdvance(text.left(mid + 1)) > clipLeft)
                hi = mid;
            else
                lo = mid + 1;
        }
        begin = lo;
        x += fm.horizontalAdvance(text.left(begin));
    }
    return begin < end ? text.mid(begin, end - begin) : QString();
}

void PaintMemo(const PreparedItem& item, QPainter& painter, const Scale& s) {
    const ReportObject& o = item.object;
    const QRectF clip = s.Map(item.clip);
    if (o.fill.isValid())
        painter.fillRect(clip, o.fill);
    if (o.lines.isEmpty())
        return;

    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    QFont font = MakeFont(o.font);
    // Point sizes follow the device's own resolution; adjust when the caller paints at another one.
    const int deviceDpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    font.setPointSizeF(o.font.PointSize() * (s.y * 96.0) / deviceDpi);
    painter.setFont(font);
    painter.setPen(o.font.color);
    const QFontMetricsF fm(font, painter.device());

    const QRectF inner = o.rect.adjusted(o.gapX, o.gapY, -o.gapX, -o.gapY);
    const double pitch = MemoPitch(o);
    const double ascent = LineAscent(o.font);
    const double block = pitch * o.lines.size();
    double top = inner.top();
    if (item.textTop >= 0)
        top = item.textTop;
    else if (o.vAlign == VAlign::Center)
        top = inner.top() + (inner.height() - block) / 2;
    else if (o.vAlign == VAlign::Bottom)
        top = inner.bottom() - block;

    for (int i = 0; i < o.lines.size(); ++i) {
        const double lineTop = (top + i * pitch) * s.y;
        if (lineTop >= clip.bottom())
            break;
        if (lineTop + pitch * s.y <= clip.top())
            continue;
        const QString& line = o.lines[i];
        if (line.isEmpty())
            continue;
        const double width = fm.horizontalAdvance(line);
        double x = inner.left() * s.x;
        if (o.hAlign == HAlign::Right)
            x = inner.right() * s.x - width;
        else if (o.hAlign == HAlign::Center)
            x = inner.center().x() * s.x - width / 2;
        const QString visible = VisiblePart(line, fm, x, clip.left(), clip.right());
        if (!visible.isEmpty())
            painter.drawText(QPointF(x, lineTop + ascent * s.y), visible);
    }
    painter.restore();
}

void PaintItem(const PreparedItem& item, QPainter& painter, const Scale& s) {
    const ReportObject& o = item.object;
    const double penWidth = s.x; // one template unit
    switch (o.kind) {
    case ObjectKind::Memo:
        PaintMemo(item, painter, s);
        break;
    case ObjectKind::Shape: {
        painter.save();
        painter.setClipRect(s.Map(item.clip).adjusted(-penWidth, -penWidth, penWidth, penWidth), Qt::IntersectClip);
        const QRectF r = s.Map(o.rect);
        if (o.fill.isValid())
            painter.fillRect(r, o.fill);
        QPen pen(o.frame, penWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);
        painter.restore();
        break;
    }
    case ObjectKind::Line: {
        const QRectF r = s.Map(o.rect);
        painter.save();
        painter.setPen(QPen(o.frame, penWidth, Qt::SolidLine, Qt::FlatCap));
        if (o.rect.width() == 0)
            painter.drawLine(QPointF(r.left(), r.top()), QPointF(r.left(), r.bottom()));
        else
            painter.drawLine(QPointF(r.left(), r.top()), QPointF(r.right(), r.top()));
        painter.restore();
        break;
    }
    case ObjectKind::Picture: {
        if (o.image.isNull() || o.rect.isEmpty())
            break;
        const QRectF box = s.Map(o.rect);
        const QSizeF fit = QSizeF(o.image.size()).scaled(box.size(), Qt::KeepAspectRatio);
        QRectF target(box.topLeft(), fit);
        if (o.center)
            target.moveCenter(box.center());
        painter.save();
        painter.setClipRect(s.Map(item.clip), Qt::IntersectClip);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, Flattened(o.image));
        painter.restore();
        break;
    }
    case ObjectKind::Band:
        break; // bands are laid out by preparation and never reach a page
    }
}

} // namespace

QPageLayout PageLayoutOf(const PreparedPage& page) {
    const double w = std::min(page.paperWidthMm, page.paperHeightMm);
    const double h = std::max(page.paperWidthMm, page.paperHeightMm);
    const QPageSize size =
        page.paperSizeCode == 9 ? QPageSize(QPageSize::A4) : QPageSize(QSizeF(w, h), QPageSize::Millimeter);
    const auto orientation = page.paperWidthMm > page.paperHeightMm ? QPageLayout::Landscape : QPageLayout::Portrait;
    QPageLayout layout(size, orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter, QMarginsF(0, 0, 0, 0));
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

void PaintPage(const PreparedPage& page, QPainter& painter, double dpiX, double dpiY) {
    const Scale s{dpiX / 96.0, dpiY / 96.0};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const PreparedItem& item : page.items)
        PaintItem(item, painter, s);
    painter.restore();
}

bool PaintReport(const PreparedReport& report, QPagedPaintDevice& device, QString* error, int fromPage, int toPage,
                 const PaintProgress& progress) {
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (report.pages.empty())
        return fail(QStringLiteral("Il documento non ha pagine."));
    const int last = toPage <= 0 ? report.PageCount() : std::min(toPage, report.PageCount());
    const int first = std::max(1, fromPage);
    if (first > last)
        return fail(QStringLiteral("Le pagine richieste (%1-%2) non sono nel documento.").arg(first).arg(last));

    device.setPageLayout(PageLayoutOf(report.pages[size_t(first - 1)]));
    QPainter painter;
    if (!painter.begin(&device))
        return fail(QStringLiteral("Impossibile avviare la stampa sul dispositivo scelto."));
    for (int i = first; i <= last; ++i) {
        const PreparedPage& page = report.pages[size_t(i - 1)];
        if (i > first) {
            // Only a change of paper is passed on: printers refuse layout changes while printing.
            const QPageLayout layout = PageLayoutOf(page);
            if (!device.pageLayout().isEquivalentTo(layout))
                device.setPageLayout(layout);
            if (!device.newPage()) {
                painter.end();
                return fail(QStringLiteral("Impossibile iniziare la pagina %1.").arg(i));
            }
        }
        PaintPage(page, painter, device.logicalDpiX(), device.logicalDpiY());
        if (progress)
            progress(i - first + 1, last - first + 1);
    }
    if (!painter.end())
        return fail(QStringLiteral("La stampa non è stata completata."));
    return true;
}

bool SavePdf(const PreparedReport& report, const QString& path, QString* error, int resolution) {
    QPdfWriter writer(path);
    writer.setResolution(resolution);
    writer.setCreator(QStringLiteral("Carvenna"));
    writer.setTitle(report.name);
    if (!PaintReport(report, writer, error))
        return false;
    // QPdfWriter reports no write errors of its own; check that the file is there.
    if (!QFile::exists(path)) {
        if (error)
            *error = QStringLiteral("Impossibile scrivere \"%1\".").arg(path);
        return false;
    }
    return true;
}

QString PdfFileName(const QStringList& parts) {
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    QStringList kept;
    for (const QString& part : parts) {
        QString clean;
        for (const QChar c : part.trimmed())
            clean += (c.isSpace() || c.unicode() < 32 || refused.contains(c)) ? QChar(u'_') : c;
        // Runs of '_' (a "2026 / 00127" number) read as one.
        while (clean.contains(QLatin1String("__")))
            clean.replace(QLatin1String("__"), QLatin1String("_"));
        while (clean.startsWith(u'_') || clean.startsWith(u'.'))
            clean.remove(0, 1);
        while (clean.endsWith(u'_'))
            clean.chop(1);
        if (!clean.isEmpty())
            kept << clean;
    }
    return (kept.isEmpty() ? QStringLiteral("Stampa") : kept.join(u'_')) + QStringLiteral(".pdf");
}

QString ProposedFileName(const PreparedReport& report) {
    if (!report.fileName.isEmpty())
        return report.fileName;
    return PdfFileName({report.name});
}

QImage Flattened(const QImage& image, const QColor& background) {
    if (image.isNull() || !image.hasAlphaChannel())
        return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.setDotsPerMeterX(image.dotsPerMeterX());
    flat.setDotsPerMeterY(image.dotsPerMeterY());
    flat.fill(background.isValid() ? QColor(background.rgb()) : QColor(Qt::white));
    QPainter p(&flat);
    p.drawImage(0, 0, image);
    p.end();
    return flat;
}

QImage RenderPage(const PreparedReport& report, int pageIndex, double dpi) {
    if (pageIndex < 0 || pageIndex >= report.PageCount())
        return QImage();
    const PreparedPage& page = report.pages[size_t(pageIndex)];
    const QSizeF paper = page.PaperSize();
    QImage image(qRound(paper.width() * dpi / 96.0), qRound(paper.height() * dpi / 96.0), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPage(page, painter, dpi, dpi);
    return image;
}

} // namespace report
