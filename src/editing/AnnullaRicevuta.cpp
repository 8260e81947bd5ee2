#include "editing/AnnullaRicevuta.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "storage/Text.h"
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmAnnullaRicevuta::TfrmAnnullaRicevuta(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("TfrmAnnullaRicevuta"));
    setWindowTitle(QStringLiteral(" Annulla ricevuta"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedWidth(460);

    lblRicevuta = new QLabel(this);
    lblRicevuta->setObjectName(QStringLiteral("lblRicevuta"));
    lblRicevuta->setWordWrap(true);
    lblRicevuta->setFont(QFont(QStringLiteral("Verdana"), 9, QFont::Bold));
    lblRicevuta->hide();
    auto* lblSpiega = new QLabel(QStringLiteral("La ricevuta resta in archivio con il suo numero, l'importo a zero e "
                                                "la causale \"ANNULLATA\" seguita dal motivo."),
                                 this);
    lblSpiega->setObjectName(QStringLiteral("lblSpiega"));
    lblSpiega->setWordWrap(true);
    auto* lblMotivo = new QLabel(QStringLiteral("Motivo dell'annullamento:"), this);
    lblMotivo->setObjectName(QStringLiteral("lblMotivo"));
    txtMotivo = new QLineEdit(this);
    txtMotivo->setObjectName(QStringLiteral("txtMotivo"));
    txtMotivo->setMaxLength(109); // with "ANNULLATA: " it fills the 120 characters of the cause
    btnAnnulla = new QPushButton(QStringLiteral("Indietro"), this);
    btnAnnulla->setObjectName(QStringLiteral("btnAnnulla"));
    btnConferma = new QPushButton(QStringLiteral("Annulla ricevuta"), this);
    btnConferma->setObjectName(QStringLiteral("btnConferma"));
    for (QPushButton* b : {btnAnnulla, btnConferma}) {
        b->setMinimumSize(145, 28);
        b->setFont(QFont(QStringLiteral("Verdana"), 8));
    }
    // Enter presses the focused button; with the focus elsewhere, "Indietro": cancelling takes a click
    // or a deliberate Enter on its own button.
    btnAnnulla->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnAnnulla);
    buttons->addStretch();
    buttons->addWidget(btnConferma);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(18, 16, 18, 14);
    box->addWidget(lblRicevuta);
    box->addWidget(lblSpiega);
    box->addSpacing(6);
    box->addWidget(lblMotivo);
    box->addWidget(txtMotivo);
    box->addSpacing(8);
    box->addLayout(buttons);

    connect(btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    TabLeavesViews(this);
    AttachGuide(m_app, this, GuideTopic::AnnullaRicevuta);
    connect(btnConferma, &QPushButton::clicked, this, &TfrmAnnullaRicevuta::btnConfermaClick);
    // Enter in the reason moves on to the buttons, as in every field, instead of pressing one.
    txtMotivo->installEventFilter(this);
}

void TfrmAnnullaRicevuta::SetReceipt(const QString& identity) {
    QString text = identity;
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    lblRicevuta->setText(text);
    lblRicevuta->setVisible(!text.isEmpty());
}

bool TfrmAnnullaRicevuta::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtMotivo && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnConferma->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString TfrmAnnullaRicevuta::ReasonMissing() {
    return QStringLiteral("Attenzione: per annullare la ricevuta è necessario indicare il motivo dell'annullamento.");
}

QString TfrmAnnullaRicevuta::Reason() const {
    return TrimText(txtMotivo->text());
}

void TfrmAnnullaRicevuta::btnConfermaClick() {
    if (Reason().isEmpty()) {
        m_app.messages().Warning(ReasonMissing(), this);
        txtMotivo->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}
