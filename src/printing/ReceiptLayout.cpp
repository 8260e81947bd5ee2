#include "printing/ReceiptLayout.h"
#include "receipts/DefaultLogo.h"
#include "report/PreparedReport.h"
#include "storage/Text.h"
#include <QFontMetricsF>
#include <QImageReader>
#include <QPair>

std::optional<report::ReportTemplate> LoadReceiptTemplate(QString* error) {
    return report::ReportTemplate::Load(QStringLiteral(":/printing/templates/receipt.json"), error);
}

QImage ReadLogo(const QString& path) {
    QImageReader reader(path);
    return reader.read();
}

QImage ReceiptLogo(const QString& programFolder) {
    const QImage logo = ReadLogo(programFolder + QStringLiteral("Logo.bmp"));
    return logo.isNull() ? DefaultLogo() : logo;
}

bool FillReceiptRecord(report::ReportTemplate& rep, const ReceiptRecord& r, const QImage& logo, QString* error,
                       const QString& childTaxCode) {
    for (const QString& suffix : {QString(), QStringLiteral("_B")})
        if (!rep.SetPicture(QStringLiteral("imgLogo") + suffix, logo, error))
            return false;
    return FillReceiptTexts(rep, r, error, childTaxCode);
}

QString ReceiptChildText(const QString& child, const QString& childTaxCode) {
    const QString name = TrimText(child);
    return name.isEmpty() || TrimText(childTaxCode).isEmpty() ? name
                                                              : name + QStringLiteral(" - C.F. ") + TrimText(childTaxCode);
}

bool FillReceiptTexts(report::ReportTemplate& rep, const ReceiptRecord& r, QString* error, const QString& childTaxCode) {
    auto t = [](const QString& s) { return TrimText(s); };
    const QList<QPair<const char*, QString>> memos = {
        {"txtNumRic", QStringLiteral("Ricevuta n. ") + t(r.NumRic)},
        {"txtData", QStringLiteral("Data:  ") + t(r.Data)},
        {"txtRicevente01", t(r.Ricevente01)},
        {"txtRicevente02", t(r.Ricevente02)},
        {"txtRicevente03", t(r.Ricevente03)},
        {"txtRicevente04", t(r.Ricevente04)},
        {"txtPagatore", t(r.Pagatore)},
        {"txtCodFisc", t(r.CodFisc)},
        {"txtSport", t(r.Sport)},
        {"txtDal", t(r.Dal)},
        {"txtAl", t(r.Al)},
        {"txtPraticante", ReceiptChildText(r.Praticante, childTaxCode)},
        {"txtLuogoNasc", t(r.LuogoNasc)},
        {"txtDataNasc", t(r.DataNasc)},
        {"txtIndirizzo", t(r.Indirizzo)},
        {"txtImpLettere", t(r.ImpLettere) + QLatin1Char('/') + t(r.CentLettere)},
        {"txtImporto", t(r.Importo)},
        {"txtCents", t(r.Cents)},
    };
    for (const QString& suffix : {QString(), QStringLiteral("_B")})
        for (const auto& m : memos)
            if (!rep.SetText(QLatin1String(m.first) + suffix, m.second, error))
                return false;
    // The child's name with its tax code may be longer than its box: the text is made smaller to fit
    // whole rather than cut (never below 7 pixels), and takes the template's size again when it fits.
    static const double kSize = [] {
        std::optional<report::ReportTemplate> t = LoadReceiptTemplate();
        const report::ReportObject* o = t ? t->FindObject(QStringLiteral("txtPraticante")) : nullptr;
        return o ? o->font.height : -12.0;
    }();
    static const QImage device = [] {
        QImage i(1, 1, QImage::Format_RGB32); // the template's units: 96 dots per inch
        i.setDotsPerMeterX(3780);
        i.setDotsPerMeterY(3780);
        return i;
    }();
    for (const QString& suffix : {QString(), QStringLiteral("_B")}) {
        report::ReportObject* o = rep.FindObject(QStringLiteral("txtPraticante") + suffix);
        if (!o)
            continue;
        o->font.height = kSize;
        const double room = o->rect.width() - 2 * o->gapX;
        const double width = QFontMetricsF(report::MakeFont(o->font), &device).horizontalAdvance(o->Text());
        if (width > room && width > 0)
            o->font.height = qMin(-7.0, kSize * room / width);
    }
    return true;
}

QString DuplicateMarkText() {
    return QStringLiteral("DUPLICATO");
}

bool MarkReceiptDuplicate(report::ReportTemplate& rep, bool duplicate, QString* error) {
    const QString text = duplicate ? DuplicateMarkText() : QString();
    return rep.SetText(QStringLiteral("txtDuplicato"), text, error) &&
           rep.SetText(QStringLiteral("txtDuplicato_B"), text, error);
}
