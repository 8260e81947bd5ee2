#pragma once
// The courtesy copy of an electronic invoice: the invoice file read back and laid out as a readable A4
// page for the family, prepared for the printing service (its PDF is proposed as
// PDF/Fattura_<anno>_<numero>.pdf).
#include "report/PreparedReport.h"
#include <QByteArray>
#include <QString>
#include <optional>

/// Prepares the page from the invoice XML as written; `year` is the receipt archive's year (for the
/// PDF name). Nothing, with `error`, when the file is not an invoice this program can read.
std::optional<report::PreparedReport> PrepareCourtesyCopy(const QByteArray& xml, const QString& year,
                                                          QString* error = nullptr);
