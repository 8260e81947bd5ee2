#pragma once
// Keys of an editor's edit boxes, one filter for all of them: Enter moves the focus to the next
// field of the form's ring and is swallowed, so it never presses a button; a date field is
// read-only, Backspace or Delete empty it and any other key asks for the date picker.
#include <QHash>
#include <QObject>
#include <QSet>

class QLineEdit;
class QWidget;

class FieldKeys : public QObject {
    Q_OBJECT
public:
    explicit FieldKeys(QObject* parent = nullptr) : QObject(parent) {}

    /// Enter in `field` moves the focus to `next`.
    void SetNext(QWidget* field, QWidget* next);
    /// Makes `field` a read-only date field (see above); the picker is asked for through PickDate.
    void SetDateField(QLineEdit* field);

signals:
    /// A key other than Enter, Backspace, Delete, Tab or a lone modifier reached a date field.
    void PickDate(QLineEdit* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHash<QObject*, QWidget*> m_next;
    QSet<QObject*> m_dates;
};
