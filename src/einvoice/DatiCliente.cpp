#include "einvoice/DatiCliente.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/Placement.h"
#include "storage/Text.h"
#include "validators/PayerCode.h"
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
QLineEdit* Field(QWidget* parent, const char* name, int maxLength, const QString& text) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    e->setText(TrimText(text));
    return e;
}
} // namespace

TfrmDatiCliente::TfrmDatiCliente(Carvenna& app, const QString& code, const QString& reason, const InvoicePayer& p,
                                 QWidget* parent)
    : QDialog(parent), m_app(app), m_firm(ReadPayerCode(code).kind == PayerCodeKind::VatNumber) {
    setObjectName(QStringLiteral("TfrmDatiCliente"));
    setWindowTitle(QStringLiteral(" Dati del pagatore per la fattura elettronica"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    lblMotivo = new QLabel(reason, this);
    lblMotivo->setObjectName(QStringLiteral("lblMotivo"));
    lblMotivo->setWordWrap(true);
    lblCodice = new QLabel(code, this);
    lblCodice->setObjectName(QStringLiteral("lblCodice"));
    txtCognome = Field(this, "txtCognome", 60, p.cognome);
    txtNome = Field(this, "txtNome", 60, p.nome);
    txtDenominazione = Field(this, "txtDenominazione", 80, p.denominazione);
    txtIndirizzo = Field(this, "txtIndirizzo", 60, p.indirizzo);
    txtCap = Field(this, "txtCap", 5, p.cap);
    txtComune = Field(this, "txtComune", 60, p.comune);
    txtProvincia = Field(this, "txtProvincia", 2, p.provincia);
    txtNazione = Field(this, "txtNazione", 2, p.nazione.isEmpty() ? QStringLiteral("IT") : p.nazione);
    btnConferma = new QPushButton(QStringLiteral("Conferma"), this);
    btnConferma->setObjectName(QStringLiteral("btnConferma"));
    btnAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    btnAnnulla->setObjectName(QStringLiteral("btnAnnulla"));

    auto* form = new QFormLayout;
    form->addRow(m_firm ? QStringLiteral("Partita IVA:") : QStringLiteral("Codice fiscale:"), lblCodice);
    if (m_firm) {
        form->addRow(QStringLiteral("Denominazione:"), txtDenominazione);
        txtCognome->hide();
        txtNome->hide();
    } else {
        form->addRow(QStringLiteral("Cognome:"), txtCognome);
        form->addRow(QStringLiteral("Nome:"), txtNome);
        txtDenominazione->hide();
    }
    form->addRow(QStringLiteral("Indirizzo:"), txtIndirizzo);
    form->addRow(QStringLiteral("CAP:"), txtCap);
    form->addRow(QStringLiteral("Comune:"), txtComune);
    form->addRow(QStringLiteral("Provincia (sigla):"), txtProvincia);
    form->addRow(QStringLiteral("Nazione:"), txtNazione);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnConferma);
    buttons->addWidget(btnAnnulla);
    auto* all = new QVBoxLayout(this);
    all->addWidget(lblMotivo);
    all->addLayout(form);
    all->addLayout(buttons);
    resize(560, sizeHint().height());
    CentreOnScreen(this);
    connect(btnConferma, &QPushButton::clicked, this, &TfrmDatiCliente::btnConfermaClick);
    connect(btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    TabLeavesViews(this);
    AttachGuide(m_app, this, GuideTopic::FatturaElettronica);
}

InvoicePayer TfrmDatiCliente::Payer() const {
    InvoicePayer p;
    if (m_firm) {
        p.denominazione = TrimText(txtDenominazione->text());
    } else {
        p.cognome = TrimText(txtCognome->text());
        p.nome = TrimText(txtNome->text());
    }
    p.indirizzo = TrimText(txtIndirizzo->text());
    p.cap = TrimText(txtCap->text());
    p.comune = TrimText(txtComune->text());
    p.provincia = UpperAZ(TrimText(txtProvincia->text()));
    p.nazione = UpperAZ(TrimText(txtNazione->text()));
    return p;
}

void TfrmDatiCliente::btnConfermaClick() {
    const InvoicePayer p = Payer();
    QString missing;
    QLineEdit* field = nullptr; // where the cursor goes back after the warning
    if (m_firm ? p.denominazione.isEmpty() : (p.cognome.isEmpty() || p.nome.isEmpty())) {
        missing = m_firm ? QStringLiteral("la denominazione") : QStringLiteral("cognome e nome");
        field = m_firm ? txtDenominazione : p.cognome.isEmpty() ? txtCognome : txtNome;
    } else if (p.indirizzo.isEmpty()) {
        missing = QStringLiteral("l'indirizzo");
        field = txtIndirizzo;
    } else if (p.comune.isEmpty()) {
        missing = QStringLiteral("il comune");
        field = txtComune;
    } else if (p.nazione == QLatin1String("IT") && p.cap.size() != 5) {
        missing = QStringLiteral("il CAP di cinque cifre");
        field = txtCap;
    }
    if (!missing.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: indicare ") + missing + QStringLiteral(" del pagatore."),
                                 this);
        field->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}
