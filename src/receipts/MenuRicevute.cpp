#include "receipts/MenuRicevute.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "einvoice/DatiFiscali.h"
#include "einvoice/FattureElettroniche.h"
#include "fees/BonusNido.h"
#include "fees/RetteMese.h"
#include "widgets/DigitsFilter.h"
#include "storage/Text.h"
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>

namespace {
const char kFourDigits[] = "Attenzione: indicare l'anno solare utilizzando quattro cifre.";
const QSize kPanel(1016, 713); // the content is laid out for this client area
} // namespace

TfrmMenuRicevute::TfrmMenuRicevute(Carvenna& app, QWidget* parent) : QWidget(parent), m_app(app) {
    ui.setupUi(this);
    SetFormatSettings();
    setWindowState(Qt::WindowMaximized);
    ui.imgGuida->setIcon(QIcon(QStringLiteral(":/receipts/art/guida.svg")));
    ui.imgEsci->setIcon(QIcon(QStringLiteral(":/receipts/art/esci.svg")));
    ui.icoRicevute->setPixmap(QIcon(QStringLiteral(":/receipts/art/ricevute.svg")).pixmap(220, 220));
    ui.txtAnnoPreventivi->setMaxLength(4);
    ui.txtAnnoPreventivi->installEventFilter(new DigitsFilter(this));
    ui.txtAnnoPreventivi->installEventFilter(this); // called first: Enter is handled here
    connect(ui.btnApriPreventivi, &QPushButton::clicked, this, &TfrmMenuRicevute::btnApriPreventiviClick);
    connect(ui.imgGuida, &QToolButton::clicked, this, &TfrmMenuRicevute::imgGuidaClick);
    connect(ui.btnRetteMese, &QPushButton::clicked, this, &TfrmMenuRicevute::btnRetteMeseClick);
    connect(ui.imgEsci, &QToolButton::clicked, this, &QWidget::close);
    connect(ui.btnDatiFiscali, &QPushButton::clicked, this, &TfrmMenuRicevute::btnDatiFiscaliClick);
    connect(ui.btnFattureElettroniche, &QPushButton::clicked, this, &TfrmMenuRicevute::btnFattureElettronicheClick);
    connect(ui.btnBonusNido, &QPushButton::clicked, this, &TfrmMenuRicevute::btnBonusNidoClick);
}

void TfrmMenuRicevute::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    FormShow();
}

void TfrmMenuRicevute::FormShow() {
    ui.txtAnnoPreventivi->setText(QString::number(m_app.clock().Today().year()).rightJustified(4, QLatin1Char('0')));
    ui.lblMemory->setText(QStringLiteral("avvio"));
    ui.txtAnnoPreventivi->setFocus();
    ui.txtAnnoPreventivi->selectAll();
}

void TfrmMenuRicevute::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // Keep the designed panel in the middle of the maximised window.
    ui.panSfondo->move(qMax(0, (width() - kPanel.width()) / 2), qMax(0, (height() - kPanel.height()) / 2));
}

bool TfrmMenuRicevute::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.txtAnnoPreventivi && event->type() == QEvent::KeyPress)
        return txtAnnoPreventiviKeyDown(static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

bool TfrmMenuRicevute::txtAnnoPreventiviKeyDown(QKeyEvent* key) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        ui.btnApriPreventivi->setFocus();
        return true;
    }
    return false; // the digits filter decides the rest
}

void TfrmMenuRicevute::btnApriPreventiviClick() {
    if (ui.txtAnnoPreventivi->text().size() != 4) {
        m_app.messages().Warning(QString::fromUtf8(kFourDigits), this);
        ui.txtAnnoPreventivi->setFocus();
        return;
    }
    // Nothing is opened here: the yearly file is created by the editor's first file action.
    const QString year = TrimText(ui.txtAnnoPreventivi->text());
    m_app.OpenReceiptYear(year);
    ui.lblMemory->setText(QStringLiteral("ricevute"));
    close();
}

// The month's fees of the year typed, with the same check of the year as "Apri".
void TfrmMenuRicevute::btnRetteMeseClick() {
    // Year 0000 passes the length check but has no months to list.
    if (ui.txtAnnoPreventivi->text().size() != 4 || TrimText(ui.txtAnnoPreventivi->text()).toInt() < 1) {
        m_app.messages().Warning(QString::fromUtf8(kFourDigits), this);
        ui.txtAnnoPreventivi->setFocus();
        return;
    }
    TfrmRetteMese w(m_app, TrimText(ui.txtAnnoPreventivi->text()), this);
    w.exec();
}

void TfrmMenuRicevute::closeEvent(QCloseEvent* e) {
    e->accept();
    if (m_app.HasQuit())
        return;
    const QString memory = TrimText(ui.lblMemory->text());
    if (memory == QLatin1String("ricevute"))
        m_app.ShowArea(Carvenna::Area::ReceiptEditor, this);
    else if (memory == QLatin1String("avvio"))
        m_app.GoHome(this);
}

void TfrmMenuRicevute::imgGuidaClick() {
    TfrmGuida dlg(m_app, this);
    dlg.SetGuide(QStringLiteral("App Stampa Ricevute"), Carvenna::ReceiptsGuide());
    dlg.exec();
}

void TfrmMenuRicevute::btnDatiFiscaliClick() {
    TfrmDatiFiscali dlg(m_app, this);
    dlg.exec();
}

void TfrmMenuRicevute::btnFattureElettronicheClick() {
    if (ui.txtAnnoPreventivi->text().size() != 4 || TrimText(ui.txtAnnoPreventivi->text()).toInt() < 1) {
        m_app.messages().Warning(QString::fromUtf8(kFourDigits), this);
        ui.txtAnnoPreventivi->setFocus();
        return;
    }
    TfrmFattureElettroniche w(m_app, TrimText(ui.txtAnnoPreventivi->text()), this);
    w.exec();
}

// The nursery-bonus documents of every family for the year typed.
void TfrmMenuRicevute::btnBonusNidoClick() {
    if (ui.txtAnnoPreventivi->text().size() != 4 || TrimText(ui.txtAnnoPreventivi->text()).toInt() < 1) {
        m_app.messages().Warning(QString::fromUtf8(kFourDigits), this);
        ui.txtAnnoPreventivi->setFocus();
        return;
    }
    ShowNurseryBonus(m_app, this, TrimText(ui.txtAnnoPreventivi->text()).toInt(), {});
}
