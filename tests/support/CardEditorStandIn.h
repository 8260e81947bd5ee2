#pragma once
// A stand-in for the registry editor: a window holding the controls, by their names, that the photo,
// webcam, attachment and card print windows read and write.
#include "printing/CardPrint.h"
#include "registry/PhotoView.h"
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

class CardEditorStandIn : public QWidget {
public:
    PhotoView* imgFoto;
    PhotoView* imgBianco;
    QLabel* lblFile[3];
    QLabel* lblDesc[3];

    CardEditorStandIn() {
        imgFoto = new PhotoView(this);
        imgFoto->setObjectName(QStringLiteral("imgFoto"));
        imgFoto->setGeometry(10, 10, 307, 394);
        imgBianco = new PhotoView(this);
        imgBianco->setObjectName(QStringLiteral("imgBianco"));
        imgBianco->setGeometry(10, 10, 307, 394);
        imgBianco->hide();
        QImage blank(307, 394, QImage::Format_RGB32);
        blank.fill(QColor(0, 160, 0)); // green: easy to find on paper
        imgBianco->setPicture(blank);
        imgFoto->setPicture(blank);
        for (int k = 0; k < 3; ++k) {
            lblFile[k] = Hidden(QStringLiteral("lblFile0%1").arg(k + 1));
            lblDesc[k] = Hidden(QStringLiteral("lblDesc0%1").arg(k + 1));
        }
        for (const QString& name : CardFields()) {
            auto* field = new QLineEdit(this);
            field->setObjectName(name);
            field->hide();
        }
        resize(800, 600);
    }
    QLineEdit* Field(const QString& name) const { return findChild<QLineEdit*>(name); }

private:
    QLabel* Hidden(const QString& name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->hide();
        return l;
    }
};
