#include "app/Carvenna.h"
#include <QApplication>
#include <QLocale>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>

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

void Carvenna::Quit() {
    m_quit = true;
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
    // Only a running event loop is left; with none (a test driving the windows) there is nothing
    // to leave, and a pending exit would cut short the next modal window instead.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
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
