#include "einvoice/DatiFiscali.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/CommonMessages.h"
#include "app/Placement.h"
#include "einvoice/FiscalData.h"
#include "payments/PaymentSettings.h"
#include "validators/Iban.h"
#include "storage/Text.h"
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
QLineEdit* Field(QWidget* parent, const char* name, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    return e;
}
} // namespace

TfrmDatiFiscali::TfrmDatiFiscali(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("TfrmDatiFiscali"));
    setWindowTitle(QStringLiteral(" Dati fiscali e bancari della scuola"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    txtDenominazione = Field(this, "txtDenominazione", 80);
    txtPartitaIva = Field(this, "txtPartitaIva", 11);
    txtPartitaIva->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,11}"), this));
    txtCodiceFiscale = Field(this, "txtCodiceFiscale", 16);
    cmbRegimeFiscale = new QComboBox(this);
    cmbRegimeFiscale->setObjectName(QStringLiteral("cmbRegimeFiscale"));
    for (const auto& r : RegimeFiscaleCodes())
        cmbRegimeFiscale->addItem(r.first + QStringLiteral(" - ") + r.second, r.first);
    cmbRegimeFiscale->setMaximumWidth(520);
    txtIndirizzo = Field(this, "txtIndirizzo", 60);
    txtCap = Field(this, "txtCap", 5);
    txtCap->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), this));
    txtComune = Field(this, "txtComune", 60);
    txtProvincia = Field(this, "txtProvincia", 2);
    txtNazione = Field(this, "txtNazione", 2);
    txtRiferimento = Field(this, "txtRiferimento", 100);
    chkBolloVirtuale = new QCheckBox(QStringLiteral("Imposta di bollo assolta in modo virtuale"), this);
    chkBolloVirtuale->setObjectName(QStringLiteral("chkBolloVirtuale"));
    optBolloScuola = new QRadioButton(QStringLiteral("a carico della scuola"), this);
    optBolloScuola->setObjectName(QStringLiteral("optBolloScuola"));
    optBolloCliente =
        new QRadioButton(QStringLiteral("addebitata in fattura (riga \"Imposta di bollo\" di 2,00)"), this);
    optBolloCliente->setObjectName(QStringLiteral("optBolloCliente"));
    auto* group = new QButtonGroup(this);
    group->addButton(optBolloScuola);
    group->addButton(optBolloCliente);
    txtProgressivo = Field(this, "txtProgressivo", 5);
    txtProgressivo->setValidator(new QIntValidator(1, 99999, this));
    txtIban = Field(this, "txtIban", 42);
    txtIntestatario = Field(this, "txtIntestatario", kHolderMaxLength);
    txtCreditore = Field(this, "txtCreditore", 35);
    txtCuc = Field(this, "txtCuc", 8);
    cmbFormatoSdd = new QComboBox(this);
    cmbFormatoSdd->setObjectName(QStringLiteral("cmbFormatoSdd"));
    cmbFormatoSdd->addItem(QStringLiteral("CBI (richiesto dalle banche italiane)"), SddFormatKey(PaymentSettings::SddFormat::Cbi));
    cmbFormatoSdd->addItem(QStringLiteral("ISO 20022 pain.008.001.08"), SddFormatKey(PaymentSettings::SddFormat::Iso));
    btnApplica = new QPushButton(QStringLiteral("Applica e chiudi"), this);
    btnApplica->setObjectName(QStringLiteral("btnApplica"));
    btnAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    btnAnnulla->setObjectName(QStringLiteral("btnAnnulla"));

    auto* school = new QGroupBox(QStringLiteral(" Cedente / prestatore "), this);
    school->setObjectName(QStringLiteral("grpScuola"));
    auto* form = new QFormLayout(school);
    form->addRow(QStringLiteral("Denominazione:"), txtDenominazione);
    form->addRow(QStringLiteral("Partita IVA:"), txtPartitaIva);
    form->addRow(QStringLiteral("Codice fiscale:"), txtCodiceFiscale);
    form->addRow(QStringLiteral("Regime fiscale:"), cmbRegimeFiscale);
    form->addRow(QStringLiteral("Indirizzo:"), txtIndirizzo);
    form->addRow(QStringLiteral("CAP:"), txtCap);
    form->addRow(QStringLiteral("Comune:"), txtComune);
    form->addRow(QStringLiteral("Provincia (sigla):"), txtProvincia);
    form->addRow(QStringLiteral("Nazione:"), txtNazione);

    auto* invoice = new QGroupBox(QStringLiteral(" Fattura "), this);
    invoice->setObjectName(QStringLiteral("grpFattura"));
    auto* form2 = new QFormLayout(invoice);
    form2->addRow(QStringLiteral("Riferimento normativo dell'esenzione (N4):"), txtRiferimento);
    form2->addRow(chkBolloVirtuale);
    auto* bearer = new QVBoxLayout;
    bearer->addWidget(optBolloScuola);
    bearer->addWidget(optBolloCliente);
    form2->addRow(QStringLiteral("Imposta di bollo (oltre 77,47 euro):"), bearer);
    form2->addRow(QStringLiteral("Prossimo numero di trasmissione:"), txtProgressivo);

    auto* payments = new QGroupBox(QStringLiteral(" Pagamenti (bonifici e addebiti SDD) "), this);
    payments->setObjectName(QStringLiteral("grpPagamenti"));
    auto* form3 = new QFormLayout(payments);
    form3->addRow(QStringLiteral("IBAN della scuola:"), txtIban);
    form3->addRow(QStringLiteral("Intestatario del conto:"), txtIntestatario);
    form3->addRow(QStringLiteral("Identificativo creditore SEPA:"), txtCreditore);
    form3->addRow(QStringLiteral("Codice CUC (CBI):"), txtCuc);
    form3->addRow(QStringLiteral("Formato del file SDD:"), cmbFormatoSdd);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(NewGuideButton(this));
    buttons->addStretch();
    buttons->addWidget(btnApplica);
    buttons->addWidget(btnAnnulla);
    auto* all = new QVBoxLayout(this);
    all->addWidget(school);
    all->addWidget(invoice);
    all->addWidget(payments);
    all->addLayout(buttons);
    resize(720, sizeHint().height());

    connect(btnApplica, &QPushButton::clicked, this, &TfrmDatiFiscali::btnApplicaClick);
    connect(btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    TabLeavesViews(this);
    AttachGuide(m_app, this, GuideTopic::DatiFiscali, findChild<QPushButton*>(QStringLiteral("btnGuida")));
}

