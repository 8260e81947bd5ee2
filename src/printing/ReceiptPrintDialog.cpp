#include "printing/ReceiptPrintDialog.h"
#include "app/Carvenna.h"
#include "printing/ReceiptPrint.h"
#include "receipts/DefaultLogo.h"
#include <QLabel>

ReceiptPrintDialog::ReceiptPrintDialog(Carvenna& app, QWidget* parent, bool preview)
    : PrintWindow(app, parent), m_rep(LoadReceiptTemplate()), m_preview(preview) {}

void ReceiptPrintDialog::Setup(QWidget* shpSfondo, QLabel* imgLogo01, const QString& picture, QLabel* imgTemp,
                               QLabel* imgLogo, QPushButton* btnAnnulla, QPushButton* btnStampa) {
    PrintWindow::Setup(shpSfondo, imgLogo01, picture, btnAnnulla, btnStampa);
    m_imgTemp = imgTemp;
    m_imgLogo = imgLogo;
    m_imgTemp->setPixmap(QPixmap::fromImage(DefaultLogo()));
}

QWidget* ReceiptPrintDialog::Editor() const {
    return m_app.AreaWindow(Carvenna::Area::ReceiptEditor);
}

void ReceiptPrintDialog::FormShow() {
    // A missing or unreadable Logo.bmp is not reported: the default logo prints instead.
    const QImage logo = ReadLogo(m_app.Path(QStringLiteral("Logo.bmp")));
    m_imgLogo->setPixmap(logo.isNull() ? m_imgTemp->pixmap() : QPixmap::fromImage(logo));
}

void ReceiptPrintDialog::Run() {
    RunReceiptPrint(m_app, repDocumento(), m_imgLogo->pixmap().toImage(), m_preview, this);
}
