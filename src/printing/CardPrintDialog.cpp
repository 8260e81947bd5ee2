#include "printing/CardPrintDialog.h"
#include "printing/CardPrint.h"
#include "receipts/DefaultLogo.h"
#include "registry/PhotoView.h"
#include <QLabel>
#include <QVariant>

CardPrintDialog::CardPrintDialog(Carvenna& app, QWidget* editor, bool preview)
    : PrintWindow(app, editor), m_rep(LoadCardTemplate()), m_preview(preview) {}

void CardPrintDialog::Setup(QWidget* shpSfondo, QLabel* imgLogo01, const QString& picture, QLabel* imgTemp,
                            QLabel* imgLogo, QPushButton* btnAnnulla, QPushButton* btnStampa) {
    PrintWindow::Setup(shpSfondo, imgLogo01, picture, btnAnnulla, btnStampa);
    m_imgTemp = imgTemp;
    m_imgLogo = imgLogo;
    SetPhoto(m_imgTemp, DefaultLogo());
}

void CardPrintDialog::FormShow() {
    // The editor's picture at full size (the photo box on screen holds a reduced copy): the card's photo,
    // or its placeholder when the card has none. Should even that be missing, the blue euro sign takes
    // its place.
    const QWidget* editor = Editor();
    const QImage photo = editor ? editor->property("photo").value<QImage>() : QImage();
    SetPhoto(m_imgLogo, photo.isNull() ? PhotoOf(m_imgTemp) : photo);
}

void CardPrintDialog::Run() {
    RunCardPrint(m_app, repDocumento(), Editor(), PhotoOf(m_imgLogo), m_preview, this);
}
