#include "widgets/Calendario.h"
#include "app/Carvenna.h"
#include "app/Placement.h"

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

std::optional<QDate> TfrmCalendario::PickDate(Carvenna& app, QWidget* parent, const QString& context,
                                              const QDate& shown) {
    TfrmCalendario dlg(app, parent);
    dlg.ui.lblMemory->setText(context);
    if (shown.isValid())
        dlg.ui.calAppuntamenti->setSelectedDate(shown);
    dlg.exec();
    return dlg.Chosen();
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
    m_chosen = ui.calAppuntamenti->selectedDate();
    accept();
}
