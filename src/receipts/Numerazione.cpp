#include "receipts/Numerazione.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "receipts/ReceiptSettings.h"
#include "app/FocusFrame.h"
#include "app/Placement.h"
#include "widgets/DigitsFilter.h"
#include "storage/IniFile.h"
#include "storage/Text.h"
#include <QKeyEvent>
#include <QLocale>
#include <cmath>
#include <limits>

TfrmNumerazione::TfrmNumerazione(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
    SetFormatSettings();
    ui.txtInizio->setMaxLength(5);
    new FocusFrame(ui.txtInizio, ui.effInizio);
    ui.txtInizio->installEventFilter(new DigitsFilter(this));
    ui.txtInizio->installEventFilter(this); // called first: Enter and leaving are handled here
    connect(ui.btnApplica, &QPushButton::clicked, this, &TfrmNumerazione::btnApplicaClick);
    connect(ui.btnAnnulla, &QPushButton::clicked, this, &QDialog::reject);
}

QString TfrmNumerazione::NormalizeStart(const QString& text) {
    const QString t = TrimText(text);
    if (t.isEmpty() || t.startsWith(QLatin1Char(',')) || t.endsWith(QLatin1Char(',')))
        return QStringLiteral("1");
    bool ok = false;
    QLocale italian(QLocale::Italian, QLocale::Italy);
    italian.setNumberOptions(QLocale::RejectGroupSeparator);
    const double value = italian.toDouble(t, &ok);
    // The editor adds the start to a record count as a whole number: keep it in that range.
    if (!ok || !std::isfinite(value) || std::fabs(value) > std::numeric_limits<int>::max())
        return QStringLiteral("1");
    return QString::number(static_cast<long long>(std::llround(value)));
}

bool TfrmNumerazione::IsReceipts() const {
    return TrimText(ui.lblMemory->text()) == QLatin1String("ricevute");
}

void TfrmNumerazione::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormShow();
}

void TfrmNumerazione::FormShow() {
    CentreOnScreen(this);
    if (IsReceipts())
        ui.txtInizio->setText(
            IniRead(m_app.SettingsPath(), ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey()));
    if (TrimText(ui.txtInizio->text()).isEmpty())
        ui.txtInizio->setText(QStringLiteral("1"));
    ui.txtInizio->setFocus();
    ui.txtInizio->selectAll();
}

bool TfrmNumerazione::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.txtInizio) {
        if (event->type() == QEvent::KeyPress)
            return txtInizioKeyDown(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::FocusOut)
            txtInizioExit();
    }
    return QDialog::eventFilter(watched, event);
}

bool TfrmNumerazione::txtInizioKeyDown(QKeyEvent* key) {
    // Enter only moves to "Applica e chiudi"; it must not reach the dialog, which would press a button.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        ui.btnApplica->setFocus();
        return true;
    }
    return false; // the digits filter decides the rest
}

void TfrmNumerazione::txtInizioExit() {
    ui.txtInizio->setText(NormalizeStart(ui.txtInizio->text()));
}

void TfrmNumerazione::btnApplicaClick() {
    if (IsReceipts()) {
        // Leaving the field normalises it; do it here too so a value the receipt editor cannot
        // read as a whole number is never stored, however the button was pressed.
        txtInizioExit();
        QString error;
        if (!IniWrite(m_app.SettingsPath(), ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey(),
                      TrimText(ui.txtInizio->text()), &error))
            m_app.messages().Warning(SettingsNotSaved(), this);
    }
    accept();
}
