#include "widgets/DigitsFilter.h"
#include <QEvent>
#include <QKeyEvent>

bool DigitsFilter::Accepts(int key, const QString& text) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        return text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
    }
}

bool DigitsFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool comma = m_allowComma && key->text() == QLatin1String(",");
        if (!comma && !Accepts(key->key(), key->text()))
            return true; // swallowed: the field never sees it
    }
    return QObject::eventFilter(watched, event);
}
