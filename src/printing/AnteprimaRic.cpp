#include "printing/AnteprimaRic.h"
#include "app/Carvenna.h"
#include "printing/ReceiptPrint.h"
#include "receipts/DefaultLogo.h"
#include "receipts/Ricevuta.h"
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

TfrmAnteprimaRic::TfrmAnteprimaRic(Carvenna& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_rep(LoadReceiptTemplate()) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    SetFormatSettings();
    QPalette white = ui.shpSfondo->palette();
    white.setColor(QPalette::Window, Qt::white);
    ui.shpSfondo->setPalette(white);
    ui.imgLogo01->setPixmap(QIcon(QStringLiteral(":/printing/art/anteprima.svg")).pixmap(ui.imgLogo01->size()));
    ui.imgTemp->setPixmap(QPixmap::fromImage(DefaultLogo()));
    connect(ui.btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui.btnStampa, &QPushButton::clicked, this, &TfrmAnteprimaRic::btnStampaClick);
}

void TfrmAnteprimaRic::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TfrmAnteprimaRic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(QStringLiteral("steelblue")));
    g.setColorAt(1, Qt::white);
    p.fillRect(rect(), g);
}

void TfrmAnteprimaRic::FormShow() {
    // Centred on the receipt editor that opened it.
    const QWidget* editor = m_app.ricevuta();
    if (editor && editor->isVisible())
        move(editor->frameGeometry().center() - rect().center());
    else if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    // A missing or unreadable Logo.bmp is not reported: the default logo prints instead.
    const QImage logo = ReadLogo(m_app.Path(QStringLiteral("Logo.bmp")));
    ui.imgLogo->setPixmap(logo.isNull() ? ui.imgTemp->pixmap() : QPixmap::fromImage(logo));
}

void TfrmAnteprimaRic::btnStampaClick() {
    RunReceiptPrint(m_app, repDocumento(), ui.imgLogo->pixmap().toImage(), true, this);
    accept();
}
