#pragma once
// The desktop camera's capture back end, kept apart from the program: it is the only user of Qt
// Multimedia, which with its audio and network libraries costs every start of the program a good part
// of its loading time. The back end is built as a module of its own and loaded the first time the
// webcam is asked for. This interface holds no Qt meta-object, so the program and the module share
// nothing but Qt's own libraries.
#include <QImage>
#include <QString>
#include <functional>

class CameraBackend {
public:
    virtual ~CameraBackend() = default;
    /// Whether the system has a video input at all.
    virtual bool Available() const = 0;
    /// Starts capturing on the default video input; false, with `error`, when it cannot.
    virtual bool Activate(QString* error) = 0;
    /// Stops capturing; harmless when not capturing.
    virtual void Deactivate() = 0;
    virtual bool IsActive() const = 0;

    /// Called on the user-interface thread with each new frame, already copied.
    std::function<void(const QImage&)> frameReady;
    /// Called on the user-interface thread when the camera stops working while capturing.
    std::function<void(const QString&)> failed;
};

/// The back end's entry point, exported by the module under this name.
#define CARVENNA_CAMERA_ENTRY "CarvennaCreateCameraBackend"
using CreateCameraBackendFunction = CameraBackend* (*)();

/// A new back end, or null with `error` when it cannot be had (the module is missing or broken). How it
/// is had depends on the build: from the module, or built into the program where no module is made.
CameraBackend* CreateCameraBackend(QString* error);
