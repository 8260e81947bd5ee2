#include "registry/DesktopCamera.h"
#include "registry/CameraBackend.h"
#include <QDebug>

DesktopCamera::DesktopCamera(QObject* parent) : Camera(parent) {}

DesktopCamera::~DesktopCamera() {
    Deactivate();
}

CameraBackend* DesktopCamera::Backend() const {
    if (!m_tried) {
        m_tried = true;
        m_backend.reset(CreateCameraBackend(&m_missing));
        if (m_backend) {
            auto* self = const_cast<DesktopCamera*>(this);
            m_backend->frameReady = [self](const QImage& frame) { emit self->FrameReady(frame); };
            m_backend->failed = [self](const QString& text) { emit self->Failed(text); };
        } else {
            // The reason is for whoever installs the program; the user is told what to do instead.
            qWarning().noquote() << "webcam:" << m_missing;
            m_missing = QStringLiteral("La webcam non è disponibile in questa installazione di Carvenna: la foto si "
                                       "può caricare da un file.");
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
            *error = m_missing;
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

QString DesktopCamera::MissingSupport() const {
    return Backend() ? QString() : m_missing;
}
