#include "search/TrovaTiratori.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "storage/Lists.h"
#include "storage/Text.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {
enum Criterion { Tiratore, DataNasc, Cittadinanza, LuogoNasc, CodFisc, Gruppo, Tessera, Armi, Ente, Note };
}

TfrmTrovaTiratori::TfrmTrovaTiratori(Carvenna& app, QWidget* parent)
    : ListWindow(app, parent, QStringLiteral("TfrmTrovaTiratori"),
                 QStringLiteral(" Trova schede anagrafiche in archivio"),
                 QStringLiteral("Riepilogo schede anagrafiche"), QStringLiteral("Ricerca iscritti"),
                 QStringLiteral("Fare doppio clic sulla voce in elenco per richiamare la scheda")) {
    panAvvio = new CriteriaPanel(this, m_keys,
                                 {{"Genitore:", "txtTiratore", "effCampo01", 144, 141, 320},
                                  {"Data nascita (gg/mm/aaaa):", "txtDataNasc", "effCampo02", 488, 141, 320},
                                  {"Cittadinanza:", "txtCittadinanza", "effCampo09", 144, 211, 320},
                                  {"Luogo nascita:", "txtLuogoNasc", "effCampo10", 488, 211, 320},
                                  {"Codice fiscale:", "txtCodFisc", "effCampo05", 144, 281, 320},
                                  {"Persona delegata:", "txtGruppo", "effCampo06", 488, 281, 320},
                                  {"Numero iscrizione:", "txtTessera", "effCampo07", 144, 351, 320},
                                  {"Minore:", "txtArmi", "effCampo08", 488, 351, 320},
                                  {"Causale pagamento:", "txtEnte", "effCampo03", 144, 421, 320},
                                  {"Note:", "txtNote", "effCampo04", 488, 421, 320}});
    panAvvio->icoTrova01->setObjectName(QStringLiteral("imgTrova01"));
    SetBanner(QStringLiteral("Trova schede anagrafiche"));
    lblTrovate = new QLabel(panContainer);
    lblTrovate->setObjectName(QStringLiteral("lblTrovate"));
    lblTrovate->setGeometry(168, 494, 497, 20);
    lblTrovate->setAlignment(Qt::AlignCenter);
    lblTrovate->setStyleSheet(QStringLiteral("color: darkcyan; font-weight: bold;"));
    panContainer->hide();

    connect(panAvvio->btnCerca, &QPushButton::pressed, panAvvio->lblAttendere, &QLabel::show);
    connect(panAvvio->btnCerca, &QPushButton::clicked, this, &TfrmTrovaTiratori::btnCercaClick);
    connect(panAvvio->btnAnnulla, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmTrovaTiratori::showEvent(QShowEvent* e) {
    ListWindow::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TfrmTrovaTiratori::FormShow() {
    ResetFind();
    panAvvio->Edit(Tiratore)->setFocus(Qt::OtherFocusReason);
}

void TfrmTrovaTiratori::btnCercaClick() {
    CardCriteria c;
    c.Tiratore = panAvvio->Edit(Tiratore)->text();
    c.DataNasc = panAvvio->Edit(DataNasc)->text();
    c.Cittadinanza = panAvvio->Edit(Cittadinanza)->text();
    c.LuogoNasc = panAvvio->Edit(LuogoNasc)->text();
    c.CodFisc = panAvvio->Edit(CodFisc)->text();
    c.Gruppo = panAvvio->Edit(Gruppo)->text();
    c.Tessera = panAvvio->Edit(Tessera)->text();
    c.Armi = panAvvio->Edit(Armi)->text();
    c.Ente = panAvvio->Edit(Ente)->text();
    c.Note = panAvvio->Edit(Note)->text();
    panAvvio->lblConta->setText(
        QString::number(FilledCriteria({c.Tiratore, c.DataNasc, c.Cittadinanza, c.LuogoNasc, c.CodFisc, c.Gruppo,
                                        c.Tessera, c.Armi, c.Ente, c.Note})));
    RecordList found;
    bool ok = false;
    Busy(panAvvio->lblAttendere, [&] { ok = SearchCards(m_app.ProgramFolder(), c, found); });
    if (!ok) {
        m_app.messages().Warning(ArchiveAccessError(), this);
        return;
    }
    const int count = int(found.lines.size());
    Busy(nullptr, [&] { ShowRecords(std::move(found)); });
    lblTrovate->setText(QStringLiteral("Il presente riepilogo contiene ") + QString::number(count) +
                        QStringLiteral(" schede"));
    panAvvio->hide();
    panContainer->show();
    txtTrova->clear();
    txtTrova->setFocus(Qt::OtherFocusReason);
}
