#include "search/ListReport.h"
#include "storage/Dates.h"

std::optional<report::ReportTemplate> LoadListTemplate(QString* error) {
    return report::ReportTemplate::Load(QStringLiteral(":/printing/templates/list.json"), error);
}

QString ListPrintStamp(const QDateTime& now) {
    return QStringLiteral("Stampa eseguita in data ") + FormatDate(now.date()) + QStringLiteral(" alle ore ") +
           now.time().toString(QStringLiteral("HH:mm:ss"));
}

bool FillListReport(report::ReportTemplate& rep, const QString& title, const QString& stamp, const QStringList& lines,
                    QString* error) {
    if (!rep.SetText(QStringLiteral("txtTitolo"), title, error) ||
        !rep.SetText(QStringLiteral("txtPagina"), stamp, error))
        return false;
    report::ReportObject* memo = rep.Object(QStringLiteral("txtRiepilogo"), error);
    if (!memo || !memo->ClearLines(error))
        return false;
    if (memo->kind == report::ObjectKind::Memo)
        memo->lines = lines; // the same as adding each line, without copying a long list line by line
    report::ReportObject* band = rep.Object(QStringLiteral("MasterData"), error);
    if (!band)
        return false;
    const double height = lines.size() * ListLinePitch;
    return memo->SetHeight(height, error) && band->SetHeight(height + 10, error);
}
