#include "app/Avvio.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/Info.h"
#include "app/OpenURL.h"
#include "app/Splash.h"
#include "backup/CopieSicurezza.h"
#include <QCloseEvent>
#include <QResizeEvent>

TfrmAvvio::TfrmAvvio(Carvenna& app, QWidget* parent) : QWidget(parent), m_app(app) {
    ui.setupUi(this);
    SetFormatSettings();
    setWindowState(Qt::WindowMaximized);

    connect(ui.imgApp01, &QToolButton::clicked, this, &TfrmAvvio::imgApp01Click);
    connect(ui.btnApp01, &QPushButton::clicked, this, &TfrmAvvio::imgApp01Click);
    connect(ui.imgApp02, &QToolButton::clicked, this, &TfrmAvvio::imgApp02Click);
    connect(ui.btnApp02, &QPushButton::clicked, this, &TfrmAvvio::imgApp02Click);
    connect(ui.imgApp03, &QToolButton::clicked, this, &TfrmAvvio::imgApp03Click);
    connect(ui.btnApp03, &QPushButton::clicked, this, &TfrmAvvio::imgApp03Click);
    connect(ui.imgInfo, &QToolButton::clicked, this, &TfrmAvvio::imgInfoClick);
    connect(ui.imgGuida, &QToolButton::clicked, this, &TfrmAvvio::imgGuidaClick);
    connect(ui.imgCopyright, &QToolButton::clicked, this, &TfrmAvvio::imgCopyrightClick);
    connect(ui.imgSito, &QToolButton::clicked, this, &TfrmAvvio::imgSitoClick);
    connect(ui.imgEsci, &QToolButton::clicked, this, &TfrmAvvio::imgEsciClick);
    connect(ui.imgCopie, &QToolButton::clicked, this, &TfrmAvvio::imgCopieClick);
}

void TfrmAvvio::resizeEvent(QResizeEvent* e) {
    // The content is designed for a 1016 x 713 client area and stays centred in the maximised window.
    QWidget::resizeEvent(e);
    const QSize panel = ui.panMain->size();
    ui.panMain->move(qMax(0, (width() - panel.width()) / 2), qMax(0, (height() - panel.height()) / 2));
}

void TfrmAvvio::closeEvent(QCloseEvent* e) {
    // Closing the start menu ends the program, although the password window is only hidden.
    e->accept();
    m_app.Quit();
}

void TfrmAvvio::ShowWorkArea(QWidget* area) {
    if (area)
        m_app.Switch(area, this);
}

void TfrmAvvio::imgApp01Click() {
    ShowWorkArea(m_app.AreaWindow(Carvenna::Area::Registry));
}

void TfrmAvvio::imgApp02Click() {
    ShowWorkArea(m_app.AreaWindow(Carvenna::Area::Receipts));
}

void TfrmAvvio::imgApp03Click() {
    ShowWorkArea(m_app.AreaWindow(Carvenna::Area::Takings));
}

void TfrmAvvio::imgInfoClick() {
    TfrmInfo dlg(m_app, this);
    dlg.exec();
}

void TfrmAvvio::imgGuidaClick() {
    TfrmGuida dlg(m_app, this);
    dlg.SetGuide(QStringLiteral("Uno sguardo a Carvenna"), Carvenna::GeneralGuide());
    dlg.exec();
}

void TfrmAvvio::imgCopyrightClick() {
    TfrmSplash dlg(m_app, this);
    dlg.exec();
}

void TfrmAvvio::imgSitoClick() {
    TMisc::Open(m_app, Maker::WebSite());
}

void TfrmAvvio::imgEsciClick() {
    m_app.Quit();
}

void TfrmAvvio::imgCopieClick() {
    TfrmCopieSicurezza dlg(m_app, this);
    dlg.exec();
}
