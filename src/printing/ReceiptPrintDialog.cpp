#include "printing/ReceiptPrintDialog.h"
#include "app/Carvenna.h"
#include "app/Placement.h"
#include "printing/ReceiptPrint.h"
#include "receipts/DefaultLogo.h"
#include "receipts/Ricevuta.h"
#include <QIcon>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

ReceiptPrintDialog::ReceiptPrintDialog(Carvenna& app, QWidget* parent, bool preview)
    : QDialog(parent), m_app(app), m_rep(LoadReceiptTemplate()), m_preview(preview) {}

void ReceiptPrintDialog::Setup(QWidget* shpSfondo, QLabel* imgLogo01, const QString& picture, QLabel* imgTemp,
                               QLabel* imgLogo, QPushButton* btnAnnulla, QPushButton* btnStampa) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    SetFormatSettings();
    QPalette white = shpSfondo->palette();
    white.setColor(QPalette::Window, Qt::white);
    shpSfondo->setPalette(white);
    imgLogo01->setPixmap(QIcon(picture).pixmap(imgLogo01->size()));
    m_imgTemp = imgTemp;
    m_imgLogo = imgLogo;
    m_imgTemp->setPixmap(QPixmap::fromImage(DefaultLogo()));
    connect(btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnStampa, &QPushButton::clicked, this, &ReceiptPrintDialog::btnStampaClick);
}

void ReceiptPrintDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void ReceiptPrintDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(QStringLiteral("steelblue")));
    g.setColorAt(1, Qt::white);
    p.fillRect(rect(), g);
}

void ReceiptPrintDialog::FormShow() {
    // Centred on the receipt editor that opened it.
    const QWidget* editor = m_app.ricevuta();
    if (editor && editor->isVisible())
        move(editor->frameGeometry().center() - rect().center());
    else
        CentreOnScreen(this);
    // A missing or unreadable Logo.bmp is not reported: the default logo prints instead.
    const QImage logo = ReadLogo(m_app.Path(QStringLiteral("Logo.bmp")));
    m_imgLogo->setPixmap(logo.isNull() ? m_imgTemp->pixmap() : QPixmap::fromImage(logo));
}

void ReceiptPrintDialog::btnStampaClick() {
    RunReceiptPrint(m_app, repDocumento(), m_imgLogo->pixmap().toImage(), m_preview, this);
    accept();
}
