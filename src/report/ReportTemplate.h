#pragma once
// The report template: pages of named objects (memos, shapes, lines, pictures) and, on list pages,
// bands that are stacked and split across output pages. Templates are loaded from JSON (usually a
// Qt resource); the program then finds objects by name, fills them and prepares the output pages.
// Geometry is in template units of 1/96 inch (3.779528 units per millimetre).
#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace report {

class PreparedReport;

/// Template units per millimetre (96 units to the inch).
constexpr double UnitsPerMm = 96.0 / 25.4;

enum class ObjectKind { Memo, Shape, Line, Picture, Band };
enum class BandKind { ReportTitle, MasterData, Footer };
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };
enum class Orientation { Portrait, Landscape };

/// A memo font. `height` is negative pixels at 96 dpi, so its size in points is 0.75 * |height|.
struct ReportFont {
    QString family = QStringLiteral("Arial");
    double height = -13.333333;
    bool bold = false;
    bool italic = false;
    QColor color = Qt::black;
    /// Size in points.
    double PointSize() const { return 0.75 * (height < 0 ? -height : height); }
};

/// One object of a page or band. Which fields matter depends on `kind`; bands hold child objects.
struct ReportObject {
    ObjectKind kind = ObjectKind::Memo;
    QString name;
    QRectF rect; // page- or band-relative, template units

    // Memo: lines printed literally, one printed line each, clipped at the edges (never wrapped).
    QStringList lines;
    ReportFont font;
    QColor fill; // invalid: not filled (memos and shapes)
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    double gapX = 2; // inner padding of memo text
    double gapY = 1;
    double linePitch = 0; // distance between printed lines; 0: the font's own line spacing

    // Shape outline; lines use it too.
    QColor frame = Qt::black;

    // Picture: scaled to fit keeping its aspect ratio; centred in the box when `center`.
    QImage image;
    bool center = false;

    // Band.
    BandKind band = BandKind::MasterData;
    int rowCount = 1;
    bool allowSplit = false;
    std::vector<ReportObject> children;

    static QString KindName(ObjectKind kind);

    /// Replaces the memo's text; line breaks in `text` start new printed lines. Fails on other kinds.
    bool SetText(const QString& text, QString* error = nullptr);
    /// Removes every line of the memo. Fails on other kinds.
    bool ClearLines(QString* error = nullptr);
    /// Appends one printed line to the memo. Fails on other kinds.
    bool AddLine(const QString& line, QString* error = nullptr);
    /// The memo's text, lines joined with "\r\n" (empty for other kinds).
    QString Text() const { return lines.join(QStringLiteral("\r\n")); }
    /// Puts a copy of `image` into the picture object. Fails on other kinds and on a null image.
    bool SetPicture(const QImage& image, QString* error = nullptr);
    /// Sets the height of a memo, shape, picture or band; the next preparation uses it. Fails on lines
    /// (whose height gives their direction) and on negative heights.
    bool SetHeight(double height, QString* error = nullptr);
};

/// A page of the template. The data page is kept for completeness and never printed.
struct ReportPage {
    QString name;
    bool dataPage = false;
    double paperWidthMm = 210; // as laid out in `orientation`
    double paperHeightMm = 297;
    int paperSizeCode = 9; // 9 = A4, 256 = size given by width and height
    Orientation orientation = Orientation::Portrait;
    double marginLeftMm = 0, marginRightMm = 0, marginTopMm = 0, marginBottomMm = 0;
    std::vector<ReportObject> objects; // drawn in this order; bands among them are stacked instead

    /// Lays the page out in `o`, exchanging paper width and height when the orientation changes.
    void SetOrientation(Orientation o);
    /// Paper size in template units, in the current orientation.
    QSizeF PaperSize() const { return {paperWidthMm * UnitsPerMm, paperHeightMm * UnitsPerMm}; }
    /// The area inside the margins, in template units from the paper's top-left corner.
    QRectF PrintableRect() const;
};

struct PreviewSettings {
    bool allowEdit = false;
    QStringList buttons; // "print", "zoom", "fullScreen", "close"
    double zoom = 1.0;
};

struct PrintSettings {
    QString printer = QStringLiteral("Default");
    bool showDialog = true;
    int copies = 1;
};

/// A whole template and the result of its last preparation.
class ReportTemplate {
public:
    ReportTemplate();
    ~ReportTemplate();
    ReportTemplate(const ReportTemplate& other);
    ReportTemplate& operator=(const ReportTemplate& other);
    ReportTemplate(ReportTemplate&&) noexcept;
    ReportTemplate& operator=(ReportTemplate&&) noexcept;

    /// Reads a template from a JSON file or Qt resource (":/printing/templates/receipt.json").
    static std::optional<ReportTemplate> Load(const QString& path, QString* error = nullptr);
    /// Reads a template from JSON text; `source` names it in error texts.
    static std::optional<ReportTemplate> FromJson(const QByteArray& json, const QString& source,
                                                  QString* error = nullptr);

    QString name;
    /// The file name proposed when the report is printed to a PDF file (see PdfFileName); empty: one
    /// derived from `name`. Carried into the prepared report.
    QString fileName;
    PreviewSettings preview;
    PrintSettings print;
    std::vector<ReportPage> pages;

    /// The page at `index` of the page list (0 is the data page, 1 the report page), or null with an error.
    ReportPage* Page(int index, QString* error = nullptr);
    /// The object or band called `name`, letter case ignored, searched through every page and band;
    /// null when there is none.
    ReportObject* FindObject(const QString& name);
    /// FindObject that reports a missing name as an error.
    ReportObject* Object(const QString& name, QString* error);

    // Find-and-fill shortcuts: each fails when the name is unknown or the object has the wrong kind.
    bool SetText(const QString& objectName, const QString& text, QString* error = nullptr);
    bool ClearLines(const QString& objectName, QString* error = nullptr);
    bool AddLine(const QString& objectName, const QString& line, QString* error = nullptr);
    bool SetPicture(const QString& objectName, const QImage& image, QString* error = nullptr);
    bool SetHeight(const QString& objectName, double height, QString* error = nullptr);

    /// Builds the output pages afresh from the template's current state, discarding the previous result.
    bool Prepare(QString* error = nullptr);
    /// The result of the last successful Prepare() (no pages before the first one).
    const PreparedReport& Prepared() const { return *m_prepared; }

private:
    std::unique_ptr<PreparedReport> m_prepared;
};

} // namespace report
