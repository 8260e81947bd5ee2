#include "summary/StatementPrint.h"
#include "report/ReportPainter.h"
#include "storage/Dates.h"
#include "storage/Lists.h"
#include "storage/Text.h"
#include "summary/Takings.h"

std::optional<report::ReportTemplate> LoadStatementTemplate(QString* error) {
    return report::ReportTemplate::Load(QStringLiteral(":/printing/templates/statement.json"), error);
}

QString StatementTitle(int year) {
    return QStringLiteral("Attestazione dei pagamenti ricevuti nell'anno %1").arg(year);
}

QString StatementPdfName(int year, const QVector<StatementGroup>& groups) {
    if (groups.size() != 1)
        return report::PdfFileName({QStringLiteral("Attestazioni"), QString::number(year)});
    const StatementGroup& g = groups.front();
    return report::PdfFileName(
        {QStringLiteral("Attestazione"), QString::number(year), g.missingTaxCode ? g.payer : g.taxCode, g.child});
}

namespace {

constexpr double kLinePitch = 12.822; // template units per line of the receipts table

QString Euro(qint64 amount) {
    return QStringLiteral("€ ") + FormatTotal(amount);
}

QStringList Details(const StatementGroup& g) {
    QStringList lines;
    lines << QStringLiteral("Pagatore:  ") + g.payer;
    lines << QStringLiteral("Codice fiscale del pagatore:  ") + g.TaxCodeText();
    lines << QStringLiteral("Minore:  ") + (g.child.isEmpty() ? QStringLiteral("non indicato") : g.child) +
                 (g.childTaxCode.isEmpty() ? QString() : QStringLiteral(" - codice fiscale ") + g.childTaxCode);
    QString birth;
    if (!g.birthPlace.isEmpty())
        birth += QStringLiteral("nato/a a ") + g.birthPlace;
    if (!g.birthDate.isEmpty())
        birth += (birth.isEmpty() ? QStringLiteral("nato/a il ") : QStringLiteral(" il ")) + g.birthDate;
    lines << QStringLiteral("Luogo e data di nascita del minore:  ") +
                 (birth.isEmpty() ? QStringLiteral("non indicati") : birth);
    return lines;
}

QStringList Totals(const StatementGroup& g) {
    auto line = [](const QString& label, qint64 amount) { return label.leftJustified(62, u' ') + Euro(amount); };
    QStringList lines;
    lines << line(QStringLiteral("Totale pagato nell'anno"), g.total);
    lines << line(QStringLiteral("  di cui con mezzi tracciabili (bonifico, carta, assegno)"), g.traceable);
    lines << line(QStringLiteral("  di cui in contanti"), g.cash);
    if (g.notStated != 0)
        lines << line(QStringLiteral("  di cui con modalità di pagamento non indicata"), g.notStated);
    return lines;
}

} // namespace

bool FillStatement(report::ReportTemplate& rep, const StatementHeading& h, const StatementGroup& g, QString* error) {
    const QString year = QString::number(h.year);
    QStringList receiver;
    for (const QString& line : h.receiver)
        receiver << TrimText(line);
    QStringList note;
    note << QStringLiteral("Ai fini della detrazione d'imposta sono validi soltanto i pagamenti effettuati con mezzi "
                           "tracciabili; i pagamenti in contanti non sono detraibili.");
    if (g.missingTaxCode)
        note << QStringLiteral("Attenzione: nelle ricevute non è indicato il codice fiscale del pagatore.");
    const QString place = TrimText(h.place);
    QStringList table = StatementTable(g);
    const QString header = table.takeFirst();

    report::ReportObject* logo = rep.Object(QStringLiteral("imgLogo"), error);
    if (!logo)
        return false;
    if (h.logo.isNull())
        logo->image = QImage(); // no picture: the box stays empty
    else if (!logo->SetPicture(h.logo, error))
        return false;
    if (!rep.SetText(QStringLiteral("txtRicevente"), receiver.join(u'\n'), error) ||
        !rep.SetText(QStringLiteral("txtTitolo"), StatementTitle(h.year), error) ||
        !rep.SetText(QStringLiteral("txtDati"), Details(g).join(u'\n'), error) ||
        !rep.SetText(QStringLiteral("txtDichiarazione"),
                     QStringLiteral("Si attesta che nell'anno ") + year +
                         QStringLiteral(" sono stati ricevuti dal pagatore sopra indicato, per il minore sopra "
                                        "indicato,\ni pagamenti elencati di seguito, per un totale di ") +
                         Euro(g.total) + QStringLiteral("."),
                     error) ||
        !rep.SetText(QStringLiteral("txtIntestazione"), header, error) ||
        !rep.SetText(QStringLiteral("txtTotali"), Totals(g).join(u'\n'), error) ||
        !rep.SetText(QStringLiteral("txtNota"), note.join(u'\n'), error) ||
        !rep.SetText(QStringLiteral("txtLuogoData"),
                     (place.isEmpty() ? QStringLiteral("Luogo ____________________") : place) + QStringLiteral(", ") +
                         FormatDate(h.date),
                     error) ||
        !rep.SetText(QStringLiteral("txtFirma"), QStringLiteral("Timbro e firma"), error) ||
        !rep.ClearLines(QStringLiteral("txtRicevute"), error))
        return false;
    report::ReportObject* memo = rep.Object(QStringLiteral("txtRicevute"), error);
    report::ReportObject* band = memo ? rep.Object(QStringLiteral("MasterData"), error) : nullptr;
    if (!band)
        return false;
    memo->lines = table;
    const double height = qMax(1, int(table.size())) * kLinePitch;
    return memo->SetHeight(height, error) && band->SetHeight(height + 6, error);
}

bool PrepareStatements(report::ReportTemplate& rep, const StatementHeading& h, const QVector<StatementGroup>& groups,
                       report::PreparedReport& out, QString* error) {
    out = report::PreparedReport();
    out.name = rep.name;
    out.preview = rep.preview;
    out.print = rep.print;
    out.fileName = StatementPdfName(h.year, groups);
    for (const StatementGroup& g : groups) {
        if (!FillStatement(rep, h, g, error) || !rep.Prepare(error))
            return false;
        const auto& pages = rep.Prepared().pages;
        out.pages.insert(out.pages.end(), pages.begin(), pages.end());
    }
    return true;
}