void TfrmDatiFiscali::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TfrmDatiFiscali::FormShow() {
    CentreOnScreen(this);
    const FiscalData d = LoadFiscalData(m_app.SettingsPath());
    txtDenominazione->setText(d.denominazione);
    txtPartitaIva->setText(d.partitaIva);
    txtCodiceFiscale->setText(d.codiceFiscale);
    const int regime = cmbRegimeFiscale->findData(d.regimeFiscale);
    cmbRegimeFiscale->setCurrentIndex(regime >= 0 ? regime : 0);
    txtIndirizzo->setText(d.indirizzo);
    txtCap->setText(d.cap);
    txtComune->setText(d.comune);
    txtProvincia->setText(d.provincia);
    txtNazione->setText(d.nazione);
    txtRiferimento->setText(d.riferimentoNormativo);
    chkBolloVirtuale->setChecked(d.bolloVirtuale);
    (d.bolloACarico == FiscalData::StampBearer::Payer ? optBolloCliente : optBolloScuola)->setChecked(true);
    txtProgressivo->setText(QString::number(d.progressivo));
    const PaymentSettings p = LoadPaymentSettings(m_app.SettingsPath());
    txtIban->setText(GroupIban(p.iban));
    txtIntestatario->setText(p.intestatario);
    txtCreditore->setText(p.creditorId);
    txtCuc->setText(p.cuc);
    cmbFormatoSdd->setCurrentIndex(qMax(0, cmbFormatoSdd->findData(SddFormatKey(p.formato))));
    txtDenominazione->setFocus();
}

