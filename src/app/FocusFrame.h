#pragma once
// Shows a highlight frame while its field has the focus and hides it otherwise.
#include <QEvent>
#include <QObject>
#include <QWidget>

class FocusFrame : public QObject {
public:
    FocusFrame(QWidget* field, QWidget* frame) : QObject(field), m_frame(frame) {
        field->installEventFilter(this);
        frame->setObjectName(frame->objectName()); // keep its designed name
        frame->setProperty("focusFrame", true);    // styled by the style sheet
        frame->setVisible(field->hasFocus());
        frame->lower();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn)
            m_frame->setVisible(true);
        else if (event->type() == QEvent::FocusOut)
            m_frame->setVisible(false);
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_frame;
};
