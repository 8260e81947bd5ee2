#include "FakeCamera.h"
#include <QPainter>

bool FakeCamera::Activate(QString* error) {
    if (!present || refuseStart) {
        if (error)
            *error = present ? QStringLiteral("in uso") : QStringLiteral("nessuna webcam");
        return false;
    }
    m_active = true;
    ++activations;
    return true;
}

bool FakeCamera::Deliver(const QImage& frame) {
    if (!m_active)
        return false;
    emit FrameReady(frame);
    return true;
}

void FakeCamera::Break(const QString& error) {
    m_active = false;
    emit Failed(error);
}

QImage FakeCamera::Frame(const QColor& colour, const QSize& size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    QPainter p(&img);
    p.fillRect(QRect(0, 0, size.width() / 4, size.height() / 4), Qt::black);
    return img;
}
