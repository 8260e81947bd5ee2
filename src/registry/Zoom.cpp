#include "registry/Zoom.h"
#include <QMouseEvent>
#include <QScreen>

TfrmZoom::TfrmZoom(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowState(Qt::WindowMaximized);
    ui.panContainer->installEventFilter(this);
    connect(ui.imgFoto, &PhotoView::clicked, this, &QDialog::accept);
}

void TfrmZoom::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TfrmZoom::FormShow() {
    QScreen* screen = this->screen();
    if (!screen)
        return;
    // Maximised, also where no window manager honours the state; the picture takes the screen less
    // 60 pixels across and 90 down, centred.
    setGeometry(screen->availableGeometry());
    const QSize full = screen->size();
    const QSize area(qMax(1, full.width() - 60), qMax(1, full.height() - 90));
    ui.panContainer->resize(area);
    ui.panContainer->move((width() - area.width()) / 2, (height() - area.height()) / 2);
    ui.imgFoto->setGeometry(QRect(QPoint(0, 0), area));
}

bool TfrmZoom::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ui.panContainer && e->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}
