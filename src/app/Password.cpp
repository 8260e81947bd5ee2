#include "app/Password.h"
#include "app/Carvenna.h"
#include "app/CambiaPassword.h"
#include "app/Crypt.h"
#include "app/FocusFrame.h"
#include "app/Placement.h"
#include "storage/Backup.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>

namespace {
const char kWrong[] = "Attenzione: password errata.";
const char kReadError[] = "Attenzione: si è verificato un errore durante la procedura di lettura della password. "
                          "Si consiglia di reinstallare il software.";
const char kBackupFailed[] = "Attenzione: non è stato possibile eseguire la copia di sicurezza giornaliera degli "
                             "archivi nella cartella Backup.\n\r\n\rAccertarsi di possedere i privilegi di scrittura "
                             "nella cartella di installazione del programma e che il disco non sia pieno.";
} // namespace

bool ReadStoredPassword(const QString& passwordFile, QString& out) {
    bool ok = true;
    const QString hex = IniRead(passwordFile, QStringLiteral("Accesso"), QStringLiteral("Valore"), &ok);
    if (!ok)
        return false;
    const auto plain = Decipher(hex);
    if (!plain)
        return false;
    out = TrimText(*plain);
    return true;
}

TfrmPassword::TfrmPassword(Carvenna& app, QWidget* parent) : QWidget(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    ui.imgChiave->setPixmap(QIcon(QStringLiteral(":/app/art/chiave.svg")).pixmap(64, 64));
    new FocusFrame(ui.txtPassword, ui.effPassword);
    ui.txtPassword->installEventFilter(this);
    connect(ui.txtPassword, &QLineEdit::textChanged, this, &TfrmPassword::txtPasswordChange);
    connect(ui.txtPassword, &QLineEdit::returnPressed, this, &TfrmPassword::txtPasswordEnter);
    connect(ui.cmdOK, &QPushButton::clicked, this, &TfrmPassword::cmdOKClick);
    connect(ui.cmdEsci, &QPushButton::clicked, this, &TfrmPassword::cmdEsciClick);
    connect(ui.btnCambiaPassword, &QPushButton::clicked, this, &TfrmPassword::btnCambiaPasswordClick);
}

void TfrmPassword::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    FormShow();
}

void TfrmPassword::FormShow() {
    CentreOnScreen(this);
    activateWindow();
    ui.txtPassword->setFocus();
}

void TfrmPassword::closeEvent(QCloseEvent* e) {
    // The window has no close button; a close from the desktop ends the program like "Esci".
    e->accept();
    if (!m_app.HasQuit())
        m_app.Quit();
}

bool TfrmPassword::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.txtPassword && event->type() == QEvent::KeyRelease)
        txtPasswordChange();
    return QWidget::eventFilter(watched, event);
}

void TfrmPassword::txtPasswordChange() { ui.cmdOK->setEnabled(!TrimText(ui.txtPassword->text()).isEmpty()); }

void TfrmPassword::txtPasswordEnter() {
    if (!TrimText(ui.txtPassword->text()).isEmpty())
        cmdOKClick();
}

void TfrmPassword::cmdOKClick() {
    QString stored;
    if (!ReadStoredPassword(m_app.PasswordPath(), stored)) {
        m_app.messages().Plain(QString::fromUtf8(kReadError), this);
        return;
    }
    ui.lblMemory->setText(stored);
    const QString typed = TrimText(UpperAZ(ui.txtPassword->text()));
    const bool right = !stored.isEmpty() && typed == stored;
    ui.lblMemory->clear();
    if (right) {
        m_app.GoHome(this);
        // Once a day, after the log-in: silent unless the copy fails.
        if (RunDailyBackup(m_app.ProgramFolder(), m_app.clock().Today()).outcome == BackupResult::Failed)
            m_app.messages().Warning(QString::fromUtf8(kBackupFailed), m_app.AreaWindow(Carvenna::Area::Home));
        return;
    }
    m_app.messages().Plain(QString::fromUtf8(kWrong), this);
    ui.txtPassword->clear();
    ui.txtPassword->setFocus();
}

void TfrmPassword::cmdEsciClick() { close(); }

void TfrmPassword::btnCambiaPasswordClick() { m_app.Switch(m_app.cambiaPassword(), this); }

void TfrmPassword::ReturnFromChange() {
    ui.txtPassword->clear();
    m_app.Switch(this, m_app.cambiaPassword());
    ui.txtPassword->setFocus();
}
