#include "summary/MenuRiepCosti.h"
#include "app/Carvenna.h"
#include "widgets/DigitsFilter.h"
#include "storage/Dates.h"
#include "storage/Text.h"
#include "summary/Attestazioni.h"
#include "summary/PickListField.h"
#include "summary/RiepCosti.h"
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <exception>

namespace {
const QSize kPanel(1016, 713); // the content is laid out for this client area
const QString kValidDate =
    QStringLiteral("\n\r\n\rPer poter visualizzare il riepilogo è necessario indicare una data valida.");

// "dd/mm/yyyy" from the trimmed day, the month picked by name and the year; empty when no month matches.
QString ComposeDate(const QString& day, const QString& month, const QString& year) {
    const int m = int(LowerMonthNames().indexOf(LowerAZ(TrimText(month))));
    if (m < 0)
        return {};
    return TrimText(day) + u'/' + QStringLiteral("%1").arg(m + 1, 2, 10, QLatin1Char('0')) + u'/' + TrimText(year);
}
} // namespace

TfrmMenuRiepCosti::TfrmMenuRiepCosti(Carvenna& app, QWidget* parent) : QWidget(parent), m_app(app) {
    ui.setupUi(this);
    SetFormatSettings();
    setWindowState(Qt::WindowMaximized);
    ui.icoIncassi->setPixmap(QIcon(QStringLiteral(":/summary/art/incassi.svg")).pixmap(220, 220));

    ui.txtAnno->setMaxLength(4);
    ui.txtAnno->installEventFilter(new DigitsFilter(this));
    ui.txtAnno->installEventFilter(this); // called first: Enter, key up and focus out are handled here
    ui.txtEsecutore->installEventFilter(this);
    ui.txtCCP->installEventFilter(this);

    m_pickKeys = new PickListKeys(this);
    m_pickKeys->Watch(ui.txtGiornoInizio, ui.txtMeseInizio, DayTexts(), false);
    m_pickKeys->Watch(ui.txtMeseInizio, ui.txtGiornoFine, LowerMonthNames(), true);
    m_pickKeys->Watch(ui.txtGiornoFine, ui.txtMeseFine, DayTexts(), false);
    m_pickKeys->Watch(ui.txtMeseFine, ui.btnVisualizza, LowerMonthNames(), true);
    for (QComboBox* day : {ui.txtGiornoInizio, ui.txtGiornoFine})
        day->lineEdit()->setMaxLength(2);
    for (QComboBox* month : {ui.txtMeseInizio, ui.txtMeseFine})
        month->lineEdit()->setMaxLength(9);
    // Under the style sheet the lists' edit part would fall back to the small default font.
    for (QComboBox* f : {ui.txtGiornoInizio, ui.txtMeseInizio, ui.txtGiornoFine, ui.txtMeseFine})
        f->lineEdit()->setFont(f->font());

    // The waiting label appears as soon as the button goes down, before the click runs.
    ui.btnVisualizza->installEventFilter(this);
    connect(ui.btnVisualizza, &QPushButton::clicked, this, &TfrmMenuRiepCosti::btnVisualizzaClick);
    connect(ui.btnAttestazioni, &QPushButton::clicked, this, &TfrmMenuRiepCosti::btnAttestazioniClick);
    connect(ui.btnEsci, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmMenuRiepCosti::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TfrmMenuRiepCosti::FormShow() {
    ui.txtEsecutore->clear();
    ui.txtCCP->clear();
    for (QComboBox* f : {ui.txtGiornoInizio, ui.txtMeseInizio, ui.txtGiornoFine, ui.txtMeseFine})
        PickListKeys::Clear(f);
    const QString year = QString::number(m_app.clock().Today().year()).rightJustified(4, QLatin1Char('0'));
    ui.txtAnno->setText(year);
    ui.lblAnnoInizio->setText(year);
    ui.lblAnnoFine->setText(year);
    ui.lblAttendere->hide();
    ui.txtEsecutore->setFocus();
}

void TfrmMenuRiepCosti::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // Keep the designed panel in the middle of the maximised window.
    ui.panSfondo->move(qMax(0, (width() - kPanel.width()) / 2), qMax(0, (height() - kPanel.height()) / 2));
}

bool TfrmMenuRiepCosti::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == ui.btnVisualizza) {
        if (type == QEvent::MouseButtonPress)
            ui.lblAttendere->show();
        return QWidget::eventFilter(watched, event);
    }
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (watched == ui.txtAnno)
            return txtAnnoKeyDown(key);
        if (enter && watched == ui.txtEsecutore) {
            ui.txtCCP->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (enter && watched == ui.txtCCP) {
            ui.txtGiornoInizio->setFocus(Qt::TabFocusReason);
            return true;
        }
    } else if (watched == ui.txtAnno && (type == QEvent::KeyRelease || type == QEvent::FocusOut)) {
        txtAnnoKeyUp();
    }
    return QWidget::eventFilter(watched, event);
}

