#pragma once
// The desktop camera: Qt Multimedia's default video input, captured into a video sink.
#include "registry/Camera.h"
#include <memory>

class QCamera;
class QMediaCaptureSession;
class QVideoSink;
class QVideoFrame;

class DesktopCamera : public Camera {
    Q_OBJECT
public:
    explicit DesktopCamera(QObject* parent = nullptr);
    ~DesktopCamera() override;

    bool Available() const override;
    bool Activate(QString* error = nullptr) override;
    void Deactivate() override;
    bool IsActive() const override;
    QString MissingSupport() const override;

private:
    void OnFrame(const QVideoFrame& frame);

    std::unique_ptr<QMediaCaptureSession> m_session;
    std::unique_ptr<QVideoSink> m_sink;
    std::unique_ptr<QCamera> m_camera;
};
