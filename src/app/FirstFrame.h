#pragma once
// The start-up marks: the moment the first window's first frame has been painted and handed to the
// window system, and the moment the program, fully started, first waits for the user. Header-only and
// Qt Widgets alone, so that the bare Qt program the start-up benchmark measures against marks its
// frame by exactly the same rule.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>
#include <functional>
#include <memory>

namespace firstframe {

// Watches the application's events for the first paint of a top-level window; the mark runs once the
// paint has returned, that is after the backing store has been flushed to the window.
class Filter : public QObject {
public:
    Filter(std::function<void()> mark, QObject* parent) : QObject(parent), m_mark(std::move(mark)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            m_seen = true;
            parent()->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_mark();
                    deleteLater();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> m_mark;
    bool m_seen = false;
};

} // namespace firstframe

/// Calls `mark` once, when the first frame of the first top-level window of `qapp` to paint has been
/// painted and flushed to its window.
inline void OnFirstFrame(QApplication& qapp, const std::function<void()>& mark) {
    qapp.installEventFilter(new firstframe::Filter(mark, &qapp));
}

/// Calls `mark` once, the first time the event loop of the calling thread is about to wait for events:
/// everything the start queued has been done.
inline void OnFirstIdle(const std::function<void()>& mark) {
    auto* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return;
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher, [connection, mark] {
        QObject::disconnect(*connection);
        mark();
    });
}
