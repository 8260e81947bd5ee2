#include "app/Carvenna.h"
#include "app/CambiaPassword.h"
#include "app/Password.h"
#include "storage/Text.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>
// [window includes] one line per window header, kept in start-up order
#include "app/Avvio.h"
#include "receipts/MenuRicevute.h"
#include "receipts/Ricevuta.h"
#include "summary/MenuRiepCosti.h"
#include "registry/Tiratori.h"

void SetFormatSettings() {
    // The Italian locale gives the comma as decimal separator; amounts carry no thousands separator.
    // Dates are always formatted with the explicit dd/mm/yyyy pattern (storage/Dates.h).
    QLocale italian(QLocale::Italian, QLocale::Italy);
    italian.setNumberOptions(QLocale::OmitGroupSeparator);
    QLocale::setDefault(italian);
}

Carvenna::Carvenna(const Platform& platform, QObject* parent) : QObject(parent), m_platform(platform) {}

Carvenna::~Carvenna() {
    // Top-level windows have no parent; delete them here, in reverse order of creation.
    while (!m_windows.isEmpty())
        delete m_windows.takeLast();
}

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

void Carvenna::Quit() {
    m_quit = true;
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
    // Only a running event loop is left; with none (a test driving the windows) there is nothing
    // to leave, and a pending exit would cut short the next modal window instead.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
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

void Carvenna::Switch(QWidget* show, QWidget* hide) {
    if (!show)
        return; // nothing to go to: stay where we are rather than leave no window visible
    if (show->windowState() & Qt::WindowMaximized) {
        // Work areas fill the screen, also where no window manager honours the maximised state.
        if (QScreen* screen = (hide ? hide->screen() : show->screen()))
            show->setGeometry(screen->availableGeometry());
        show->setWindowState(show->windowState() | Qt::WindowMaximized);
    }
    show->show();
    if (hide && hide != show)
        hide->hide();
}
