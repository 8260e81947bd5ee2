#include "ModalHelper.h"

ModalHelper::ModalHelper(std::function<bool(QWidget*)> accept, std::function<void(QWidget*)> act, int timeoutMs)
    : m_accept(std::move(accept)), m_act(std::move(act)), m_timeout(timeoutMs) {
    connect(&m_timer, &QTimer::timeout, this, &ModalHelper::Poll);
    m_timer.start(10);
}

void ModalHelper::Poll() {
    m_elapsed += 10;
    QWidget* w = QApplication::activeModalWidget();
    if (w && !m_handled && m_accept(w)) {
        m_handled = true;
        m_timer.stop();
        m_act(w);
        return;
    }
    if (m_elapsed >= m_timeout) {
        // Nothing expected showed up in time: close whatever is modal so the test fails, not hangs.
        m_timer.stop();
        if (w) {
            m_unexpected = QString::fromLatin1(w->metaObject()->className());
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
            else
                w->close();
        }
    }
}
