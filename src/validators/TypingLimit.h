#pragma once
// Limits what the user types or pastes into an edit box, but leaves a text filled in by the
// program whole. QLineEdit::maxLength would cut a pre-filled text, and the cut text could pass a
// check that the whole text fails (twelve digits cut to a valid VAT number).
#include <QObject>

class QLineEdit;

class TypingLimit : public QObject {
public:
    /// Installs itself on `field` (and is owned by it).
    TypingLimit(QLineEdit* field, int limit);
    int Limit() const { return m_limit; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Edited();
    QLineEdit* m_field;
    int m_limit;
};
