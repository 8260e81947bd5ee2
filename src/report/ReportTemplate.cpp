#include "report/ReportTemplate.h"
#include "report/PreparedReport.h"
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace report {

namespace {

void SetError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

bool WrongKind(const ReportObject& o, const char* what, QString* error) {
    SetError(error, QStringLiteral("L'oggetto \"%1\" (%2) non è %3.")
                        .arg(o.name, ReportObject::KindName(o.kind), QString::fromLatin1(what)));
    return false;
}

ReportObject* FindIn(std::vector<ReportObject>& objects, const QString& name) {
    for (ReportObject& o : objects) {
        if (o.name.compare(name, Qt::CaseInsensitive) == 0)
            return &o;
        if (ReportObject* child = FindIn(o.children, name))
            return child;
    }
    return nullptr;
}

// ---- JSON reading. Every reader fails with a text naming the object and the field. ----

class JsonReader {
public:
    explicit JsonReader(QString source) : m_source(std::move(source)) {}
    QString error;

    bool Fail(const QString& where, const QString& what) {
        if (error.isEmpty())
            error = QStringLiteral("%1: %2: %3").arg(m_source, where, what);
        return false;
    }

    bool Number(const QJsonObject& j, const char* key, double& out, const QString& where, bool required) {
        const QJsonValue v = j.value(QLatin1String(key));
        if (v.isUndefined())
            return required ? Fail(where, QStringLiteral("manca \"%1\"").arg(QLatin1String(key))) : true;
        if (!v.isDouble())
            return Fail(where, QStringLiteral("\"%1\" non è un numero").arg(QLatin1String(key)));
        out = v.toDouble();
        return true;
    }

    bool Colour(const QJsonObject& j, const char* key, QColor& out, const QString& where) {
        const QJsonValue v = j.value(QLatin1String(key));
        if (v.isUndefined())
            return true;
        QColor c(v.toString().toLower());
        if (!v.isString() || !c.isValid())
            return Fail(where, QStringLiteral("colore \"%1\" sconosciuto").arg(v.toString()));
        out = c;
        return true;
    }

    bool Font(const QJsonObject& j, ReportFont& f, const QString& where) {
        const QJsonValue v = j.value(QLatin1String("font"));
        if (v.isUndefined())
            return true;
        if (!v.isObject())
            return Fail(where, QStringLiteral("\"font\" non è un oggetto"));
        const QJsonObject fj = v.toObject();
        if (fj.contains(QLatin1String("family")))
            f.family = fj.value(QLatin1String("family")).toString();
        if (!Number(fj, "height", f.height, where, false))
            return false;
        if (f.height >= 0)
            return Fail(where, QStringLiteral("l'altezza del carattere deve essere negativa (pixel a 96 dpi)"));
        for (const QJsonValue s : fj.value(QLatin1String("style")).toArray()) {
            if (s.toString() == QLatin1String("bold"))
                f.bold = true;
            else if (s.toString() == QLatin1String("italic"))
                f.italic = true;
            else
                return Fail(where, QStringLiteral("stile \"%1\" sconosciuto").arg(s.toString()));
        }
        return Colour(fj, "color", f.color, where);
    }

    bool Object(const QJsonObject& j, ReportObject& o, bool insideBand) {
        o.name = j.value(QLatin1String("name")).toString();
        const QString where = o.name.isEmpty() ? QStringLiteral("oggetto senza nome") : o.name;
        if (o.name.isEmpty())
            return Fail(where, QStringLiteral("manca \"name\""));
        const QString kind = j.value(QLatin1String("kind")).toString();
        if (kind == QLatin1String("memo"))
            o.kind = ObjectKind::Memo;
        else if (kind == QLatin1String("shape"))
            o.kind = ObjectKind::Shape;
        else if (kind == QLatin1String("line"))
            o.kind = ObjectKind::Line;
        else if (kind == QLatin1String("picture"))
            o.kind = ObjectKind::Picture;
        else if (kind == QLatin1String("band") && !insideBand)
            o.kind = ObjectKind::Band;
        else
            return Fail(where, QStringLiteral("tipo \"%1\" non ammesso").arg(kind));

        double l = 0, t = 0, w = 0, h = 0;
        if (!Number(j, "left", l, where, true) || !Number(j, "top", t, where, true) ||
            !Number(j, "width", w, where, true) || !Number(j, "height", h, where, true))
            return false;
        if (w < 0 || h < 0)
            return Fail(where, QStringLiteral("larghezza e altezza non possono essere negative"));
        o.rect = QRectF(l, t, w, h);

        switch (o.kind) {
        case ObjectKind::Memo: {
            const QJsonValue text = j.value(QLatin1String("text"));
            if (text.isString())
                o.lines = QStringList{text.toString()};
            else
                for (const QJsonValue line : text.toArray())
                    o.lines << line.toString();
            const QString ha = j.value(QLatin1String("align")).toString(QStringLiteral("left"));
            const QString va = j.value(QLatin1String("valign")).toString(QStringLiteral("top"));
            if (ha == QLatin1String("left"))
                o.hAlign = HAlign::Left;
            else if (ha == QLatin1String("center"))
                o.hAlign = HAlign::Center;
            else if (ha == QLatin1String("right"))
                o.hAlign = HAlign::Right;
            else
                return Fail(where, QStringLiteral("allineamento \"%1\" sconosciuto").arg(ha));
            if (va == QLatin1String("top"))
                o.vAlign = VAlign::Top;
            else if (va == QLatin1String("center"))
                o.vAlign = VAlign::Center;
            else if (va == QLatin1String("bottom"))
                o.vAlign = VAlign::Bottom;
            else
                return Fail(where, QStringLiteral("allineamento verticale \"%1\" sconosciuto").arg(va));
            if (!Font(j, o.font, where) || !Colour(j, "fill", o.fill, where) ||
                !Number(j, "gapX", o.gapX, where, false) || !Number(j, "gapY", o.gapY, where, false) ||
                !Number(j, "linePitch", o.linePitch, where, false))
                return false;
            if (o.linePitch < 0)
                return Fail(where, QStringLiteral("\"linePitch\" non può essere negativo"));
            break;
        }
        case ObjectKind::Shape:
            if (!Colour(j, "fill", o.fill, where) || !Colour(j, "frame", o.frame, where))
                return false;
            break;
        case ObjectKind::Line:
            if (!Colour(j, "frame", o.frame, where))
                return false;
            break;
        case ObjectKind::Picture: {
            o.center = j.value(QLatin1String("center")).toBool(false);
            const QString image = j.value(QLatin1String("image")).toString();
            if (!image.isEmpty()) {
                o.image = QImage(image);
                if (o.image.isNull())
                    return Fail(where, QStringLiteral("immagine \"%1\" illeggibile").arg(image));
            }
            break;
        }
        case ObjectKind::Band: {
            const QString band = j.value(QLatin1String("band")).toString();
            if (band == QLatin1String("reportTitle"))
                o.band = BandKind::ReportTitle;
            else if (band == QLatin1String("masterData"))
                o.band = BandKind::MasterData;
            else if (band == QLatin1String("footer"))
                o.band = BandKind::Footer;
            else
                return Fail(where, QStringLiteral("tipo di banda \"%1\" sconosciuto").arg(band));
            o.rowCount = j.value(QLatin1String("rowCount")).toInt(1);
            o.allowSplit = j.value(QLatin1String("allowSplit")).toBool(false);
            if (o.rowCount < 0)
                return Fail(where, QStringLiteral("numero di righe negativo"));
            for (const QJsonValue c : j.value(QLatin1String("objects")).toArray()) {
                ReportObject child;
                if (!Object(c.toObject(), child, true))
                    return false;
                o.children.push_back(std::move(child));
            }
            break;
        }
        }
        return true;
    }

    bool Page(const QJsonObject& j, ReportPage& p) {
        p.name = j.value(QLatin1String("name")).toString();
        const QString where = QStringLiteral("pagina %1").arg(p.name);
        p.dataPage = j.value(QLatin1String("data")).toBool(false);
        if (p.dataPage)
            return true; // the data page holds nothing that is printed
        if (!Number(j, "paperWidth", p.paperWidthMm, where, true) ||
            !Number(j, "paperHeight", p.paperHeightMm, where, true))
            return false;
        p.paperSizeCode = j.value(QLatin1String("paperSize")).toInt(9);
        const QString o = j.value(QLatin1String("orientation")).toString(QStringLiteral("portrait"));
        if (o == QLatin1String("portrait"))
            p.orientation = Orientation::Portrait;
        else if (o == QLatin1String("landscape"))
            p.orientation = Orientation::Landscape;
        else
            return Fail(where, QStringLiteral("orientamento \"%1\" sconosciuto").arg(o));
        const QJsonArray m = j.value(QLatin1String("margins")).toArray();
        if (!m.isEmpty()) {
            if (m.size() != 4)
                return Fail(where, QStringLiteral("\"margins\" vuole sinistro, destro, alto, basso"));
            p.marginLeftMm = m[0].toDouble();
            p.marginRightMm = m[1].toDouble();
            p.marginTopMm = m[2].toDouble();
            p.marginBottomMm = m[3].toDouble();
        }
        if (p.PrintableRect().width() <= 0 || p.PrintableRect().height() <= 0)
            return Fail(where, QStringLiteral("i margini non lasciano spazio per la stampa"));
        for (const QJsonValue v : j.value(QLatin1String("objects")).toArray()) {
            ReportObject obj;
            if (!Object(v.toObject(), obj, false))
                return false;
            p.objects.push_back(std::move(obj));
        }
        return true;
    }

private:
    QString m_source;
};

} // namespace

// ---- Objects ----

QString ReportObject::KindName(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Memo:
        return QStringLiteral("testo");
    case ObjectKind::Shape:
        return QStringLiteral("forma");
    case ObjectKind::Line:
        return QStringLiteral("linea");
    case ObjectKind::Picture:
        return QStringLiteral("immagine");
    case ObjectKind::Band:
        return QStringLiteral("banda");
    }
    return QString();
}

