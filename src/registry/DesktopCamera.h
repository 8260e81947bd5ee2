#pragma once
// The desktop camera: the system's default video input, through the capture back end, which is loaded
// only the first time the camera is asked for (see CameraBackend.h).
#include "registry/Camera.h"
#include <memory>

class CameraBackend;

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
    /// The back end, loaded on first use; null when it cannot be had (then there is no camera).
    CameraBackend* Backend() const;

    mutable std::unique_ptr<CameraBackend> m_backend;
    mutable bool m_tried = false;
    mutable QString m_missing; // why there is no back end
};
