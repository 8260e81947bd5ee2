#pragma once
// The desktop camera: Qt Multimedia's default video input, captured into a video sink.
#include "registry/Camera.h"
#include <memory>

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

    // The Qt Multimedia objects while capturing; declared here only, so that a build without Qt
    // Multimedia compiles this class too (DesktopCameraNone.cpp).
    struct Capture;
    std::unique_ptr<Capture> m_capture;
};
