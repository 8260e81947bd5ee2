#pragma once
// The two exports' tables: the receipt year and the registry, their grid columns, export
// headers and widths, file and sheet names, and the loading of the grid from the archive.
#include "export/ExportGrid.h"
#include <functional>

namespace ExportNames {
inline constexpr const char* ReceiptsFile = "Ricevute.xls";
inline constexpr const char* ReceiptsSheet = "Riepilogo Ricevute";
inline constexpr const char* RegistryFile = "Archivio_Anagrafico.xls";
inline constexpr const char* RegistrySheet = "Archivio Anagrafico";
} // namespace ExportNames

/// Row number plus the 12 receipt columns: number, date, payer, tax code, reason, period,
/// child, birth place and date, payment method, total.
QVector<GridColumn> ReceiptGridColumns();
/// Row number plus the 25 registry columns: the parent, the residence, the enrolment, the
/// child and the notes (every field but the sex and the attached files).
QVector<GridColumn> RegistryGridColumns();

/// How a grid load went. `inFile` is the number of whole records the file held (-1 when it
/// could not be opened or sized); `loaded` the records now in the grid.
struct GridLoad {
    qint64 inFile = -1;
    qint64 loaded = 0;
    bool Complete() const { return inFile >= 0 && loaded == inFile; }
};

/// Told, every few thousand records, how many of the file's `total` records are loaded so far.
using GridLoadProgress = std::function<void(qint64 loaded, qint64 total)>;

/// Loads every receipt of the yearly file at `path` (created empty when missing) into `model`;
/// stops at the first record that cannot be read, keeping the rows filled so far.
GridLoad LoadReceiptGrid(const QString& path, ExportGridModel& model, const GridLoadProgress& progress = {});
/// The same for the registry file of `programFolder`.
GridLoad LoadRegistryGrid(const QString& programFolder, ExportGridModel& model, const GridLoadProgress& progress = {});
