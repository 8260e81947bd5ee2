#include "app/StatusHints.h"
#include <QEvent>
#include <QMouseEvent>
#include <QEnterEvent>
#include <QLabel>
#include <QWidget>

StatusHints::StatusHints(QWidget* window, QLabel* panInfo) : QObject(window), m_window(window), m_panInfo(panInfo) {
    Watch(window);
    for (QWidget* w : window->findChildren<QWidget*>())
        Watch(w);
}

void StatusHints::Watch(QWidget* w) {
    // Every widget tracks the mouse, so the innermost one under the cursor is told of each move;
    // a button would otherwise pass a plain move on to its panel, which would empty the line.
    w->setMouseTracking(true);
    w->installEventFilter(this);
}

QString StatusHints::HintAt(QWidget* window, QWidget* under) {
    for (QWidget* w = under; w; w = w->parentWidget()) {
        if (!w->statusTip().isEmpty())
            return w->statusTip();
        if (w == window)
            break;
    }
    return QString();
}

bool StatusHints::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) && m_panInfo) {
        // A move that a button ignores travels on to its panel: judge it by the point, not by who
        // received it, so the panel does not empty the line while the mouse is still on the button.
        auto* w = static_cast<QWidget*>(watched);
        QWidget* under = w;
        if (event->isSinglePointEvent()) // a bare QEvent::Enter carries no point
            if (QWidget* child = w->childAt(static_cast<QSinglePointEvent*>(event)->position().toPoint()))
                under = child;
        const QString hint = HintAt(m_window, under);
        if (m_panInfo->text() != hint)
            m_panInfo->setText(hint);
    }
    return QObject::eventFilter(watched, event);
}