void TfrmDatiFiscali::btnApplicaClick() {
    FiscalData d;
    d.denominazione = TrimText(txtDenominazione->text());
    d.partitaIva = TrimText(txtPartitaIva->text());
    d.codiceFiscale = UpperAZ(TrimText(txtCodiceFiscale->text()));
    d.regimeFiscale = cmbRegimeFiscale->currentData().toString();
    d.indirizzo = TrimText(txtIndirizzo->text());
    d.cap = TrimText(txtCap->text());
    d.comune = TrimText(txtComune->text());
    d.provincia = UpperAZ(TrimText(txtProvincia->text()));
    d.nazione = UpperAZ(TrimText(txtNazione->text()));
    d.riferimentoNormativo = TrimText(txtRiferimento->text());
    d.bolloVirtuale = chkBolloVirtuale->isChecked();
    d.bolloACarico = optBolloCliente->isChecked() ? FiscalData::StampBearer::Payer : FiscalData::StampBearer::School;
    QVector<FieldProblem> problems;
    bool ok = false;
    d.progressivo = TrimText(txtProgressivo->text()).toInt(&ok);
    if (!ok || d.progressivo < 1 || d.progressivo > 99999)
        problems << FieldProblem{QStringLiteral("progressivo"),
                                 QStringLiteral("il numero di trasmissione va da 1 a 99999.")};
    problems += FiscalFieldProblems(d);
    PaymentSettings p;
    p.iban = NormaliseIban(txtIban->text());
    p.intestatario = TrimText(txtIntestatario->text());
    p.creditorId = NormaliseCreditorId(txtCreditore->text());
    p.cuc = UpperAZ(TrimText(txtCuc->text()));
    p.formato = SddFormatFromKey(cmbFormatoSdd->currentData().toString());
    const QVector<FieldProblem> paymentProblems = PaymentFieldProblems(p);

    // Every field that is right is kept; a wrong one keeps what was stored before.
    const QString ini = m_app.SettingsPath();
    const FiscalData keptData = KeepRightFields(d, LoadFiscalData(ini), problems);
    const PaymentSettings keptPayments = KeepRightFields(p, LoadPaymentSettings(ini), paymentProblems);
    problems += paymentProblems;
    if (!SaveFiscalData(ini, keptData) || !SavePaymentSettings(ini, keptPayments)) {
        m_app.messages().Error(SettingsNotSaved(), this);
        return;
    }
    if (problems.isEmpty()) {
        accept();
        return;
    }
    QStringList texts;
    for (const FieldProblem& problem : problems)
        texts << problem.message;
    m_app.messages().Notice(QStringLiteral("Attenzione: ") + texts.join(QStringLiteral("\n")) +
                                QStringLiteral("\n\r\n\r") +
                                (problems.size() == 1 ? QStringLiteral("Gli altri dati sono stati salvati; questo "
                                                                       "campo conserva il valore salvato prima.")
                                                      : QStringLiteral("Gli altri dati sono stati salvati; questi "
                                                                       "campi conservano il valore salvato prima.")),
                            this);
    // Back to the first field to put right.
    const QHash<QString, QWidget*> fields = {
        {QStringLiteral("denominazione"), txtDenominazione}, {QStringLiteral("partitaIva"), txtPartitaIva},
        {QStringLiteral("codiceFiscale"), txtCodiceFiscale}, {QStringLiteral("regimeFiscale"), cmbRegimeFiscale},
        {QStringLiteral("indirizzo"), txtIndirizzo},         {QStringLiteral("cap"), txtCap},
        {QStringLiteral("comune"), txtComune},               {QStringLiteral("provincia"), txtProvincia},
        {QStringLiteral("nazione"), txtNazione},             {QStringLiteral("riferimentoNormativo"), txtRiferimento},
        {QStringLiteral("progressivo"), txtProgressivo},     {QStringLiteral("iban"), txtIban},
        {QStringLiteral("intestatario"), txtIntestatario},   {QStringLiteral("creditorId"), txtCreditore},
        {QStringLiteral("cuc"), txtCuc}};
    if (QWidget* w = fields.value(problems.first().field)) {
        w->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            edit->selectAll();
    }
}
