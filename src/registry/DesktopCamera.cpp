#include "registry/DesktopCamera.h"
#include <QCamera>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoSink>

struct DesktopCamera::Capture {
    std::unique_ptr<QMediaCaptureSession> session;
    std::unique_ptr<QVideoSink> sink;
    std::unique_ptr<QCamera> camera;
};

DesktopCamera::DesktopCamera(QObject* parent) : Camera(parent), m_capture(std::make_unique<Capture>()) {}

DesktopCamera::~DesktopCamera() {
    Deactivate();
}

bool DesktopCamera::Available() const {
    // Only real video inputs count: a back end's test pattern is not a camera.
    return !QMediaDevices::videoInputs().isEmpty();
}

bool DesktopCamera::Activate(QString* error) {
    if (IsActive())
        return true;
    const QCameraDevice device = QMediaDevices::defaultVideoInput();
    if (QMediaDevices::videoInputs().isEmpty() || device.isNull()) {
        if (error)
            *error = QStringLiteral("nessuna webcam");
        return false;
    }
    Capture& c = *m_capture;
    c.session = std::make_unique<QMediaCaptureSession>();
    c.sink = std::make_unique<QVideoSink>();
    c.camera = std::make_unique<QCamera>(device);
    c.session->setCamera(c.camera.get());
    c.session->setVideoSink(c.sink.get());
    // The sink may report frames from the back end's thread: the queued connection copies each one
    // into the window on the user-interface thread.
    connect(c.sink.get(), &QVideoSink::videoFrameChanged, this, &DesktopCamera::OnFrame, Qt::QueuedConnection);
    connect(c.camera.get(), &QCamera::errorOccurred, this, [this](QCamera::Error e, const QString& text) {
        if (e == QCamera::NoError)
            return;
        Deactivate();
        emit Failed(text);
    });
    c.camera->start();
    if (c.camera && c.camera->error() != QCamera::NoError) {
        const QString text = c.camera->errorString();
        Deactivate();
        if (error)
            *error = text;
        return false;
    }
    return true;
}

void DesktopCamera::Deactivate() {
    Capture& c = *m_capture;
    if (c.camera)
        c.camera->stop();
    if (c.sink)
        c.sink->disconnect(this);
    c.session.reset();
    c.camera.reset();
    c.sink.reset();
}

bool DesktopCamera::IsActive() const {
    return m_capture->camera != nullptr;
}

QString DesktopCamera::MissingSupport() const {
    return QString();
}

void DesktopCamera::OnFrame(const QVideoFrame& frame) {
    if (!m_capture->camera)
        return; // a frame queued before the camera was switched off
    const QImage image = frame.toImage();
    if (!image.isNull())
        emit FrameReady(image);
}