bool ReportObject::SetText(const QString& text, QString* error) {
    if (kind != ObjectKind::Memo)
        return WrongKind(*this, "un testo", error);
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    lines = text.split(breaks);
    return true;
}

bool ReportObject::ClearLines(QString* error) {
    if (kind != ObjectKind::Memo)
        return WrongKind(*this, "un testo", error);
    lines.clear();
    return true;
}

bool ReportObject::AddLine(const QString& line, QString* error) {
    if (kind != ObjectKind::Memo)
        return WrongKind(*this, "un testo", error);
    lines << line;
    return true;
}

bool ReportObject::SetPicture(const QImage& img, QString* error) {
    if (kind != ObjectKind::Picture)
        return WrongKind(*this, "un'immagine", error);
    if (img.isNull()) {
        SetError(error, QStringLiteral("L'immagine per \"%1\" non è utilizzabile.").arg(name));
        return false;
    }
    image = img.copy(); // a copy taken now: later changes to the caller's picture do not print
    return true;
}

bool ReportObject::SetHeight(double height, QString* error) {
    if (kind == ObjectKind::Line)
        return WrongKind(*this, "un testo, una forma, un'immagine o una banda", error);
    if (!(height >= 0)) {
        SetError(error, QStringLiteral("Altezza non valida per \"%1\".").arg(name));
        return false;
    }
    rect.setHeight(height);
    return true;
}

