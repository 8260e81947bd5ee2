#include "app/Link.h"
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

Link::Link(QLabel* text, QWidget* icon, std::function<void()> open)
    : QObject(text), m_text(text), m_open(std::move(open)) {
    for (QWidget* w : {static_cast<QWidget*>(text), icon}) {
        if (!w)
            continue;
        w->installEventFilter(this);
        w->setCursor(Qt::PointingHandCursor);
    }
    Paint(RestColour());
}

void Link::Paint(const QColor& colour) {
    // The widget's own sheet wins over the application's label colour.
    m_text->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
}

bool Link::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Paint(PressedColour());
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton) {
            Paint(RestColour());
            // Releasing away from the control is not a click.
            if (w->rect().contains(me->position().toPoint()))
                m_open();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
