#pragma once
// Shows a highlight frame while its field has the focus and hides it otherwise.
#include <QEvent>
#include <QObject>
#include <QPointer>
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
        // The frame may be gone already while its window is being destroyed (lower() puts it first
        // among its siblings, so it is deleted before its field loses the focus).
        if (!m_frame)
            return QObject::eventFilter(watched, event);
        if (event->type() == QEvent::FocusIn)
            m_frame->setVisible(true);
        else if (event->type() == QEvent::FocusOut)
            m_frame->setVisible(false);
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_frame;
};
