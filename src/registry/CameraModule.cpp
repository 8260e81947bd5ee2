// The capture back end over Qt Multimedia: the system's default video input, captured into a video sink.
// Built as the module carvenna_camera, or into the program where no module is made.
#include "registry/CameraBackend.h"
#include <QCamera>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QObject>
#include <QVideoFrame>
#include <QVideoSink>
#include <memory>

namespace {

class MediaCamera : public CameraBackend {
public:
    ~MediaCamera() override { Deactivate(); }

    bool Available() const override {
        // Only real video inputs count: a back end's test pattern is not a camera.
        return !QMediaDevices::videoInputs().isEmpty();
    }

    bool Activate(QString* error) override {
        if (IsActive())
            return true;
        const QCameraDevice device = QMediaDevices::defaultVideoInput();
        if (QMediaDevices::videoInputs().isEmpty() || device.isNull()) {
            if (error)
                *error = QStringLiteral("nessuna webcam");
            return false;
        }
        m_context = std::make_unique<QObject>();
        m_session = std::make_unique<QMediaCaptureSession>();
        m_sink = std::make_unique<QVideoSink>();
        m_camera = std::make_unique<QCamera>(device);
        m_session->setCamera(m_camera.get());
        m_session->setVideoSink(m_sink.get());
        // The sink may report frames from the back end's thread: the queued connection copies each one
        // into the window on the user-interface thread.
        QObject::connect(
            m_sink.get(), &QVideoSink::videoFrameChanged, m_context.get(),
            [this](const QVideoFrame& frame) { OnFrame(frame); }, Qt::QueuedConnection);
        QObject::connect(m_camera.get(), &QCamera::errorOccurred, m_context.get(),
                         [this](QCamera::Error e, const QString& text) {
                             if (e == QCamera::NoError)
                                 return;
                             Deactivate();
                             if (failed)
                                 failed(text);
                         });
        m_camera->start();
        if (m_camera && m_camera->error() != QCamera::NoError) {
            const QString text = m_camera->errorString();
            Deactivate();
            if (error)
                *error = text;
            return false;
        }
        return true;
    }

    void Deactivate() override {
        if (m_camera)
            m_camera->stop();
        // Dropping the context disconnects the frames still queued for it.
        m_context.reset();
        m_session.reset();
        m_camera.reset();
        m_sink.reset();
    }

    bool IsActive() const override { return m_camera != nullptr; }

private:
    void OnFrame(const QVideoFrame& frame) {
        if (!m_camera)
            return; // a frame queued before the camera was switched off
        const QImage image = frame.toImage();
        if (!image.isNull() && frameReady)
            frameReady(image);
    }

    std::unique_ptr<QObject> m_context; // the receiver of the connections, gone with the camera
    std::unique_ptr<QMediaCaptureSession> m_session;
    std::unique_ptr<QVideoSink> m_sink;
    std::unique_ptr<QCamera> m_camera;
};

} // namespace

extern "C" Q_DECL_EXPORT CameraBackend* CarvennaCreateCameraBackend() {
    return new MediaCamera;
}
