#include "app/Guida.h"
#include "app/Carvenna.h"
#include "app/Link.h"
#include "app/OpenURL.h"

TfrmGuida::TfrmGuida(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(670, 572);
    m_link = new Link(ui.lnkWeb, ui.imgPDF, [this] { lnkWebClick(); });
    connect(ui.btnChiudi, &QPushButton::clicked, this, &TfrmGuida::btnChiudiClick);
}

void TfrmGuida::SetGuide(const QString& title, const QString& text) {
    ui.lblTitolo->setText(title);
    // The stored text keeps its CR LF pairs; the box wants plain line breaks.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    ui.txtGuida->setPlainText(shown);
    ui.txtGuida->moveCursor(QTextCursor::Start);
}

void TfrmGuida::lnkWebClick() {
    // Quoted: the program folder may contain blanks.
    TMisc::Open(m_app, u'"' + m_app.ProgramFolder() + QStringLiteral("Guida.pdf") + u'"');
}

void TfrmGuida::btnChiudiClick() {
    reject();
}
