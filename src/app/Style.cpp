#include "app/Style.h"
#include <QApplication>
#include <QFile>
#include <QAbstractButton>
#include <QIcon>
#include <QKeyEvent>

namespace {
// Enter on a focused button presses it, in every window: a work area is not a dialog, and Qt
// lets Enter press buttons only in dialogs. Edit fields keep their own Enter handling.
class EnterPressesButtons : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            auto* button = qobject_cast<QAbstractButton*>(watched);
            if (button && button->hasFocus() && button->isEnabled() && key->modifiers() == Qt::NoModifier &&
                (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
                button->click(); // at once: animateClick would hold every Enter for 100 ms
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

void ApplyCarvennaStyle(QApplication& app) {
    QFile sheet(QStringLiteral(":/resources/carvenna.qss"));
    if (sheet.open(QIODevice::ReadOnly | QIODevice::Text))
        app.setStyleSheet(QString::fromUtf8(sheet.readAll()));
    app.setWindowIcon(QIcon(QStringLiteral(":/resources/carvenna.svg")));
    app.installEventFilter(new EnterPressesButtons(&app));
}
