#include "app/Info.h"
#include "app/Carvenna.h"
#include "app/Link.h"
#include "app/OpenURL.h"

TfrmInfo::TfrmInfo(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(473, 579);
    ui.lnkWeb->setText(Maker::Email());
    m_link = new Link(ui.lnkWeb, ui.imgEmail, [this] { lnkWebClick(); });
    connect(ui.btnChiudi, &QPushButton::clicked, this, &TfrmInfo::btnChiudiClick);
}

void TfrmInfo::lnkWebClick() {
    TMisc::Open(m_app, u'"' + QStringLiteral("mailto:") + Maker::Email() + u'"');
}

void TfrmInfo::btnChiudiClick() {
    reject();
}
