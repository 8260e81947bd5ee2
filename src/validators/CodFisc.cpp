#include "validators/CodFisc.h"
#include "app/Carvenna.h"
#include "app/FieldText.h"
#include "app/Placement.h"
#include "storage/Text.h"
#include "validators/TaxCode.h"
#include "validators/TypingLimit.h"
#include <QKeyEvent>

namespace {
const char kLength[] = "Attenzione: il codice fiscale deve essere composto da 16 caratteri alfanumerici.";
const char kValid[] = "Il codice fiscale digitato è VALIDO.";
const char kWrong[] = "Attenzione: il codice fiscale digitato è ERRATO.";

// Upper case one character at a time, so the length never changes (no "ß" to "SS").
QString UpperSameLength(QString s) {
    for (QChar& c : s)
        c = c.toUpper();
    return s;
}
} // namespace

TfrmCodFisc::TfrmCodFisc(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    SetFormatSettings();
    // At most 16 characters typed; a longer text filled in by the caller stays whole and gets the
    // length warning instead of being cut to something that might pass.
    new TypingLimit(ui.txtCodFisc, 16);
    ui.txtCodFisc->installEventFilter(this);
    connect(ui.txtCodFisc, &QLineEdit::textChanged, this, &TfrmCodFisc::txtCodFiscChange);
    connect(ui.btnControlla, &QPushButton::clicked, this, &TfrmCodFisc::btnControllaClick);
    connect(ui.btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmCodFisc::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TfrmCodFisc::FormShow() {
    CentreOnScreen(this);
    // The caller may have filled the field with a text not yet in upper case.
    txtCodFiscChange();
    ui.txtCodFisc->setFocus();
}

bool TfrmCodFisc::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.txtCodFisc && event->type() == QEvent::KeyPress)
        return txtCodFiscKeyDown(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

bool TfrmCodFisc::txtCodFiscKeyDown(QKeyEvent* key) {
    // Enter only moves to "Controlla"; it must not reach the dialog, which would press a button.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        ui.btnControlla->setFocus();
        return true;
    }
    return false;
}

void TfrmCodFisc::txtCodFiscChange() {
    QLineEdit* f = ui.txtCodFisc;
    const QString text = f->text();
    const QString fixed = UpperSameLength(TrimText(text));
    if (fixed != text)
        SetTextKeepingCursor(f, text, fixed);
}

void TfrmCodFisc::btnControllaClick() {
    const QString code = UpperSameLength(ui.txtCodFisc->text());
    const TaxCodeResult result = CheckTaxCode(code);
    if (result == TaxCodeResult::WrongLength) {
        m_app.messages().Warning(QString::fromUtf8(kLength), this);
        ui.txtCodFisc->setFocus();
        return;
    }
    if (result == TaxCodeResult::Valid)
        m_app.messages().Information(QString::fromUtf8(kValid), this);
    else
        m_app.messages().Warning(QString::fromUtf8(kWrong), this);
    accept();
}
