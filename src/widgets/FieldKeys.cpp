#include "widgets/FieldKeys.h"
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

void FieldKeys::SetNext(QWidget* field, QWidget* next) {
    m_next.insert(field, next);
    field->installEventFilter(this);
}

void FieldKeys::SetDateField(QLineEdit* field) {
    field->setReadOnly(true);
    m_dates.insert(field);
    field->installEventFilter(this);
}

bool FieldKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (QWidget* next = m_next.value(watched))
            next->setFocus(Qt::TabFocusReason); // selects the text, as moving with Tab does
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false; // focus navigation stays with the window
    default:
        break;
    }
    if (!m_dates.contains(watched))
        return false;
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        static_cast<QLineEdit*>(watched)->clear();
        return true;
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        // A modifier alone (Shift on the way to Shift+Tab) is not a request for the picker.
        return true;
    default:
        emit PickDate(static_cast<QLineEdit*>(watched));
        return true;
    }
}
