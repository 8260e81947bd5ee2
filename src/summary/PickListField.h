#pragma once
// Day and month fields whose value can only be picked from their drop-down list: Enter moves the
// focus on, Backspace or Delete empty the field, the arrows Left and Right move the cursor, F4 and
// Alt+Up/Down open the list, and every other key is stopped before it reaches the field. Taking the
// focus clears the list's highlighted item (the text stays); leaving it empties a text that is not
// one of the allowed values.
#include <QHash>
#include <QObject>
#include <QStringList>

class QComboBox;
class QWidget;

class PickListKeys : public QObject {
    Q_OBJECT
public:
    explicit PickListKeys(QObject* parent = nullptr) : QObject(parent) {}

    /// Watches `field`; Enter moves the focus to `next`. On leaving, the trimmed text, folded to lower
    /// case when `foldCase`, must be one of `allowed` (given in that form).
    void Watch(QComboBox* field, QWidget* next, const QStringList& allowed, bool foldCase);

    /// Empties the text and clears the list's highlighted item.
    static void Clear(QComboBox* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        QWidget* next;
        QStringList allowed;
        bool foldCase;
    };
    bool KeyDown(QComboBox* field, const Field& f, int key, Qt::KeyboardModifiers mods);
    QHash<QComboBox*, Field> m_fields;
};

/// The month names in lower case, "gennaio" to "dicembre", as the pick lists compare them.
const QStringList& LowerMonthNames();
/// "01" to "31".
const QStringList& DayTexts();
