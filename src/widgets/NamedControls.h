#pragma once
// Labels and buttons of the windows whose layout is built in code, created with their object names so
// that tests and other windows find them as they find a Designer form's controls.
#include <QLabel>
#include <QPushButton>

/// A label named `name`.
inline QLabel* NamedLabel(const QString& text, QWidget* parent, const char* name) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

/// A push button named `name`.
inline QPushButton* NamedButton(const QString& text, QWidget* parent, const char* name) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

/// A button of a window's command row: never pressed by Enter in a field, and as tall as its neighbours.
inline QPushButton* CommandButton(const QString& text, QWidget* parent, const char* name) {
    QPushButton* b = NamedButton(text, parent, name);
    b->setAutoDefault(false);
    b->setMinimumHeight(32);
    return b;
}
