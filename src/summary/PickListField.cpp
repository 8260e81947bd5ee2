#include "summary/PickListField.h"
#include "storage/Dates.h"
#include "storage/Text.h"
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

const QStringList& LowerMonthNames() {
    static const QStringList names = [] {
        QStringList lower;
        for (const QString& name : ItalianMonthNames())
            lower << LowerAZ(name);
        return lower;
    }();
    return names;
}

const QStringList& DayTexts() {
    static const QStringList days = [] {
        QStringList d;
        for (int i = 1; i <= 31; ++i)
            d << QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
        return d;
    }();
    return days;
}

void PickListKeys::Watch(QComboBox* field, QWidget* next, const QStringList& allowed, bool foldCase) {
    m_fields.insert(field, {next, allowed, foldCase});
    field->installEventFilter(this);
    if (QLineEdit* edit = field->lineEdit()) {
        // No typing by other roads either: no paste from a context menu, no dropped text.
        edit->installEventFilter(this);
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        edit->setAcceptDrops(false);
    }
}

void PickListKeys::Clear(QComboBox* field) {
    field->setCurrentIndex(-1);
    field->setEditText(QString());
}

bool PickListKeys::KeyDown(QComboBox* field, const Field& f, int key, Qt::KeyboardModifiers mods) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (f.next)
            f.next->setFocus(Qt::TabFocusReason);
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        Clear(field);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    case Qt::Key_F4:
        field->showPopup();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // The keyboard's road to the list: Alt+arrow opens it, as F4 does; the bare arrows are stopped.
        if (mods & Qt::AltModifier)
            field->showPopup();
        return true;
    default:
        return true;
    }
}

bool PickListKeys::eventFilter(QObject* watched, QEvent* event) {
    QComboBox* field = qobject_cast<QComboBox*>(watched);
    if (!field)
        if (auto* edit = qobject_cast<QLineEdit*>(watched))
            field = qobject_cast<QComboBox*>(edit->parentWidget());
    const auto it = field ? m_fields.constFind(field) : m_fields.constEnd();
    if (it == m_fields.constEnd())
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        return KeyDown(field, *it, key->key(), key->modifiers());
    }
    case QEvent::FocusIn:
        if (watched == field) {
            // No item highlighted when the list opens; what the field shows stays.
            const QString text = field->currentText();
            field->setCurrentIndex(-1);
            field->setEditText(text);
        }
        break;
    case QEvent::FocusOut:
        if (watched == field) {
            const auto* focus = static_cast<QFocusEvent*>(event);
            if (focus->reason() == Qt::PopupFocusReason)
                break; // its own list opened: the field is not being left
            QString text = TrimText(field->currentText());
            if (it->foldCase)
                text = LowerAZ(text);
            if (!it->allowed.contains(text))
                Clear(field);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