bool TfrmMenuRiepCosti::txtAnnoKeyDown(QKeyEvent* key) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        ui.txtEsecutore->setFocus(Qt::TabFocusReason);
        return true;
    }
    return false; // the digits filter decides the rest
}

void TfrmMenuRiepCosti::txtAnnoKeyUp() {
    const QString year = TrimText(ui.txtAnno->text());
    ui.lblAnnoInizio->setText(year);
    ui.lblAnnoFine->setText(year);
}

void TfrmMenuRiepCosti::Refuse(bool plain, const QString& text, QWidget* field) {
    ui.lblAttendere->hide();
    if (plain)
        m_app.messages().Plain(text, this);
    else
        m_app.messages().Warning(text, this);
    if (field)
        field->setFocus(Qt::OtherFocusReason);
}

bool TfrmMenuRiepCosti::CheckCriteria() {
    ui.lblDataInizio->clear();
    ui.lblDataFine->clear();
    if (ui.txtAnno->text().size() != 4) {
        Refuse(false, QStringLiteral("Attenzione: indicare l'anno solare utilizzando quattro cifre."), ui.txtAnno);
        return false;
    }
    const struct {
        QComboBox* field;
        const char* what;
    } required[] = {{ui.txtGiornoInizio, "il giorno di inizio"},
                    {ui.txtMeseInizio, "il mese di inizio"},
                    {ui.txtGiornoFine, "il giorno di fine"},
                    {ui.txtMeseFine, "il mese di fine"}};
    for (const auto& r : required) {
        if (TrimText(r.field->currentText()).isEmpty()) {
            Refuse(false,
                   QStringLiteral("Attenzione: indicare ") + QLatin1String(r.what) +
                       QStringLiteral(" intervallo selezionandolo dall'elenco a cascata."),
                   r.field);
            return false;
        }
    }
    ui.lblDataInizio->setText(
        ComposeDate(ui.txtGiornoInizio->currentText(), ui.txtMeseInizio->currentText(), ui.lblAnnoInizio->text()));
    const QString start = TrimText(ui.lblDataInizio->text());
    if (!IsValidDate(start)) {
        Refuse(true,
               QStringLiteral("Attenzione: la data ") + start + QStringLiteral(" di inizio intervallo non esiste.") +
                   kValidDate,
               ui.txtGiornoInizio);
        return false;
    }
    ui.lblDataFine->setText(
        ComposeDate(ui.txtGiornoFine->currentText(), ui.txtMeseFine->currentText(), ui.lblAnnoFine->text()));
    const QString end = TrimText(ui.lblDataFine->text());
    if (!IsValidDate(end)) {
        Refuse(true,
               QStringLiteral("Attenzione: la data ") + end + QStringLiteral(" di fine intervallo non esiste.") +
                   kValidDate,
               ui.txtGiornoFine);
        return false;
    }
    if (ParseDate(start) > ParseDate(end)) {
        Refuse(true,
               QStringLiteral("Attenzione: la data di fine intervallo (") + end +
                   QStringLiteral(") non può essere anteriore a quella di inizio intervallo (") + start +
                   QStringLiteral(").\n\r\n\rPer poter visualizzare il riepilogo è necessario indicare un intervallo "
                                  "di tempo valido."),
               nullptr);
        return false;
    }
    return true;
}

void TfrmMenuRiepCosti::btnVisualizzaClick() {
    if (!CheckCriteria())
        return;
    try {
        ui.lblFile->setText(m_app.ProgramFolder() + TrimText(ui.txtAnno->text()) + QStringLiteral(".ric"));
        TfrmRiepCosti summary(m_app, *this);
        summary.ui.lblFile->setText(TrimText(ui.lblFile->text()));
        summary.exec();
    } catch (const std::exception&) {
        Refuse(true, QStringLiteral("Attenzione: il file di archivio non risulta accessibile."), nullptr);
    }
}

void TfrmMenuRiepCosti::btnAttestazioniClick() {
    // Only the year counts: the statements cover the whole calendar year, whatever the filters say.
    const QString year = TrimText(ui.txtAnno->text());
    if (year.size() != 4) {
        Refuse(false, QStringLiteral("Attenzione: indicare l'anno solare utilizzando quattro cifre."), ui.txtAnno);
        return;
    }
    TfrmAttestazioni statements(m_app, year.toInt(), this);
    statements.ui.lblFile->setText(m_app.ProgramFolder() + year + QStringLiteral(".ric"));
    statements.exec();
}

void TfrmMenuRiepCosti::closeEvent(QCloseEvent* e) {
    e->accept();
    if (!m_app.HasQuit())
        m_app.GoHome(this);
}
