#pragma once
// The printed page of the quarterly virtual stamp duty: per quarter the amount to pay with F24, its tax
// code and deadline, then the documents that carry the stamp.
#include "einvoice/StampDuty.h"
#include "report/PreparedReport.h"
#include <optional>

std::optional<report::PreparedReport> PrepareStampDutyReport(const QVector<StampQuarter>& quarters, int year,
                                                             const QString& school, QString* error = nullptr);
/// "2,00" from cents.
QString EuroComma(qint64 cents);
