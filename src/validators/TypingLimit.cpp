#include "validators/TypingLimit.h"
#include <QKeyEvent>
#include <QLineEdit>

TypingLimit::TypingLimit(QLineEdit* field, int limit) : QObject(field), m_field(field), m_limit(limit) {
    field->installEventFilter(this);
    // textEdited comes from the user only (typing, pasting), never from setText.
    connect(field, &QLineEdit::textEdited, this, &TypingLimit::Edited);
}

bool TypingLimit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (!typed.isEmpty() && typed.at(0).isPrint()) {
            const qsizetype after = m_field->text().size() - m_field->selectedText().size() + typed.size();
            if (after > m_limit)
                return true; // full: the character is refused, as a length limit would
        }
    }
    return QObject::eventFilter(watched, event);
}

void TypingLimit::Edited() {
    // A paste may bring more than fits: keep what fits.
    if (m_field->text().size() <= m_limit)
        return;
    const int cursor = m_field->cursorPosition();
    m_field->setText(m_field->text().left(m_limit));
    m_field->setCursorPosition(qMin(cursor, m_limit));
}
