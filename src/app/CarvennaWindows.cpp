// The one place that knows the program's windows: it creates them at start-up and offers the verbs
// through which other windows reach them (show an area, go home, the receipt on the editor's screen).
#include "app/Carvenna.h"
#include "storage/Text.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>
#include <QWidget>
#include <QWindow>
// [window includes] one line per window header, kept in start-up order
#include "app/Password.h"
#include "app/Avvio.h"
#include "app/CambiaPassword.h"
#include "receipts/MenuRicevute.h"
#include "receipts/Ricevuta.h"
#include "summary/MenuRiepCosti.h"
#include "registry/Tiratori.h"

namespace {

// Shows `w` and lets its first frame reach the screen before anything else is built, so that the
// user sees the password window as soon as a bare window would appear. Waits at most a moment for a
// window system that maps windows late.
void ShowFirstFrame(QWidget* w) {
    w->show();
    QElapsedTimer waited;
    waited.start();
    QCoreApplication::processEvents();
    while (w->windowHandle() && !w->windowHandle()->isExposed() && waited.elapsed() < 250) {
        QThread::msleep(2);
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents(); // the paint of the exposed window
}

} // namespace

void Carvenna::Start() {
    // The password window first, so it is the main window, and on screen before the rest is built;
    // then the other single-instance windows in start-up order (creating the start menu sets the
    // formats); the closing show() changes nothing for a window already shown. Per-use windows are
    // created by whoever opens them, one instance per use, so none is made here.
    SetFormatSettings();
    m_windows << (m_password = new TfrmPassword(*this));
    ShowFirstFrame(m_password);
    // [window creation] single-instance windows are assigned to their members here
    m_windows << (m_avvio = new TfrmAvvio(*this));
    m_windows << (m_cambiaPassword = new TfrmCambiaPassword(*this));
    m_windows << (m_menuRicevute = new TfrmMenuRicevute(*this));
    m_windows << (m_ricevuta = new TfrmRicevuta(*this));
    m_windows << (m_menuRiepCosti = new TfrmMenuRiepCosti(*this));
    m_windows << (m_tiratori = new TfrmTiratori(*this));
    m_password->show();
}

QWidget* Carvenna::AreaWindow(Area area) const {
    switch (area) {
    case Area::Home:
        return m_avvio;
    case Area::Receipts:
        return m_menuRicevute;
    case Area::ReceiptEditor:
        return m_ricevuta;
    case Area::Registry:
        return m_tiratori;
    case Area::Takings:
        return m_menuRiepCosti;
    }
    return nullptr;
}

void Carvenna::OpenReceiptYear(const QString& year) {
    if (!m_ricevuta)
        return;
    m_ricevuta->ui.lblFile->setText(ProgramFolder() + year + QStringLiteral(".ric"));
    m_ricevuta->setWindowTitle(QStringLiteral(" Carvenna - Archivio ricevute anno ") + year);
}

QString Carvenna::ReceiptYearFile() const {
    return m_ricevuta ? m_ricevuta->ui.lblFile->text() : QString();
}

std::optional<ShownReceipt> Carvenna::ReceiptOnScreen() const {
    if (!m_ricevuta)
        return std::nullopt;
    ShownReceipt r;
    r.record = m_ricevuta->RecordFromScreen();
    r.position = TrimText(m_ricevuta->ui.lblPosizione->text()).toLongLong();
    r.yearFile = m_ricevuta->ui.lblFile->text();
    return r;
}
