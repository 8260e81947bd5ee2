#include "receipts/Calendario.h"
#include "app/Carvenna.h"
#include "app/Placement.h"
#include "receipts/Ricevuta.h"
#include "registry/Tiratori.h"
#include "storage/Dates.h"

namespace {

struct DateTarget {
    const char* context;
    QLineEdit* (*field)(Carvenna& app);
};

QLineEdit* ReceiptField(Carvenna& app, QLineEdit* Ui::TfrmRicevuta::*member) {
    TfrmRicevuta* editor = app.ricevuta();
    return editor ? editor->ui.*member : nullptr;
}

QLineEdit* RegistryField(Carvenna& app, QLineEdit* Ui::TfrmTiratori::*member) {
    TfrmTiratori* editor = app.tiratori();
    return editor ? editor->ui.*member : nullptr;
}

// Searched in this order; the first context equal to lblMemory decides the target.
const DateTarget kTargets[] = {
    {"data", [](Carvenna& app) { return ReceiptField(app, &Ui::TfrmRicevuta::txtData); }},
    {"dal", [](Carvenna& app) { return ReceiptField(app, &Ui::TfrmRicevuta::txtDal); }},
    {"Al", [](Carvenna& app) { return ReceiptField(app, &Ui::TfrmRicevuta::txtAl); }},
    {"tiratori_studio", [](Carvenna& app) { return RegistryField(app, &Ui::TfrmTiratori::txtStudio); }},
    {"tiratori_iniziotes", [](Carvenna& app) { return RegistryField(app, &Ui::TfrmTiratori::txtInizioTes); }},
    {"tiratori_finetes", [](Carvenna& app) { return RegistryField(app, &Ui::TfrmTiratori::txtFineTes); }},
};

} // namespace

TfrmCalendario::TfrmCalendario(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    SetFormatSettings();
    ui.calAppuntamenti->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    ui.calAppuntamenti->setSelectedDate(m_app.clock().Today());
    connect(ui.btnImportaData, &QPushButton::clicked, this, &TfrmCalendario::btnImportaDataClick);
    connect(ui.btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
    // Enter or a double click on a day imports it, as the button does.
    connect(ui.calAppuntamenti, &QCalendarWidget::activated, this, &TfrmCalendario::btnImportaDataClick);
}

QLineEdit* TfrmCalendario::Target(Carvenna& app, const QString& context) {
    for (const DateTarget& t : kTargets) {
        if (context == QLatin1String(t.context))
            return t.field(app);
    }
    return nullptr;
}

void TfrmCalendario::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TfrmCalendario::FormShow() {
    CentreOnScreen(this);
    ui.calAppuntamenti->setFocus();
}

void TfrmCalendario::btnImportaDataClick() {
    QLineEdit* field = Target(m_app, ui.lblMemory->text());
    if (!field)
        return; // no matching context: the picker stays open
    field->setText(FormatDate(ui.calAppuntamenti->selectedDate()));
    accept();
}
