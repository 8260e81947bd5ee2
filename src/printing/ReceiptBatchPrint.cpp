#include "printing/ReceiptBatchPrint.h"

bool PrepareReceipts(const QVector<ReceiptRecord>& receipts, const QImage& logo, report::PreparedReport& out,
                     QString* error, const QVector<bool>& duplicates, const ChildCodeIndex* childCodes) {
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
        const QString code = childCodes ? childCodes->Of(receipts[i].CodFisc, receipts[i].Praticante) : QString();
        if (!FillReceiptTexts(*rep, receipts[i], error, code) ||
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

