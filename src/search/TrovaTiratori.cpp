#include "search/TrovaTiratori.h"
#include "app/Carvenna.h"
#include "storage/Lists.h"
#include "storage/Text.h"
#include <QLabel>

namespace {
enum Criterion { Tiratore, DataNasc, Cittadinanza, LuogoNasc, CodFisc, Gruppo, Tessera, Armi, Ente, Note };
}

TfrmTrovaTiratori::TfrmTrovaTiratori(Carvenna& app, QWidget* parent)
    : FindWindow(app, parent, QStringLiteral("TfrmTrovaTiratori"),
                 QStringLiteral(" Trova schede anagrafiche in archivio"),
                 QStringLiteral("Riepilogo schede anagrafiche"), QStringLiteral("Ricerca iscritti"),
                 QStringLiteral("Fare doppio clic sulla voce in elenco per richiamare la scheda"),
                 {{"Genitore:", "txtTiratore", "effCampo01", 144, 141, 320},
                  {"Data nascita (gg/mm/aaaa):", "txtDataNasc", "effCampo02", 488, 141, 320},
                  {"Cittadinanza:", "txtCittadinanza", "effCampo09", 144, 211, 320},
                  {"Luogo nascita:", "txtLuogoNasc", "effCampo10", 488, 211, 320},
                  {"Codice fiscale:", "txtCodFisc", "effCampo05", 144, 281, 320},
                  {"Persona delegata:", "txtGruppo", "effCampo06", 488, 281, 320},
                  {"Numero iscrizione:", "txtTessera", "effCampo07", 144, 351, 320},
                  {"Minore:", "txtArmi", "effCampo08", 488, 351, 320},
                  {"Causale pagamento:", "txtEnte", "effCampo03", 144, 421, 320},
                  {"Note:", "txtNote", "effCampo04", 488, 421, 320}},
                 QStringLiteral("Trova schede anagrafiche")) {
    panAvvio->icoTrova01->setObjectName(QStringLiteral("imgTrova01"));
}

bool TfrmTrovaTiratori::Search(const QVector<QString>& t, RecordList& found) {
    CardCriteria c;
    c.Tiratore = t[Tiratore];
    c.DataNasc = t[DataNasc];
    c.Cittadinanza = t[Cittadinanza];
    c.LuogoNasc = t[LuogoNasc];
    c.CodFisc = t[CodFisc];
    c.Gruppo = t[Gruppo];
    c.Tessera = t[Tessera];
    c.Armi = t[Armi];
    c.Ente = t[Ente];
    c.Note = t[Note];
    return SearchCards(m_app.ProgramFolder(), c, found);
}

QString TfrmTrovaTiratori::FoundText(int count) const {
    return QStringLiteral("Il presente riepilogo contiene ") + QString::number(count) + QStringLiteral(" schede");
}
