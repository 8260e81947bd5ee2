#include "app/Carvenna.h"
#include "app/CambiaPassword.h"
#include "app/Password.h"
#include <QApplication>
#include <QLocale>
#include <QWidget>
// [window includes] one line per window header, kept in start-up order
#include "app/Avvio.h"
#include "receipts/MenuRicevute.h"
#include "receipts/Ricevuta.h"

void SetFormatSettings() {
    // Dates are always dd/mm/yyyy and amounts use the comma: the Italian locale gives both.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
}

Carvenna::Carvenna(const Platform& platform, QObject* parent) : QObject(parent), m_platform(platform) {}

Carvenna::~Carvenna() {
    // Top-level windows have no parent; delete them here, in reverse order of creation.
    delete m_menuRiepCosti;
    delete m_tiratori;
    delete m_ricevuta;
    delete m_menuRicevute;
    delete m_avvio;
    delete m_cambiaPassword;
    delete m_password;
}

void Carvenna::Start() {
    // The password window first, so it is the main window; then every other window class in
    // start-up order. Per-use windows are created here once only to check they build; each use
    // creates its own instance.
    m_password = new TfrmPassword(*this);
    m_cambiaPassword = new TfrmCambiaPassword(*this);
    SetFormatSettings();
    // [window creation] single-instance windows are assigned to their members here
    m_avvio = new TfrmAvvio(*this);
    m_menuRicevute = new TfrmMenuRicevute(*this);
    m_ricevuta = new TfrmRicevuta(*this);
    m_password->show();
}

void Carvenna::Quit() {
    m_quit = true;
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
    QCoreApplication::exit(0);
}

void Carvenna::Switch(QWidget* show, QWidget* hide) {
    if (show)
        show->show();
    if (hide && hide != show)
        hide->hide();
}
