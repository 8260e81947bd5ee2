#include "receipts/DefaultLogo.h"
#include <QPainter>
#include <QSvgRenderer>

QImage DefaultLogo() {
    QImage img(297, 184, QImage::Format_RGB32);
    img.fill(Qt::white);
    QSvgRenderer svg(QStringLiteral(":/receipts/art/euro_logo.svg"));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p, QRectF(0, 0, img.width(), img.height()));
    return img;
}

QImage BlankLogo() {
    QImage img(2, 2, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}
