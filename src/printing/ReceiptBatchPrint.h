#pragma once
// Many stored receipts in one print job: one A4 page per receipt, each page the receipt print's two
// copies filled from the stored record instead of the editor's controls.
#include "report/PreparedReport.h"
#include "report/ReportTemplate.h"
#include "storage/ReceiptFile.h"
#include <QImage>
#include <QString>
#include <QVector>

/// Fills both copies of the receipt template `rep` from `r` and `logo`: the one rule of what each text
/// of a printed receipt shows, for a stored receipt and for the editor's screen alike.
bool FillReceiptRecord(report::ReportTemplate& rep, const ReceiptRecord& r, const QImage& logo,
                       QString* error = nullptr);

/// Fills only the texts of both copies from `r`, leaving the logo as it is.
bool FillReceiptTexts(report::ReportTemplate& rep, const ReceiptRecord& r, QString* error = nullptr);

/// One page per receipt of `receipts`, in their order, on the receipt template in portrait. Pages share
/// the logo's pixels, so the pages' memory is their texts. A receipt whose `duplicates` entry is true
/// carries the DUPLICATO mark on both copies.
bool PrepareReceipts(const QVector<ReceiptRecord>& receipts, const QImage& logo, report::PreparedReport& out,
                     QString* error = nullptr, const QVector<bool>& duplicates = {});

/// The logo printed on receipts: Logo.bmp of `programFolder`, or the built-in logo when it cannot be read.
QImage ReceiptLogo(const QString& programFolder);
