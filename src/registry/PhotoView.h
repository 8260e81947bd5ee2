#pragma once
// A picture box that keeps the whole picture and shows it fitted to its area, proportions kept.
// The registry editor's photo, the zoom window and the webcam window use it; a plain QLabel works too
// (see PhotoOf / SetPhoto), so windows can hand pictures to each other without knowing the box's kind.
#include <QImage>
#include <QLabel>

class PhotoView : public QLabel {
    Q_OBJECT
public:
    explicit PhotoView(QWidget* parent = nullptr);

    /// The whole picture, as loaded or captured (never the scaled copy on screen).
    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);

signals:
    void clicked();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void Refit();
    QImage m_picture;
};

/// The whole picture shown by `box` (a PhotoView, or a QLabel's picture), null when it has none.
QImage PhotoOf(const QWidget* box);
/// Shows `picture` in `box` fitted to its area, keeping the whole picture for later copies.
void SetPhoto(QWidget* box, const QImage& picture);
