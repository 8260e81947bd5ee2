#include "validators/PartitaIva.h"
#include "app/Carvenna.h"
#include "app/Placement.h"
#include "widgets/DigitsFilter.h"
#include "validators/TypingLimit.h"
#include "validators/VatNumber.h"
#include <QKeyEvent>

namespace {
const char kLength[] = "Attenzione: la partita IVA deve essere composta da 11 caratteri numerici.";
const char kValid[] = "Il numero di partita IVA digitato risulta VALIDO.\r\n\r\n"
                      "E' stato rilasciato dall'Ufficio IVA del Comune di ";
const char kWrong[] = "Attenzione: il numero di partita IVA digitato risulta ERRATO!\r\n\r\n"
                      "Non è quindi possibile fornire informazioni relative all'Ufficio IVA che lo ha rilasciato.";
} // namespace

TfrmPartitaIva::TfrmPartitaIva(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    SetFormatSettings();
    // At most 11 characters typed; a longer text filled in by the caller stays whole and gets the
    // length warning instead of being cut to something that might pass.
    new TypingLimit(ui.txtPartitaIva, 11);
    // Typing lets through digits and the editing keys only; Enter is ours (below).
    ui.txtPartitaIva->installEventFilter(new DigitsFilter(this));
    ui.txtPartitaIva->installEventFilter(this);
    connect(ui.btnControlla, &QPushButton::clicked, this, &TfrmPartitaIva::btnControllaClick);
    connect(ui.btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmPartitaIva::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TfrmPartitaIva::FormShow() {
    CentreOnScreen(this);
    ui.txtPartitaIva->setFocus();
}

bool TfrmPartitaIva::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.txtPartitaIva && event->type() == QEvent::KeyPress)
        return txtPartitaIvaKeyDown(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

bool TfrmPartitaIva::txtPartitaIvaKeyDown(QKeyEvent* key) {
    // Enter only moves to "Controlla"; it must not reach the dialog, which would press a button.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        ui.btnControlla->setFocus();
        return true;
    }
    return false;
}

void TfrmPartitaIva::btnControllaClick() {
    // Upper-casing cannot turn a non-digit into a digit, and a length-changing case mapping would
    // turn an eleven-character wrong number into a length warning: the text is checked as it is.
    const QString number = ui.txtPartitaIva->text();
    if (number.size() != 11) {
        m_app.messages().Warning(QString::fromUtf8(kLength), this);
        ui.txtPartitaIva->setFocus();
        return;
    }
    if (IsValidVatNumber(number))
        m_app.messages().Information(
            QString::fromUtf8(kValid) + VatOfficeName(VatOfficeCode(number)) + QLatin1Char('.'), this);
    else
        m_app.messages().Warning(QString::fromUtf8(kWrong), this);
    accept();
}
