#include "app/Splash.h"
#include "app/Carvenna.h"
#include "app/Link.h"
#include "app/OpenURL.h"

TfrmSplash::TfrmSplash(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(661, 467);
    setWindowTitle(QStringLiteral(" Carvenna - ") + Maker::Notice());
    ui.lnkWeb->setText(Maker::WebSite());
    m_link = new Link(ui.lnkWeb, ui.imgWeb, [this] { lnkWebClick(); });
    connect(ui.btnChiudi, &QPushButton::clicked, this, &TfrmSplash::btnChiudiClick);
}

void TfrmSplash::lnkWebClick() {
    TMisc::Open(m_app, Maker::WebSite());
}

void TfrmSplash::btnChiudiClick() {
    reject();
}
