#pragma once
// Key filter for the fields that take digits only (year, numbering start, amount and cents).
// Install it on the edit box; it lets through the digits 0-9, Backspace, Delete, the left and
// right arrows and Tab, and swallows every other key before the field sees it.
// Enter and Return are left alone: the owner decides where they move the focus
// (for example by connecting QLineEdit::returnPressed).
#include <QObject>

class DigitsFilter : public QObject {
    Q_OBJECT
public:
    /// With `allowComma` the ',' gets through as well (the registry fee).
    explicit DigitsFilter(QObject* parent = nullptr, bool allowComma = false)
        : QObject(parent), m_allowComma(allowComma) {}

    /// True when a key press with this key and text may reach a digits-only field.
    static bool Accepts(int key, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_allowComma;
};
