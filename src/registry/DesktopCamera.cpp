#include "registry/DesktopCamera.h"
#include "registry/CameraBackend.h"

DesktopCamera::DesktopCamera(QObject* parent) : Camera(parent) {}

DesktopCamera::~DesktopCamera() {
    Deactivate();
}

CameraBackend* DesktopCamera::Backend() const {
    if (!m_tried) {
        m_tried = true;
        m_backend.reset(CreateCameraBackend(&m_loadError));
        if (m_backend) {
            auto* self = const_cast<DesktopCamera*>(this);
            m_backend->frameReady = [self](const QImage& frame) { emit self->FrameReady(frame); };
            m_backend->failed = [self](const QString& text) { emit self->Failed(text); };
        }
    }
    return m_backend.get();
}

bool DesktopCamera::Available() const {
    CameraBackend* b = Backend();
    return b && b->Available();
}

bool DesktopCamera::Activate(QString* error) {
    CameraBackend* b = Backend();
    if (!b) {
        if (error)
            *error = m_loadError;
        return false;
    }
    return b->Activate(error);
}

void DesktopCamera::Deactivate() {
    if (m_backend)
        m_backend->Deactivate();
}

bool DesktopCamera::IsActive() const {
    return m_backend && m_backend->IsActive();
}
