#pragma once
// Replacing what the user is typing without moving the cursor under their fingers.
#include <QLineEdit>
#include <QString>

/// Puts `fixed` (the typed text trimmed and otherwise changed character for character) into `field`,
/// keeping the cursor where the user was typing, less the blanks trimmed in front of it.
inline void SetTextKeepingCursor(QLineEdit* field, const QString& typed, const QString& fixed) {
    int lead = 0;
    while (lead < typed.size() && typed.at(lead).unicode() <= 0x20)
        ++lead;
    const int cursor = field->cursorPosition();
    field->setText(fixed);
    field->setCursorPosition(qBound(0, cursor - qMin(lead, cursor), int(fixed.size())));
}
