#include "registry/DesktopCamera.h"
#include <QCamera>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoSink>

DesktopCamera::DesktopCamera(QObject* parent) : Camera(parent) {}

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
    m_session = std::make_unique<QMediaCaptureSession>();
    m_sink = std::make_unique<QVideoSink>();
    m_camera = std::make_unique<QCamera>(device);
    m_session->setCamera(m_camera.get());
    m_session->setVideoSink(m_sink.get());
    // The sink may report frames from the back end's thread: the queued connection copies each one
    // into the window on the user-interface thread.
    connect(m_sink.get(), &QVideoSink::videoFrameChanged, this, &DesktopCamera::OnFrame, Qt::QueuedConnection);
    connect(m_camera.get(), &QCamera::errorOccurred, this, [this](QCamera::Error e, const QString& text) {
        if (e == QCamera::NoError)
            return;
        Deactivate();
        emit Failed(text);
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

void DesktopCamera::Deactivate() {
    if (m_camera)
        m_camera->stop();
    if (m_sink)
        m_sink->disconnect(this);
    m_session.reset();
    m_camera.reset();
    m_sink.reset();
}

bool DesktopCamera::IsActive() const {
    return m_camera != nullptr;
}

QString DesktopCamera::MissingSupport() const {
    return QString();
}

void DesktopCamera::OnFrame(const QVideoFrame& frame) {
    if (!m_camera)
        return; // a frame queued before the camera was switched off
    const QImage image = frame.toImage();
    if (!image.isNull())
        emit FrameReady(image);
}
