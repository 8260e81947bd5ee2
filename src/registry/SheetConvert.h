#pragma once
// Spreadsheets (.ods, .xlsx, .xls) made CSV by LibreOffice, run through the platform's ProgramRunner.
#include "app/ProgramRunner.h"
#include <QString>

/// The LibreOffice program on this machine (soffice or libreoffice on the search path), or empty.
QString FindOffice();
/// Converts a spreadsheet to a UTF-8, comma-separated CSV in `outFolder` with LibreOffice at `office`,
/// run by `runner`, in a private profile (so a LibreOffice the user has open does not swallow the
/// request). `csvPath` gets the file written; on failure `error` says why.
bool ConvertSheetToCsv(ProgramRunner& runner, const QString& office, const QString& path, const QString& outFolder,
                       QString* csvPath, QString* error);
