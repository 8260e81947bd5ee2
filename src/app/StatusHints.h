#pragma once
// The status line of a window (its panInfo): while the mouse is over a control that has a status
// tip, the line shows that tip; anywhere else in the window (background, panels, shapes, labels,
// fields) it is emptied. The line keeps its designed text until the mouse first moves.
#include <QObject>
#include <QPointer>

class QLabel;
class QWidget;

class StatusHints : public QObject {
public:
    /// Watches `window` and every widget inside it at the time of the call.
    StatusHints(QWidget* window, QLabel* panInfo);
    /// The hint for the widget the mouse is on: the status tip of it or of the nearest ancestor
    /// inside `window` that has one, or empty.
    static QString HintAt(QWidget* window, QWidget* under);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QWidget* w);
    QWidget* m_window;
    QPointer<QLabel> m_panInfo;
};