// ---- Pages ----

void ReportPage::SetOrientation(Orientation o) {
    if (o == orientation)
        return;
    std::swap(paperWidthMm, paperHeightMm);
    orientation = o;
}

QRectF ReportPage::PrintableRect() const {
    const QSizeF paper = PaperSize();
    return QRectF(marginLeftMm * UnitsPerMm, marginTopMm * UnitsPerMm,
                  paper.width() - (marginLeftMm + marginRightMm) * UnitsPerMm,
                  paper.height() - (marginTopMm + marginBottomMm) * UnitsPerMm);
}

// ---- Template ----

ReportTemplate::ReportTemplate() : m_prepared(std::make_unique<PreparedReport>()) {}
ReportTemplate::~ReportTemplate() = default;
ReportTemplate::ReportTemplate(const ReportTemplate& other)
    : name(other.name), preview(other.preview), print(other.print), pages(other.pages),
      m_prepared(std::make_unique<PreparedReport>(*other.m_prepared)) {}
ReportTemplate& ReportTemplate::operator=(const ReportTemplate& other) {
    if (this != &other) {
        name = other.name;
        preview = other.preview;
        print = other.print;
        pages = other.pages;
        m_prepared = std::make_unique<PreparedReport>(*other.m_prepared);
    }
    return *this;
}
ReportTemplate::ReportTemplate(ReportTemplate&&) noexcept = default;
ReportTemplate& ReportTemplate::operator=(ReportTemplate&&) noexcept = default;

