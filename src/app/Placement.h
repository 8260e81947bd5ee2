#pragma once
// Where small windows appear.
#include <QScreen>
#include <QWidget>

/// Centres `w` on the screen it is on.
inline void CentreOnScreen(QWidget* w) {
    if (QScreen* s = w->screen())
        w->move(s->availableGeometry().center() - w->rect().center());
}
