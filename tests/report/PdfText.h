#pragma once
// Reads a rendered PDF back the way a reader sees it: the words with their boxes (pdftotext -bbox)
// and pages as pictures (pdftoppm). Boxes are in points from the page's top-left corner.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

namespace pdftext {

constexpr double PointsPerUnit = 0.75; // template units are 1/96 inch, points 1/72
constexpr double PointsPerMm = 72.0 / 25.4;

struct Word {
    QString text;
    QRectF box; // points
    int page;   // 0-based
};

struct Document {
    QVector<QSizeF> pages; // points
    QVector<Word> words;
    QString error;
};

/// Runs pdftotext -bbox on `pdf` and parses its words.
inline Document Read(const QString& pdf) {
    Document doc;
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        doc.error = QStringLiteral("pdftotext failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
        return doc;
    }
    QXmlStreamReader xml(p.readAllStandardOutput());
    int page = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("page")) {
            ++page;
            doc.pages << QSizeF(a.value(QLatin1String("width")).toDouble(),
                                a.value(QLatin1String("height")).toDouble());
        } else if (xml.name() == QLatin1String("word")) {
            Word w;
            w.page = page;
            const double x0 = a.value(QLatin1String("xMin")).toDouble();
            const double y0 = a.value(QLatin1String("yMin")).toDouble();
            w.box = QRectF(x0, y0, a.value(QLatin1String("xMax")).toDouble() - x0,
                           a.value(QLatin1String("yMax")).toDouble() - y0);
            w.text = xml.readElementText();
            doc.words << w;
        }
    }
    if (xml.hasError())
        doc.error = xml.errorString();
    return doc;
}

/// Every place where `phrase` is printed on `page`: its words in order on one baseline, each starting
/// right of the previous one and at most `maxGap` points after it. Returns the union box of each occurrence.
inline QVector<QRectF> Find(const Document& doc, int page, const QString& phrase, double maxGap = 20) {
    const QStringList tokens = phrase.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QVector<QRectF> found;
    if (tokens.isEmpty())
        return found;
    for (const Word& first : doc.words) {
        if (first.page != page || first.text != tokens[0])
            continue;
        QRectF box = first.box;
        const Word* prev = &first;
        bool ok = true;
        for (int k = 1; k < tokens.size() && ok; ++k) {
            const Word* best = nullptr;
            for (const Word& w : doc.words) {
                if (w.page != page || w.text != tokens[k] || std::abs(w.box.bottom() - prev->box.bottom()) > 0.5)
                    continue;
                const double gap = w.box.left() - prev->box.right();
                if (gap < -0.5 || gap > maxGap)
                    continue;
                if (!best || w.box.left() < best->box.left())
                    best = &w;
            }
            ok = best != nullptr;
            if (ok) {
                box = box.united(best->box);
                prev = best;
            }
        }
        if (ok)
            found << box;
    }
    return found;
}

/// Words of `page` whose text contains `part`.
inline QVector<Word> WordsContaining(const Document& doc, int page, const QString& part) {
    QVector<Word> out;
    for (const Word& w : doc.words)
        if (w.page == page && w.text.contains(part))
            out << w;
    return out;
}

/// Renders one page (0-based) of `pdf` to an image at `dpi` with pdftoppm.
inline QImage Raster(const QString& pdf, int page, int dpi, QString* error = nullptr) {
    const QString base = QFileInfo(pdf).absolutePath() + QStringLiteral("/raster_%1").arg(page);
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), QStringLiteral("-f"), QString::number(page + 1),
                                         QStringLiteral("-l"), QString::number(page + 1), pdf, base});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("pdftoppm failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
        return QImage();
    }
    return QImage(base + QStringLiteral(".png"));
}

/// Pixels of `img` inside `rectPt` (points) for which `test` holds.
template <class Test> int CountPixels(const QImage& img, int dpi, const QRectF& rectPt, Test test) {
    const double s = dpi / 72.0;
    const QRect r = QRect(QPoint(int(std::ceil(rectPt.left() * s)), int(std::ceil(rectPt.top() * s))),
                          QPoint(int(std::floor(rectPt.right() * s)) - 1, int(std::floor(rectPt.bottom() * s)) - 1))
                        .intersected(img.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (test(QColor(img.pixel(x, y))))
                ++n;
    return n;
}

} // namespace pdftext