std::optional<ReportTemplate> ReportTemplate::Load(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        SetError(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
        return std::nullopt;
    }
    return FromJson(f.readAll(), path, error);
}

std::optional<ReportTemplate> ReportTemplate::FromJson(const QByteArray& json, const QString& source, QString* error) {
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        SetError(error, QStringLiteral("%1: JSON non valido alla posizione %2: %3")
                            .arg(source)
                            .arg(pe.offset)
                            .arg(pe.errorString()));
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    ReportTemplate t;
    JsonReader r(source);
    t.name = root.value(QLatin1String("name")).toString();
    const QJsonObject pv = root.value(QLatin1String("preview")).toObject();
    t.preview.allowEdit = pv.value(QLatin1String("allowEdit")).toBool(false);
    for (const QJsonValue b : pv.value(QLatin1String("buttons")).toArray())
        t.preview.buttons << b.toString();
    t.preview.zoom = pv.value(QLatin1String("zoom")).toDouble(1.0);
    const QJsonObject pr = root.value(QLatin1String("print")).toObject();
    t.print.printer = pr.value(QLatin1String("printer")).toString(QStringLiteral("Default"));
    t.print.showDialog = pr.value(QLatin1String("showDialog")).toBool(true);
    t.print.copies = pr.value(QLatin1String("copies")).toInt(1);
    for (const QJsonValue v : root.value(QLatin1String("pages")).toArray()) {
        ReportPage p;
        if (!r.Page(v.toObject(), p)) {
            SetError(error, r.error);
            return std::nullopt;
        }
        t.pages.push_back(std::move(p));
    }
    if (t.pages.empty()) {
        SetError(error, QStringLiteral("%1: il modello non ha pagine").arg(source));
        return std::nullopt;
    }
    return t;
}

ReportPage* ReportTemplate::Page(int index, QString* error) {
    if (index < 0 || index >= int(pages.size())) {
        SetError(error, QStringLiteral("Il modello \"%1\" non ha la pagina %2.").arg(name).arg(index));
        return nullptr;
    }
    return &pages[size_t(index)];
}

ReportObject* ReportTemplate::FindObject(const QString& objectName) {
    for (ReportPage& p : pages)
        if (ReportObject* o = FindIn(p.objects, objectName))
            return o;
    return nullptr;
}

ReportObject* ReportTemplate::Object(const QString& objectName, QString* error) {
    ReportObject* o = FindObject(objectName);
    if (!o)
        SetError(error, QStringLiteral("Il modello \"%1\" non contiene l'oggetto \"%2\".").arg(name, objectName));
    return o;
}

bool ReportTemplate::SetText(const QString& objectName, const QString& text, QString* error) {
    ReportObject* o = Object(objectName, error);
    return o && o->SetText(text, error);
}

bool ReportTemplate::ClearLines(const QString& objectName, QString* error) {
    ReportObject* o = Object(objectName, error);
    return o && o->ClearLines(error);
}

bool ReportTemplate::AddLine(const QString& objectName, const QString& line, QString* error) {
    ReportObject* o = Object(objectName, error);
    return o && o->AddLine(line, error);
}

bool ReportTemplate::SetPicture(const QString& objectName, const QImage& image, QString* error) {
    ReportObject* o = Object(objectName, error);
    return o && o->SetPicture(image, error);
}

bool ReportTemplate::SetHeight(const QString& objectName, double height, QString* error) {
    ReportObject* o = Object(objectName, error);
    return o && o->SetHeight(height, error);
}

bool ReportTemplate::Prepare(QString* error) {
    // The previous result is dropped even when this preparation fails, so nothing stale is printed.
    m_prepared = std::make_unique<PreparedReport>();
    PreparedReport fresh;
    if (!PrepareReport(*this, fresh, error))
        return false;
    fresh.fileName = fileName;
    *m_prepared = std::move(fresh);
    return true;
}

} // namespace report
