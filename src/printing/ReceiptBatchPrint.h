#pragma once
// Many stored receipts in one print job: one A4 page per receipt, each page the receipt print's two
// copies filled from the stored record instead of the editor's controls.
#include "printing/ReceiptLayout.h"
#include "registry/ChildTaxCodes.h"
#include "report/PreparedReport.h"
#include "storage/ReceiptFile.h"
#include <QImage>
#include <QString>
#include <QVector>

/// One page per receipt of `receipts`, in their order, on the receipt template in portrait. Pages share
/// the logo's pixels, so the pages' memory is their texts. A receipt whose `duplicates` entry is true
/// carries the DUPLICATO mark on both copies.
/// `childCodes` names each receipt's child's tax code when it knows it.
bool PrepareReceipts(const QVector<ReceiptRecord>& receipts, const QImage& logo, report::PreparedReport& out,
                     QString* error = nullptr, const QVector<bool>& duplicates = {},
                     const ChildCodeIndex* childCodes = nullptr);
