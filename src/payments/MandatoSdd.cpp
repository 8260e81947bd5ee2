#include "payments/MandatoSdd.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/Carvenna.h"
#include "app/Placement.h"
#include "payments/Mandates.h"
#include "storage/Dates.h"
#include "storage/Text.h"
#include "validators/Iban.h"
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmMandatoSdd::TfrmMandatoSdd(Carvenna& app, const QString& taxCode, const QString& payer, QWidget* parent)
    : QDialog(parent), m_app(app), m_taxCode(UpperAZ(TrimText(taxCode))) {
    setObjectName(QStringLiteral("TfrmMandatoSdd"));
    AttachGuide(app, this, GuideTopic::MandatoSdd); // F1: this window's section of the guide
    setWindowTitle(QStringLiteral(" Mandato SDD"));
    lblPagatore = new QLabel(QStringLiteral("<b>%1</b> &nbsp; codice fiscale %2")
                                 .arg(TrimText(payer).toHtmlEscaped(), m_taxCode.toHtmlEscaped()),
                             this);
    lblPagatore->setObjectName(QStringLiteral("lblPagatore"));
    txtIban = new QLineEdit(this);
    txtIban->setObjectName(QStringLiteral("txtIban"));
    txtIban->setMaxLength(42);
    txtIban->setMinimumWidth(320);
    txtMandato = new QLineEdit(this);
    txtMandato->setObjectName(QStringLiteral("txtMandato"));
    txtMandato->setMaxLength(35);
    txtDataFirma = new QLineEdit(this);
    txtDataFirma->setObjectName(QStringLiteral("txtDataFirma"));
    txtDataFirma->setMaxLength(10);
    txtDataFirma->setInputMask(QStringLiteral("99/99/9999;_"));
    txtDataFirma->setMaximumWidth(110);
    chkPrimoAddebito = new QCheckBox(QStringLiteral("Primo addebito già effettuato (i prossimi saranno RCUR)"), this);
    chkPrimoAddebito->setObjectName(QStringLiteral("chkPrimoAddebito"));
    btnSalva = new QPushButton(QStringLiteral("Salva"), this);
    btnSalva->setObjectName(QStringLiteral("btnSalva"));
    btnSalva->setDefault(true);
    btnAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    btnAnnulla->setObjectName(QStringLiteral("btnAnnulla"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Pagatore:"), lblPagatore);
    form->addRow(QStringLiteral("IBAN del pagatore:"), txtIban);
    form->addRow(QStringLiteral("Codice del mandato:"), txtMandato);
    form->addRow(QStringLiteral("Data di firma:"), txtDataFirma);
    form->addRow(QString(), chkPrimoAddebito);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSalva);
    buttons->addWidget(btnAnnulla);
    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addLayout(buttons);

    payments::Mandates mandates;
    mandates.Load(app.Path(QLatin1String(payments::MandatesFileName)));
    if (const auto m = mandates.Of(m_taxCode)) {
        txtIban->setText(GroupIban(m->iban));
        txtMandato->setText(m->id);
        txtDataFirma->setText(FormatDate(m->signedOn));
        chkPrimoAddebito->setChecked(m->firstDone);
    } else {
        // A new mandate: an id of the payer's own that no other payer has, signed today.
        txtMandato->setText(QStringLiteral("SDD-") + m_taxCode);
        txtDataFirma->setText(FormatDate(app.clock().Today()));
    }
    connect(btnSalva, &QPushButton::clicked, this, &TfrmMandatoSdd::btnSalvaClick);
    connect(btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    txtIban->setFocus();
    TabLeavesViews(this); // Tab leaves the tables instead of walking their cells
}

void TfrmMandatoSdd::btnSalvaClick() {
    const QString path = m_app.Path(QLatin1String(payments::MandatesFileName));
    payments::Mandates mandates;
    QString error;
    if (!mandates.Load(path, &error)) {
        m_app.messages().Error(QStringLiteral("Attenzione: impossibile leggere il file dei mandati SDD."), this);
        return;
    }
    payments::Mandate m;
    m.taxCode = m_taxCode;
    m.iban = NormaliseIban(txtIban->text());
    m.id = TrimText(txtMandato->text());
    m.signedOn = ParseDate(txtDataFirma->text());
    m.firstDone = chkPrimoAddebito->isChecked();
    if (const QString problem = payments::CheckMandate(m, mandates, m_app.clock().Today()); !problem.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: ") + problem, this);
        QLineEdit* field = problem.contains(QLatin1String("IBAN"))     ? txtIban
                           : problem.contains(QLatin1String("data"))   ? txtDataFirma
                                                                      : txtMandato;
        field->setFocus();
        return;
    }
    if (!payments::SaveMandate(path, m, &error)) {
        m_app.messages().Error(QStringLiteral("Attenzione: impossibile salvare il mandato SDD nella cartella del "
                                              "programma."),
                               this);
        return;
    }
    accept();
}
