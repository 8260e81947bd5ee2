#include "einvoice/StampDutyReport.h"
#include "report/ReportTemplate.h"

using namespace report;

QString EuroComma(qint64 cents) {
    return QString::number(cents / 100) + QLatin1Char(',') + QString::number(cents % 100).rightJustified(2, '0');
}

namespace {
constexpr double kLine = 4.8;
constexpr double kBottom = 282;

class Pages {
public:
    explicit Pages(ReportTemplate& t) : m_t(t) { NewPage(); }
    void Text(double x, double w, const QString& text, double points = 10, bool bold = false,
              HAlign align = HAlign::Left) {
        ReportObject o;
        o.kind = ObjectKind::Memo;
        o.name = QStringLiteral("mem%1").arg(++m_count);
        o.rect = QRectF(x * UnitsPerMm, y * UnitsPerMm, w * UnitsPerMm, kLine * UnitsPerMm);
        o.lines = {text};
        o.font.family = QStringLiteral("Arial");
        o.font.height = -points / 0.75;
        o.font.bold = bold;
        o.hAlign = align;
        m_t.pages.back().objects.push_back(o);
    }
    void Rule() {
        ReportObject o;
        o.kind = ObjectKind::Line;
        o.name = QStringLiteral("Line%1").arg(++m_count);
        o.rect = QRectF(15 * UnitsPerMm, y * UnitsPerMm, 180 * UnitsPerMm, 0);
        m_t.pages.back().objects.push_back(o);
    }
    // Moves down `lines`; a new page when the next line would pass the bottom margin.
    void Down(double lines = 1) {
        y += lines * kLine;
        if (y + kLine > kBottom)
            NewPage();
    }
    double y = 15;

private:
    void NewPage() {
        ReportPage page;
        page.name = QStringLiteral("Page%1").arg(m_t.pages.size());
        page.paperSizeCode = 9;
        m_t.pages.push_back(page);
        y = 15;
    }
    ReportTemplate& m_t;
    int m_count = 0;
};
} // namespace

std::optional<PreparedReport> PrepareStampDutyReport(const QVector<StampQuarter>& quarters, int year,
                                                     const QString& school, QString* error) {
    ReportTemplate t;
    t.name = QStringLiteral("Imposta di bollo %1").arg(year);
    t.fileName = QStringLiteral("Imposta_di_bollo_%1.pdf").arg(year);
    t.pages.clear();
    ReportPage data;
    data.name = QStringLiteral("Data");
    data.dataPage = true;
    t.pages.push_back(data);
    Pages p(t);
    p.Text(15, 180, QStringLiteral("IMPOSTA DI BOLLO SULLE FATTURE ELETTRONICHE - ANNO %1").arg(year), 14, true);
    p.Down(1.6);
    p.Text(15, 180, school, 10);
    p.Down(1.6);
    const char* names[] = {"1° trimestre", "2° trimestre", "3° trimestre", "4° trimestre"};
    p.Text(15, 40, QStringLiteral("Trimestre"), 9, true);
    p.Text(55, 30, QStringLiteral("Documenti"), 9, true, HAlign::Right);
    p.Text(90, 35, QStringLiteral("Importo dovuto"), 9, true, HAlign::Right);
    p.Text(130, 30, QStringLiteral("Codice F24"), 9, true, HAlign::Right);
    p.Text(165, 30, QStringLiteral("Scadenza"), 9, true, HAlign::Right);
    p.Down(1.1);
    p.Rule();
    p.Down(0.3);
    qint64 total = 0;
    for (const StampQuarter& q : quarters) {
        p.Text(15, 40, QString::fromUtf8(names[q.quarter - 1]));
        p.Text(55, 30, QString::number(q.documents.size()), 10, false, HAlign::Right);
        p.Text(90, 35, QStringLiteral("€ ") + EuroComma(q.dueCents), 10, false, HAlign::Right);
        p.Text(130, 30, q.taxCode, 10, false, HAlign::Right);
        p.Text(165, 30, q.deadline.toString(QStringLiteral("dd/MM/yyyy")), 10, false, HAlign::Right);
        total += q.dueCents;
        p.Down();
    }
    p.Rule();
    p.Down(0.3);
    p.Text(15, 40, QStringLiteral("Totale anno"), 10, true);
    p.Text(90, 35, QStringLiteral("€ ") + EuroComma(total), 10, true, HAlign::Right);
    p.Down(2);
    for (const StampQuarter& q : quarters) {
        if (q.documents.isEmpty())
            continue;
        p.Text(15, 180, QStringLiteral("%1: documenti con bollo virtuale (2,00 euro ciascuno)")
                            .arg(QString::fromUtf8(names[q.quarter - 1])), 10, true);
        p.Down(1.2);
        for (const RegisterEntry& e : q.documents) {
            p.Text(15, 30, e.Number(), 9);
            p.Text(45, 22, e.Date().toString(QStringLiteral("dd/MM/yyyy")), 9);
            p.Text(67, 22, e.IsCreditNote() ? QStringLiteral("Nota cred.") : QStringLiteral("Fattura"), 9);
            p.Text(89, 60, e.payer, 9);
            p.Text(149, 46, e.file, 9);
            p.Down(0.9);
        }
        p.Down(0.8);
    }
    if (!t.Prepare(error))
        return std::nullopt;
    return t.Prepared();
}
