#include "search/TrovaRic.h"
#include "app/Carvenna.h"
#include "storage/Lists.h"
#include "storage/Text.h"

namespace {
enum Criterion { NumRic, Data, Pagatore, CodFisc, Sport, Dal, Praticante, DataNasc, LuogoNasc, Indirizzo };
}

TfrmTrovaRic::TfrmTrovaRic(Carvenna& app, QWidget* parent)
    : FindWindow(app, parent, QStringLiteral("TfrmTrovaRic"), QStringLiteral(" Trova ricevute in archivio"),
                 QStringLiteral("Riepilogo ricevute emesse"), QStringLiteral("Ricerca ricevute"),
                 QStringLiteral("Fare doppio clic su una voce in elenco per richiamare la scheda"),
                 {{"Ricevuta n.", "txtNumRic", "effNumRic", 144, 133, 320},
                  {"Data emissione (gg/mm/aaaa):", "txtData", "effData", 488, 133, 320},
                  {"Pagatore:", "txtPagatore", "effPagatore", 144, 195, 320},
                  {"Codice fiscale:", "txtCodFisc", "effCodFisc", 488, 195, 320},
                  {"Causale pagamento:", "txtSport", "effSport", 144, 257, 320},
                  {"Data inizio (gg/mm/aaaa):", "txtDal", "effDal", 488, 257, 320},
                  {"Minore:", "txtPraticante", "effPraticante", 144, 319, 320},
                  {"Data di nascita:", "txtDataNasc", "effDataNasc", 488, 319, 320},
                  {"Luogo di nascita:", "txtLuogoNasc", "effLuogoNasc", 144, 381, 664},
                  {"Modalità di pagamento:", "txtIndirizzo", "effIndirizzo", 144, 438, 664}},
                 QStringLiteral("Trova ricevute")) {}

bool TfrmTrovaRic::Search(const QVector<QString>& t, RecordList& found) {
    ReceiptCriteria c;
    c.NumRic = t[NumRic];
    c.Data = t[Data];
    c.Pagatore = t[Pagatore];
    c.CodFisc = t[CodFisc];
    c.Sport = t[Sport];
    c.Dal = t[Dal];
    c.Praticante = t[Praticante];
    c.DataNasc = t[DataNasc];
    c.LuogoNasc = t[LuogoNasc];
    c.Indirizzo = t[Indirizzo];
    const QString path = TrimText(m_app.ReceiptYearFile());
    return !path.isEmpty() && SearchReceipts(path, c, found);
}

QString TfrmTrovaRic::FoundText(int count) const {
    return QStringLiteral("Il presente elenco contiene ") + QString::number(count) + QStringLiteral(" schede.");
}
