#include "app/CambiaPassword.h"
#include "app/Carvenna.h"
#include "app/Crypt.h"
#include "app/FocusFrame.h"
#include "app/Password.h"
#include "app/Placement.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include <QCloseEvent>
#include <QKeyEvent>

namespace {
const char kOldWrong[] = "Attenzione: vecchia password errata.";
const char kNotConfirmed[] = "Attenzione: la nuova password non è stata confermata correttamente. "
                             "E' necessario reinserire entrambi i valori.";
const char kChangeError[] = "Attenzione: si è verificato un errore durante la procedura di modifica della password. "
                            "Si consiglia di reinstallare il software.";
const char kTooLong[] =
    "Attenzione: la nuova password può contenere al massimo 255 caratteri dell'alfabeto occidentale.";
const char kDone[] = "Modifica della password completata con successo.";

// The scrambling keeps one byte per character: longer texts or other alphabets could not be read back.
bool Storable(const QString& s) {
    if (s.size() > 255)
        return false;
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}
} // namespace

TfrmCambiaPassword::TfrmCambiaPassword(Carvenna& app, QWidget* parent) : QWidget(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    ui.imgChiave->setPixmap(QIcon(QStringLiteral(":/app/art/chiave.svg")).pixmap(64, 64));
    new FocusFrame(ui.txtPasswordOld, ui.effPasswordOld);
    new FocusFrame(ui.txtPasswordNew, ui.effPasswordNew);
    new FocusFrame(ui.txtConferma, ui.effConferma);
    for (QLineEdit* f : {ui.txtPasswordOld, ui.txtPasswordNew, ui.txtConferma}) {
        f->installEventFilter(this);
        connect(f, &QLineEdit::textChanged, this, &TfrmCambiaPassword::FieldChange);
    }
    // Enter moves round the three fields and never presses OK.
    connect(ui.txtPasswordOld, &QLineEdit::returnPressed, ui.txtPasswordNew, [this] { ui.txtPasswordNew->setFocus(); });
    connect(ui.txtPasswordNew, &QLineEdit::returnPressed, ui.txtConferma, [this] { ui.txtConferma->setFocus(); });
    connect(ui.txtConferma, &QLineEdit::returnPressed, ui.txtPasswordOld, [this] { ui.txtPasswordOld->setFocus(); });
    connect(ui.cmdOK, &QPushButton::clicked, this, &TfrmCambiaPassword::cmdOKClick);
    connect(ui.cmdEsci, &QPushButton::clicked, this, &TfrmCambiaPassword::cmdEsciClick);
}

void TfrmCambiaPassword::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    FormShow();
}

void TfrmCambiaPassword::FormShow() {
    CentreOnScreen(this);
    ui.txtPasswordOld->clear();
    ui.txtPasswordNew->clear();
    ui.txtConferma->clear();
    activateWindow();
    ui.txtPasswordOld->setFocus();
}

void TfrmCambiaPassword::closeEvent(QCloseEvent* e) {
    e->accept();
    if (!m_app.HasQuit() && m_app.password())
        m_app.password()->ReturnFromChange();
}

bool TfrmCambiaPassword::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease)
        FieldChange();
    return QWidget::eventFilter(watched, event);
}

void TfrmCambiaPassword::FieldChange() {
    ui.cmdOK->setEnabled(!TrimText(ui.txtPasswordOld->text()).isEmpty() &&
                         !TrimText(ui.txtPasswordNew->text()).isEmpty() &&
                         !TrimText(ui.txtConferma->text()).isEmpty());
}

void TfrmCambiaPassword::cmdOKClick() {
    QString stored;
    if (!ReadStoredPassword(m_app.PasswordPath(), stored)) {
        m_app.messages().Plain(QString::fromUtf8(kChangeError), this);
        return;
    }
    ui.lblMemory->setText(stored);
    const bool oldRight = !stored.isEmpty() && TrimText(UpperAZ(ui.txtPasswordOld->text())) == stored;
    ui.lblMemory->clear();
    if (!oldRight) {
        m_app.messages().Plain(QString::fromUtf8(kOldWrong), this);
        ui.txtPasswordOld->clear();
        ui.txtPasswordOld->setFocus();
        return;
    }
    if (TrimText(ui.txtPasswordNew->text()) != TrimText(ui.txtConferma->text())) {
        m_app.messages().Plain(QString::fromUtf8(kNotConfirmed), this);
        ui.txtPasswordNew->clear();
        ui.txtConferma->clear();
        ui.txtPasswordNew->setFocus();
        return;
    }
    const QString fresh = TrimText(UpperAZ(ui.txtPasswordNew->text()));
    if (!Storable(fresh)) {
        m_app.messages().Plain(QString::fromUtf8(kTooLong), this);
        ui.txtPasswordNew->clear();
        ui.txtConferma->clear();
        ui.txtPasswordNew->setFocus();
        return;
    }
    if (!IniWrite(m_app.PasswordPath(), QStringLiteral("Accesso"), QStringLiteral("Valore"),
                  TrimText(Encipher(fresh)))) {
        m_app.messages().Plain(QString::fromUtf8(kChangeError), this);
        return;
    }
    m_app.messages().Plain(QString::fromUtf8(kDone), this);
    close();
}

void TfrmCambiaPassword::cmdEsciClick() { close(); }
