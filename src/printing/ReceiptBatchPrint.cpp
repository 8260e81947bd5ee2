#include "printing/ReceiptBatchPrint.h"
#include "printing/ReceiptPrint.h"
#include "receipts/DefaultLogo.h"
#include "storage/Text.h"
#include <QPair>

bool FillReceiptRecord(report::ReportTemplate& rep, const ReceiptRecord& r, const QImage& logo, QString* error) {
    for (const QString& suffix : {QString(), QStringLiteral("_B")})
        if (!rep.SetPicture(QStringLiteral("imgLogo") + suffix, logo, error))
            return false;
    return FillReceiptTexts(rep, r, error);
}

bool FillReceiptTexts(report::ReportTemplate& rep, const ReceiptRecord& r, QString* error) {
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
        {"txtPraticante", t(r.Praticante)},
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
    return true;
}

bool PrepareReceipts(const QVector<ReceiptRecord>& receipts, const QImage& logo, report::PreparedReport& out,
                     QString* error, const QVector<bool>& duplicates) {
    std::optional<report::ReportTemplate> rep = LoadReceiptTemplate(error);
    if (!rep)
        return false;
    report::ReportPage* page = rep->Page(1, error);
    if (!page)
        return false;
    page->SetOrientation(report::Orientation::Portrait);
    out = report::PreparedReport();
    out.pages.reserve(size_t(receipts.size()));
    // The logo is set once: the template keeps its own copy, which every page then shares instead of
    // holding two copies of its pixels per page.
    for (const QString& suffix : {QString(), QStringLiteral("_B")})
        if (!rep->SetPicture(QStringLiteral("imgLogo") + suffix, logo, error))
            return false;
    for (int i = 0; i < receipts.size(); ++i) {
        if (!FillReceiptTexts(*rep, receipts[i], error) ||
            !MarkReceiptDuplicate(*rep, duplicates.value(i), error) || !rep->Prepare(error))
            return false;
        const report::PreparedReport& one = rep->Prepared();
        if (out.pages.empty()) {
            out.name = one.name;
            out.preview = one.preview;
            out.print = one.print;
        }
        for (const report::PreparedPage& p : one.pages)
            out.pages.push_back(p);
    }
    return true;
}

QImage ReceiptLogo(const QString& programFolder) {
    const QImage logo = ReadLogo(programFolder + QStringLiteral("Logo.bmp"));
    return logo.isNull() ? DefaultLogo() : logo;
}
