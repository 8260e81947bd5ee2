#pragma once
// Replacing what the user is typing without moving the cursor under their fingers.
#include "storage/Text.h"
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

/// After every change the user types, `field` holds its text trimmed and, with `upperAZ`, with the
/// letters a-z turned into A-Z (tax codes, sex); a blank then goes in only between characters.
inline void NormaliseWhileTyping(QLineEdit* field, bool upperAZ) {
    QObject::connect(field, &QLineEdit::textEdited, field, [field, upperAZ](const QString& text) {
        const QString fixed = upperAZ ? UpperAZ(TrimText(text)) : TrimText(text);
        if (fixed != text)
            SetTextKeepingCursor(field, text, fixed);
    });
}
