#include "export/ExportTables.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include <array>

namespace {
GridColumn Number() {
    return {QStringLiteral("N."), 60, false, {}, 0};
}

// Reads the file's records in blocks through `decode`, which appends one row; the count comes
// first so that the grid is sized once.
template <class File, class Decode>
GridLoad Load(File& file, bool opened, ExportGridModel& model, const GridLoadProgress& progress, Decode decode) {
    GridLoad result;
    model.BeginLoad(0);
    if (opened) {
        result.inFile = file.RecordCount();
        if (result.inFile >= 0) {
            model.BeginLoad(result.inFile);
            file.Raw().Scan([&](qint64 i, const char* rec) {
                decode(rec);
                if (progress && (i + 1) % 2000 == 0)
                    progress(i + 1, result.inFile);
                return true;
            });
        }
        file.Close();
    }
    model.EndLoad();
    result.loaded = model.LoadedRecords();
    return result;
}
} // namespace

QVector<GridColumn> ReceiptGridColumns() {
    auto col = [](const char* header, int width, bool editable, int exportWidth, CellKind kind = CellKind::Text) {
        const QString h = QString::fromUtf8(header);
        return GridColumn{h, width, editable, h, exportWidth, kind};
    };
    constexpr CellKind D = CellKind::Date, A = CellKind::Amount;
    return {Number(),
            col("Ricevuta n.", 150, false, 200),
            col("Data emissione", 120, false, 200, D),
            col("Pagatore", 250, false, 300),
            col("Codice fiscale", 180, false, 200),
            col("Causale", 300, true, 400),
            col("Inizio periodo", 180, false, 200, D),
            col("Fine periodo", 180, true, 200, D),
            col("Minore", 250, true, 300),
            col("Luogo di nascita", 250, true, 350),
            col("Data di nascita", 180, true, 200, D),
            col("Modalità di pagamento", 350, true, 400),
            col("Totale: €", 180, true, 200, A)};
}

QVector<GridColumn> RegistryGridColumns() {
    auto col = [](const char* header, int width, bool editable, const char* exportHeader, int exportWidth,
                  CellKind kind = CellKind::Text) {
        return GridColumn{QString::fromUtf8(header),       width,       editable,
                          QString::fromUtf8(exportHeader), exportWidth, kind};
    };
    constexpr CellKind D = CellKind::Date, A = CellKind::Amount;
    return {Number(),
            col("Genitore", 250, false, "Genitore", 280),
            col("Data nascita", 150, false, "Data nascita", 200, D),
            col("Cittadinanza", 200, false, "Cittadinanza", 250),
            col("Luogo nascita", 250, true, "Luogo nascita", 300),
            col("Indirizzo residenza", 250, true, "Indirizzo residenza", 300),
            col("Città", 220, true, "Città", 250),
            col("CAP", 100, true, "CAP", 150),
            col("Nazione", 200, false, "Nazione", 250),
            col("Codice fiscale", 180, false, "Codice fiscale", 250),
            col("Persona delegata", 250, true, "Persona delegata", 280),
            col("Recapito", 220, false, "Recapito", 250),
            col("Scad. certificato medico", 180, false, "Scad. certificato medico", 250, D),
            col("Causale pagamento", 300, false, "Causale pagamento", 400),
            col("E-mail", 220, true, "E-mail", 250),
            col("Tel. casa", 180, false, "Tel. casa", 200),
            col("Tel. cellulare", 180, true, "Tel. cellulare", 200),
            col("Iscrizione n.", 200, false, "Iscrizione n.", 250),
            col("Quota", 150, true, "Quota", 200, A),
            col("Data iscrizione", 150, true, "Data iscrizione", 200, D),
            col("Data di scadenza", 150, true, "Data scadenza", 200, D),
            col("Minore", 250, true, "Minore", 280),
            col("Luogo nascita", 250, true, "Luogo nascita", 300),
            col("Data nascita", 150, true, "Data nascita", 200, D),
            col("Modalità pagamento", 300, true, "Modalità pagamento", 400),
            col("Note", 350, true, "Note", 400)};
}

GridLoad LoadReceiptGrid(const QString& path, ExportGridModel& model, const GridLoadProgress& progress) {
    ReceiptFile file;
    const bool opened = file.OpenOrCreate(path);
    using namespace ReceiptField;
    // Only the exported fields are kept: the amount in words and the receiver lines are not.
    static const int pick[] = {NumRic, Data,       Pagatore,  CodFisc,  Sport,     Dal,
                               Al,     Praticante, LuogoNasc, DataNasc, Indirizzo, Intero};
    return Load(file, opened, model, progress,
                [&](const char* bytes) { model.AppendStored(bytes, ReceiptRecord::Layout(), pick); });
}

GridLoad LoadRegistryGrid(const QString& programFolder, ExportGridModel& model, const GridLoadProgress& progress) {
    RegistryFile file;
    const bool opened = file.OpenOrCreate(programFolder);
    // Every field from the parent to the notes except the sex (field 1); the attached files are not
    // exported.
    static const std::array<int, 25> pick = [] {
        std::array<int, 25> p{};
        p[0] = RegistryField::Tiratore;
        for (int i = RegistryField::DataNasc; i <= RegistryField::Note; ++i)
            p[size_t(i - 1)] = i;
        return p;
    }();
    return Load(file, opened, model, progress,
                [&](const char* bytes) { model.AppendStored(bytes, RegistryRecord::Layout(), pick.data()); });
}
