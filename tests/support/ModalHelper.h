#pragma once
// Answers a window that a handler opens with exec(): arm it before the click; it polls the
// active modal widget every 10 ms, hands a window of the expected class to `act`, and closes
// any other modal after a few seconds so that a wrong expectation fails fast instead of hanging.
#include <QApplication>
#include <QDialog>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <functional>

class ModalHelper : public QObject {
public:
    /// `act` runs once on the first modal widget for which `accept` is true.
    ModalHelper(std::function<bool(QWidget*)> accept, std::function<void(QWidget*)> act, int timeoutMs = 4000);
    bool Handled() const { return m_handled; }
    /// Name of the class of an unexpected modal that was closed, if any.
    QString Unexpected() const { return m_unexpected; }

    template <class W>
    static ModalHelper* When(std::function<void(W*)> act, QObject* owner = nullptr, int timeoutMs = 4000) {
        auto* h = new ModalHelper([](QWidget* w) { return qobject_cast<W*>(w) != nullptr; },
                                  [act](QWidget* w) { act(qobject_cast<W*>(w)); }, timeoutMs);
        if (owner)
            h->setParent(owner);
        return h;
    }

private:
    void Poll();
    std::function<bool(QWidget*)> m_accept;
    std::function<void(QWidget*)> m_act;
    QTimer m_timer;
    int m_elapsed = 0;
    int m_timeout;
    bool m_handled = false;
    QString m_unexpected;
};
