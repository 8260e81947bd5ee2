#pragma once
// The video capture seam used by the webcam window. The desktop camera uses Qt Multimedia on the
// system's default video input; tests use a camera that emits frames they make.
#include <QImage>
#include <QObject>
#include <QString>

class Camera : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Camera() override = default;

    /// Whether the system has a video input at all.
    virtual bool Available() const = 0;
    /// Starts capturing on the default video input. False, with `error`, when there is no camera or it
    /// cannot be started; frames then never arrive.
    virtual bool Activate(QString* error = nullptr) = 0;
    /// Stops capturing; harmless when not capturing.
    virtual void Deactivate() = 0;
    virtual bool IsActive() const = 0;
    /// Why this build of the program cannot capture at all (empty: it can, when a camera is there).
    virtual QString MissingSupport() const { return QString(); }

signals:
    /// A new frame, already copied, delivered on the user-interface thread.
    void FrameReady(const QImage& frame);
    /// The camera stopped working while capturing (unplugged, taken by another program...).
    void Failed(const QString& error);
};
