#include "search/TrovaRic.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "storage/Lists.h"
#include "storage/Text.h"
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>

namespace {
enum Criterion { NumRic, Data, Pagatore, CodFisc, Sport, Dal, Praticante, DataNasc, LuogoNasc, Indirizzo };
}

TfrmTrovaRic::TfrmTrovaRic(Carvenna& app, QWidget* parent)
    : ListWindow(app, parent, QStringLiteral("TfrmTrovaRic"), QStringLiteral(" Trova ricevute in archivio"),
                 QStringLiteral("Riepilogo ricevute emesse"), QStringLiteral("Ricerca ricevute"),
                 QStringLiteral("Fare doppio clic su una voce in elenco per richiamare la scheda")) {
    panAvvio = new CriteriaPanel(this, m_keys,
                                 {{"Ricevuta n.", "txtNumRic", "effNumRic", 144, 133, 320},
                                  {"Data emissione (gg/mm/aaaa):", "txtData", "effData", 488, 133, 320},
                                  {"Pagatore:", "txtPagatore", "effPagatore", 144, 195, 320},
                                  {"Codice fiscale:", "txtCodFisc", "effCodFisc", 488, 195, 320},
                                  {"Causale pagamento:", "txtSport", "effSport", 144, 257, 320},
                                  {"Data inizio (gg/mm/aaaa):", "txtDal", "effDal", 488, 257, 320},
                                  {"Minore:", "txtPraticante", "effPraticante", 144, 319, 320},
                                  {"Data di nascita:", "txtDataNasc", "effDataNasc", 488, 319, 320},
                                  {"Luogo di nascita:", "txtLuogoNasc", "effLuogoNasc", 144, 381, 664},
                                  {"Modalità di pagamento:", "txtIndirizzo", "effIndirizzo", 144, 438, 664}});
    SetBanner(QStringLiteral("Trova ricevute"));
    lblTrovate = new QLabel(panContainer);
    lblTrovate->setObjectName(QStringLiteral("lblTrovate"));
    lblTrovate->setGeometry(168, 494, 497, 20);
    lblTrovate->setAlignment(Qt::AlignCenter);
    lblTrovate->setStyleSheet(QStringLiteral("color: darkcyan; font-weight: bold;"));
    panContainer->hide();

    connect(panAvvio->btnCerca, &QPushButton::pressed, panAvvio->lblAttendere, &QLabel::show);
    connect(panAvvio->btnCerca, &QPushButton::clicked, this, &TfrmTrovaRic::btnCercaClick);
    connect(panAvvio->btnAnnulla, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmTrovaRic::showEvent(QShowEvent* e) {
    ListWindow::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TfrmTrovaRic::FormShow() {
    ResetFind();
    panAvvio->Edit(NumRic)->setFocus(Qt::OtherFocusReason);
}

void TfrmTrovaRic::btnCercaClick() {
    ReceiptCriteria c;
    c.NumRic = panAvvio->Edit(NumRic)->text();
    c.Data = panAvvio->Edit(Data)->text();
    c.Pagatore = panAvvio->Edit(Pagatore)->text();
    c.CodFisc = panAvvio->Edit(CodFisc)->text();
    c.Sport = panAvvio->Edit(Sport)->text();
    c.Dal = panAvvio->Edit(Dal)->text();
    c.Praticante = panAvvio->Edit(Praticante)->text();
    c.DataNasc = panAvvio->Edit(DataNasc)->text();
    c.LuogoNasc = panAvvio->Edit(LuogoNasc)->text();
    c.Indirizzo = panAvvio->Edit(Indirizzo)->text();
    panAvvio->lblConta->setText(QString::number(FilledCriteria({c.NumRic, c.Data, c.Pagatore, c.CodFisc, c.Sport, c.Dal,
                                                                c.Praticante, c.DataNasc, c.LuogoNasc, c.Indirizzo})));
    const QString path = TrimText(m_app.ReceiptYearFile());
    RecordList found;
    bool ok = false;
    Busy(panAvvio->lblAttendere, [&] { ok = !path.isEmpty() && SearchReceipts(path, c, found); });
    if (!ok) {
        m_app.messages().Warning(ArchiveAccessError(), this);
        return;
    }
    const int count = int(found.lines.size());
    Busy(nullptr, [&] { ShowRecords(std::move(found)); });
    lblTrovate->setText(QStringLiteral("Il presente elenco contiene ") + QString::number(count) +
                        QStringLiteral(" schede."));
    panAvvio->hide();
    panContainer->show();
    txtTrova->clear();
    txtTrova->setFocus(Qt::OtherFocusReason);
}
