#pragma once
// The behaviour shared by every link of the information, splash and guide windows: the text is
// dark blue at rest, orange while the mouse button is held on the text or its icon, dark blue
// again on release, and a click (press and release on the same control) opens the target.
#include <QColor>
#include <QObject>
#include <QString>
#include <functional>

class QLabel;
class QWidget;

class Link : public QObject {
    Q_OBJECT
public:
    static QColor RestColour() { return QColor::fromRgba(0xFF00008Bu); }
    static QColor PressedColour() { return QColor::fromRgba(0xFFFFA500u); }

    /// `text` is the link's label, `icon` the picture beside it; `open` runs on a click.
    Link(QLabel* text, QWidget* icon, std::function<void()> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Paint(const QColor& colour);
    QLabel* m_text;
    std::function<void()> m_open;
};
