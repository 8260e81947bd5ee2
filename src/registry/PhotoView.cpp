#include "registry/PhotoView.h"
#include <QMouseEvent>
#include <QResizeEvent>

namespace {
const char* const PictureProperty = "carvennaPicture";

QPixmap Fitted(const QImage& picture, const QSize& area) {
    if (picture.isNull() || area.isEmpty())
        return QPixmap();
    // Only a picture larger than the area is reduced; smaller ones keep their size, centred.
    if (picture.width() <= area.width() && picture.height() <= area.height())
        return QPixmap::fromImage(picture);
    return QPixmap::fromImage(picture.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}
} // namespace

PhotoView::PhotoView(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setMinimumSize(1, 1);
}

void PhotoView::setPicture(const QImage& picture) {
    m_picture = picture;
    Refit();
}

void PhotoView::resizeEvent(QResizeEvent* e) {
    QLabel::resizeEvent(e);
    Refit();
}

void PhotoView::mousePressEvent(QMouseEvent* e) {
    QLabel::mousePressEvent(e);
    if (e->button() == Qt::LeftButton)
        emit clicked();
}

void PhotoView::Refit() {
    setPixmap(Fitted(m_picture, contentsRect().size()));
}

QImage PhotoOf(const QWidget* box) {
    if (const auto* view = qobject_cast<const PhotoView*>(box))
        return view->picture();
    if (!box)
        return QImage();
    const QVariant kept = box->property(PictureProperty);
    if (kept.canConvert<QImage>() && !kept.value<QImage>().isNull())
        return kept.value<QImage>();
    if (const auto* label = qobject_cast<const QLabel*>(box))
        return label->pixmap().toImage();
    return QImage();
}

void SetPhoto(QWidget* box, const QImage& picture) {
    if (auto* view = qobject_cast<PhotoView*>(box)) {
        view->setPicture(picture);
    } else if (auto* label = qobject_cast<QLabel*>(box)) {
        label->setProperty(PictureProperty, picture);
        label->setPixmap(Fitted(picture, label->contentsRect().size()));
    }
}
