#include "receipts/Ricevuta.h"
#include "receipts/Cancellation.h"
#include "receipts/ReceiptSettings.h"
#include "receipts/SchoolLines.h"
#include "einvoice/FiscalData.h"
#include "app/CommonMessages.h"
#include "app/FieldText.h"
#include "printing/AnteprimaRic.h"
#include "printing/StampaRic.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/StatusHints.h"
#include "editing/AnnullaRicevuta.h"
#include "editing/RecordEditor.h"
#include "einvoice/EmettiFattura.h"
#include "einvoice/NotaDiCredito.h"
#include "export/ExpRic.h"
#include "receipts/AmountWords.h"
#include "widgets/Calendario.h"
#include "receipts/CardPayer.h"
#include "receipts/DefaultLogo.h"
#include "widgets/DigitsFilter.h"
#include "widgets/FieldKeys.h"
#include "receipts/Logo.h"
#include "receipts/Numerazione.h"
#include "receipts/ReceiptAmount.h"
#include "search/TrovaRic.h"
#include "search/TrovaTiratori.h"
#include "storage/Dates.h"
#include "storage/IniFile.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include "storage/Text.h"
#include <QCloseEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QShowEvent>
#include <optional>

namespace {
using ReceiptSettings::ReceiverKey;
const QString kSectionReceiver = ReceiptSettings::ReceiverSection();


QByteArray Encoded(const ReceiptRecord& rec) {
    QByteArray bytes;
    rec.Encode(bytes);
    return bytes;
}
} // namespace

TfrmRicevuta::TfrmRicevuta(Carvenna& app, QWidget* parent) : QWidget(parent), m_app(app), m_keys(new FieldKeys(this)) {
    ui.setupUi(this);
    setWindowState(Qt::WindowMaximized);

    RecordEditor::Options o;
    o.recordSize = ReceiptRecord::Size;
    o.layout = &ReceiptRecord::Layout();
    o.emptyNotice = QStringLiteral("L'archivio non contiene nessuna ricevuta.");
    o.firstFailsAsWarning = true;
    o.saveFailsAsWarning = true;
    o.thisRecord = QStringLiteral("questa ricevuta");
    o.fieldLabel = [](int field) {
        static const char* const captions[ReceiptField::Count] = {
            "Ricevuta n.", "Data", "Euro", "Centesimi", "Importo in lettere", "Centesimi in lettere", "Totale €",
            "Ricevente (riga 1)", "Ricevente (riga 2)", "Ricevente (riga 3)", "Ricevente (riga 4)", "Riceviamo da",
            "C.F. / P. IVA", "Causale", "Periodo dal", "al", "Cognome e nome minore", "Luogo di nascita",
            "Data di nascita", "Modalità di pagamento"};
        return field >= 0 && field < ReceiptField::Count ? QString::fromUtf8(captions[field]) : QString();
    };
    o.archivePath = [this] { return ui.lblFile->text(); };
    o.recordName = [](const QByteArray& bytes, qint64 position) {
        const QString number = bytes.size() >= ReceiptRecord::Size
                                   ? TrimText(ReceiptRecord::Decode(bytes.constData()).NumRic)
                                   : QString();
        return number.isEmpty() ? QStringLiteral("la ricevuta in posizione %1").arg(position)
                                : QStringLiteral("la ricevuta n. ") + number;
    };
    o.show = [this](const QByteArray& bytes, qint64 position) {
        ShowRecord(ReceiptRecord::Decode(bytes.constData()), position);
    };
    m_editor = new RecordEditor(app, this, ui.lblPosizione, std::move(o));

    // Enter runs round the fields in this order; Tab follows the same order (set in the form).
    QLineEdit* const ring[] = {
        ui.txtRicevente01, ui.txtRicevente02, ui.txtRicevente03, ui.txtRicevente04, ui.txtNumRic, ui.txtData,
        ui.txtPagatore,    ui.txtCodFisc,     ui.txtSport,       ui.txtDal,         ui.txtAl,     ui.txtPraticante,
        ui.txtLuogoNasc,   ui.txtDataNasc,    ui.txtIndirizzo,   ui.txtImporto,     ui.txtCents};
    const int ringSize = int(std::size(ring));
    auto* digits = new DigitsFilter(this);
    ui.txtImporto->installEventFilter(digits);
    ui.txtCents->installEventFilter(digits);
    for (int i = 0; i < ringSize; ++i)
        m_keys->SetNext(ring[i], ring[(i + 1) % ringSize]);
    for (QLineEdit* date : {ui.txtData, ui.txtDal, ui.txtAl})
        m_keys->SetDateField(date);
    connect(m_keys, &FieldKeys::PickDate, this, &TfrmRicevuta::DateFieldKeyDown);

    // Key releases of the amount boxes, leaving the cents, clicks on the words.
    for (QObject* o : {static_cast<QObject*>(ui.txtImporto), static_cast<QObject*>(ui.txtCents),
                       static_cast<QObject*>(ui.txtImpLettere), static_cast<QObject*>(ui.bkgLettere)})
        o->installEventFilter(this);

    // Status line: a button's text while the mouse is on it; the background and panels empty it.
    new StatusHints(this, ui.panInfo);

    connect(ui.cmdNuovo, &QToolButton::clicked, this, &TfrmRicevuta::cmdNuovoClick);
    connect(ui.cmdDuplica, &QToolButton::clicked, this, &TfrmRicevuta::cmdDuplicaClick);
    connect(ui.cmdSalva, &QToolButton::clicked, this, &TfrmRicevuta::cmdSalvaClick);
    connect(ui.cmdTrova, &QToolButton::clicked, this, &TfrmRicevuta::cmdTrovaClick);
    connect(ui.cmdAnteprima, &QToolButton::clicked, this, &TfrmRicevuta::cmdAnteprimaClick);
    connect(ui.cmdStampa, &QToolButton::clicked, this, &TfrmRicevuta::cmdStampaClick);
    connect(ui.cmdPrimo, &QToolButton::clicked, this, &TfrmRicevuta::cmdPrimoClick);
    connect(ui.cmdIndietro, &QToolButton::clicked, this, &TfrmRicevuta::cmdIndietroClick);
    connect(ui.cmdAvanti, &QToolButton::clicked, this, &TfrmRicevuta::cmdAvantiClick);
    connect(ui.cmdUltimo, &QToolButton::clicked, this, &TfrmRicevuta::cmdUltimoClick);
    connect(ui.cmdEsporta, &QToolButton::clicked, this, &TfrmRicevuta::cmdEsportaClick);
    connect(ui.cmdNumerazione, &QToolButton::clicked, this, &TfrmRicevuta::cmdNumerazioneClick);
    connect(ui.cmdGuida, &QToolButton::clicked, this, &TfrmRicevuta::cmdGuidaClick);
    connect(ui.cmdEsci, &QToolButton::clicked, this, &TfrmRicevuta::cmdEsciClick);
    connect(ui.cmdAnnulla, &QToolButton::clicked, this, &TfrmRicevuta::cmdAnnullaClick);
    connect(ui.cmdStorico, &QToolButton::clicked, this, &TfrmRicevuta::cmdStoricoClick);
    connect(ui.cmdFattura, &QToolButton::clicked, this, &TfrmRicevuta::cmdFatturaClick);
    connect(ui.cmdLogo, &QToolButton::clicked, this, &TfrmRicevuta::cmdLogoClick);
    connect(ui.impPagatore, &QToolButton::clicked, this, &TfrmRicevuta::impPagatoreClick);
    connect(ui.btnCodFisc, &QToolButton::clicked, this, &TfrmRicevuta::btnCodFiscClick);
    connect(ui.txtCodFisc, &QLineEdit::textEdited, this, &TfrmRicevuta::txtCodFiscChange);

    ShowLogo();
}

// ---- Showing and closing -------------------------------------------------------------------

void TfrmRicevuta::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // Only a show asked for by the program re-initialises the receipt; restoring the window
    // from the task bar (a spontaneous show) must not wipe what is being typed.
    if (!e->spontaneous())
        FormShow();
}

void TfrmRicevuta::FormShow() {
    QLineEdit* const receiver[] = {ui.txtRicevente01, ui.txtRicevente02, ui.txtRicevente03, ui.txtRicevente04};
    // The kept receiver lines, or the school's data from "Dati fiscali" while none is kept.
    const QStringList lines = SchoolLines(m_app.SettingsPath());
    for (int i = 0; i < 4; ++i)
        receiver[i]->setText(lines.value(i));

    ui.txtNumRic->clear();
    ui.txtImpLettere->clear();
    ui.txtIntero->clear();
    ui.txtImporto->clear();
    ui.txtCentLettere->setText(QStringLiteral("00"));
    ui.txtCents->setText(QStringLiteral("00"));
    ui.txtData->setText(Today());
    for (QLineEdit* f : {ui.txtPagatore, ui.txtCodFisc, ui.txtSport, ui.txtDal, ui.txtAl, ui.txtPraticante,
                         ui.txtLuogoNasc, ui.txtDataNasc, ui.txtIndirizzo})
        f->clear();
    ui.lblPosizione->clear();
    m_editor->Forget();
    m_proposal = NumberProposal();
    ShowLogo();
    ui.txtPagatore->setFocus(Qt::OtherFocusReason);
}

void TfrmRicevuta::closeEvent(QCloseEvent* e) {
    SaveReceiverLines();
    e->accept();
    m_app.GoHome(this);
}

void TfrmRicevuta::cmdEsciClick() {
    close();
}

void TfrmRicevuta::SaveReceiverLines() {
    // What the boxes show becomes the default, also lines loaded from a browsed receipt; but blank boxes
    // (a receipt stored without them) never wipe the kept lines, and the school's data shown in place of
    // none stay where they are kept.
    const QString ini = m_app.SettingsPath();
    const QLineEdit* const receiver[] = {ui.txtRicevente01, ui.txtRicevente02, ui.txtRicevente03, ui.txtRicevente04};
    QStringList shown;
    for (const QLineEdit* box : receiver)
        shown << box->text();
    if (!KeepShownReceiverLines(ReadReceiverLines(ini), shown, LoadFiscalData(ini)))
        return;
    bool ok = true;
    for (int i = 0; i < 4; ++i)
        ok = IniWrite(ini, kSectionReceiver, ReceiverKey(i + 1), TrimText(receiver[i]->text())) && ok;
    if (!ok)
        m_app.messages().Warning(
            SettingsNotSaved(), this);
}

// ---- Record <-> screen ---------------------------------------------------------------------

void TfrmRicevuta::ShowRecord(const ReceiptRecord& r, qint64 position) {
    ui.txtNumRic->setText(r.NumRic);
    ui.txtData->setText(r.Data);
    ui.txtImporto->setText(r.Importo);
    ui.txtCents->setText(r.Cents);
    ui.txtImpLettere->setText(r.ImpLettere);
    ui.txtCentLettere->setText(r.CentLettere);
    ui.txtIntero->setText(r.Intero);
    ui.txtRicevente01->setText(r.Ricevente01);
    ui.txtRicevente02->setText(r.Ricevente02);
    ui.txtRicevente03->setText(r.Ricevente03);
    ui.txtRicevente04->setText(r.Ricevente04);
    ui.txtPagatore->setText(r.Pagatore);
    ui.txtCodFisc->setText(r.CodFisc);
    ui.txtSport->setText(r.Sport);
    ui.txtDal->setText(r.Dal);
    ui.txtAl->setText(r.Al);
    ui.txtPraticante->setText(r.Praticante);
    ui.txtLuogoNasc->setText(r.LuogoNasc);
    ui.txtDataNasc->setText(r.DataNasc);
    ui.txtIndirizzo->setText(r.Indirizzo);
    ui.lblPosizione->setText(QString::number(position));
    // What a save over this receipt expects to find in the file.
    m_editor->Remember(Encoded(r));
    m_proposal = NumberProposal();
}

ReceiptRecord TfrmRicevuta::RecordFromScreen() const {
    return RecordFrom(ui);
}

ReceiptRecord TfrmRicevuta::RecordFrom(const Ui::TfrmRicevuta& ui) {
    ReceiptRecord r;
    r.NumRic = ui.txtNumRic->text();
    r.Data = ui.txtData->text();
    r.Importo = ui.txtImporto->text();
    r.Cents = ui.txtCents->text();
    r.ImpLettere = ui.txtImpLettere->text();
    r.CentLettere = ui.txtCentLettere->text();
    r.Intero = ui.txtIntero->text();
    r.Ricevente01 = ui.txtRicevente01->text();
    r.Ricevente02 = ui.txtRicevente02->text();
    r.Ricevente03 = ui.txtRicevente03->text();
    r.Ricevente04 = ui.txtRicevente04->text();
    r.Pagatore = ui.txtPagatore->text();
    r.CodFisc = ui.txtCodFisc->text();
    r.Sport = ui.txtSport->text();
    r.Dal = ui.txtDal->text();
    r.Al = ui.txtAl->text();
    r.Praticante = ui.txtPraticante->text();
    r.LuogoNasc = ui.txtLuogoNasc->text();
    r.DataNasc = ui.txtDataNasc->text();
    r.Indirizzo = ui.txtIndirizzo->text();
    return r;
}

QString TfrmRicevuta::Today() const {
    return FormatDate(m_app.clock().Today());
}

// ---- Browsing ------------------------------------------------------------------------------

void TfrmRicevuta::cmdPrimoClick() {
    m_editor->BrowseTo(RecordEditor::Browse::First);
}
void TfrmRicevuta::cmdIndietroClick() {
    m_editor->BrowseTo(RecordEditor::Browse::Previous);
}
void TfrmRicevuta::cmdAvantiClick() {
    m_editor->BrowseTo(RecordEditor::Browse::Next);
}
void TfrmRicevuta::cmdUltimoClick() {
    m_editor->BrowseTo(RecordEditor::Browse::Last);
}

// ---- New, duplicate, save ------------------------------------------------------------------

void TfrmRicevuta::ResetAmount() {
    ui.txtImporto->clear();
    ui.txtCents->setText(QStringLiteral("00"));
    ui.txtCentLettere->setText(QStringLiteral("00"));
    ui.txtImpLettere->clear();
    ui.txtIntero->setText(QStringLiteral("0,00"));
}

void TfrmRicevuta::cmdNuovoClick() {
    // A settings file that exists but cannot be read, or a start that is not a whole number,
    // fails the action before the screen is touched.
    const StoredStart stored = ReadNumberingStart(m_app.SettingsPath());
    const std::optional<qint64> first = stored.start;
    if (stored.readable)
        ui.lblInizio->setText(stored.text);
    if (!first)
        return m_app.messages().Error(ArchiveAccessError(), this);

    ReceiptFile file;
    qint64 n = -1;
    if (!file.OpenOrCreate(ui.lblFile->text()) || (n = file.RecordCount()) < 0 || !file.Close())
        return m_app.messages().Error(ArchiveAccessError(), this);

    ui.txtData->setText(Today());
    ResetAmount();
    for (QLineEdit* f : {ui.txtPagatore, ui.txtCodFisc, ui.txtSport, ui.txtDal, ui.txtAl, ui.txtPraticante,
                         ui.txtLuogoNasc, ui.txtDataNasc, ui.txtIndirizzo})
        f->clear();
    ui.lblPosizione->clear();
    m_editor->Forget();
    ui.txtNumRic->setText(QString::number(*first + n));
    m_proposal = {ui.txtNumRic->text(), *first, n};
    ui.txtPagatore->setFocus(Qt::OtherFocusReason);
}

void TfrmRicevuta::cmdDuplicaClick() {
    if (TrimText(ui.lblPosizione->text()).isEmpty()) {
        m_app.messages().Warning(
            QStringLiteral("Attenzione: questa funzione serve a duplicare una ricevuta che è già stata salvata in "
                           "archivio.\n\r\n\rVisualizzare la ricevuta da duplicare e fare clic sul pulsante Duplica."),
            this);
        return;
    }
    ui.lblPosizione->clear();
    m_editor->Forget();
    m_proposal = NumberProposal();
    ReceiptFile file; // opened only to confirm that the archive can be reached
    if (!file.OpenOrCreate(ui.lblFile->text()) || !file.Close())
        return m_app.messages().Error(ArchiveAccessError(), this);
    ui.txtNumRic->clear();
    ui.txtData->setText(Today());
    ui.txtNumRic->setFocus(Qt::OtherFocusReason);
    m_app.messages().Information(
        QStringLiteral("E' ora possibile apportare le proprie modifiche alla ricevuta corrente.\n\r\n\rAl termine "
                       "premere Salva per registrare i dati in archivio."),
        this);
}

void TfrmRicevuta::cmdSalvaClick() {
    // The amount as saving stores it (the same rule as a receipt issued in a batch). The words stay as
    // shown: typing keeps them in step with the euro, and a stored receipt's own words are kept.
    const ReceiptAmount amount = AmountFromBoxes(ui.txtImporto->text(), ui.txtCents->text());
    ui.txtImporto->setText(amount.Importo);
    ui.txtCents->setText(amount.Cents);
    ui.txtCentLettere->setText(amount.CentLettere);
    ui.txtIntero->setText(amount.Intero);

    const QString data = TrimText(ui.txtData->text());
    const RecordEditor::Check checks[] = {
        {ui.txtNumRic, TrimText(ui.txtNumRic->text()).isEmpty(),
         "Attenzione: per salvare la scheda è necessario indicare il numero progressivo della ricevuta."},
        {ui.txtData, data.isEmpty(),
         "Attenzione: per salvare la scheda è necessario indicare la data di emissione della ricevuta."},
        {ui.txtData, !data.isEmpty() && !IsValidDate(data),
         "Attenzione: la data indicata non esiste.\n\r\n\rPer poter salvare la scheda è necessario indicare una data "
         "valida nel formato gg/mm/anno."},
        {ui.txtPagatore, TrimText(ui.txtPagatore->text()).isEmpty(),
         "Attenzione: per salvare la scheda è necessario indicare il nome del pagatore."},
        {ui.txtCodFisc, TrimText(ui.txtCodFisc->text()).isEmpty(),
         "Attenzione: per salvare la scheda è necessario indicare il codice fiscale del pagatore."},
        {ui.txtSport, TrimText(ui.txtSport->text()).isEmpty(),
         "Attenzione: per salvare la scheda è necessario indicare la causale di pagamento."},
        {ui.txtDal, TrimText(ui.txtDal->text()).isEmpty(),
         "Attenzione: per salvare la scheda è necessario indicare la data di inizio del periodo a cui il pagamento si "
         "riferisce."},
        {ui.txtAl, TrimText(ui.txtAl->text()).isEmpty(),
         "Attenzione: per salvare la scheda è necessario indicare la data di scadenza del periodo a cui il pagamento "
         "si riferisce."},
    };
    if (RecordEditor::FailsCheck(m_app, this, checks))
        return;

    const QString posText = TrimText(ui.lblPosizione->text());
    ReceiptRecord rec = RecordFromScreen();
    if (!posText.isEmpty()) {
        bool numeric = false;
        const qint64 p = posText.toLongLong(&numeric);
        if (!numeric || p < 1)
            return m_app.messages().Warning(ArchiveAccessError(), this);
        if (!m_editor->SaveOver(p, Encoded(rec)))
            return;
        ui.lblPosizione->setText(QString::number(p));
        m_app.messages().Information(
            QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio."), this);
        return;
    }

    // A new receipt: its number is checked against the year's under the archive's lock.
    ReceiptFile file;
    if (!file.OpenOrCreate(ui.lblFile->text()))
        return m_app.messages().Warning(ArchiveAccessError(), this);
    AppendOutcome out = AppendReceiptChecked(file, rec, m_proposal, false);
    if (out.result == AppendOutcome::NumberTaken) {
        if (!m_app.messages().Ask(NumberTakenQuestion(TrimText(rec.NumRic), out.clash), this)) {
            file.Close();
            ui.txtNumRic->setFocus(Qt::OtherFocusReason);
            return;
        }
        out = AppendReceiptChecked(file, rec, m_proposal, true);
    }
    if (out.result == AppendOutcome::Failed || !file.Close())
        return m_app.messages().Warning(ArchiveAccessError(), this);
    rec.NumRic = out.number;
    ui.txtNumRic->setText(out.number);
    ui.lblPosizione->setText(QString::number(out.position));
    m_editor->Remember(Encoded(rec));
    m_proposal = NumberProposal();
    if (out.result == AppendOutcome::Renumbered)
        m_app.messages().Information(RenumberedNotice(out.number), this);
    else
        m_app.messages().Information(QStringLiteral("La scheda corrente è stata inserita in archivio."), this);
}

// ---- Cancellation and history --------------------------------------------------------------

QString TfrmRicevuta::RenumberedNotice(const QString& number) {
    return QStringLiteral("La ricevuta è stata registrata con il numero %1: il numero proposto era stato usato da "
                          "un'altra postazione.")
        .arg(number);
}

QString TfrmRicevuta::NumberTakenQuestion(const QString& number, const ReceiptRecord& clash) {
    return QStringLiteral("Attenzione: il numero %1 è già stato dato alla ricevuta n. %2 del %3 intestata a "
                          "%4.\n\r\n\rSalvare comunque la ricevuta con lo stesso numero?")
        .arg(number, TrimText(clash.NumRic), TrimText(clash.Data), TrimText(clash.Pagatore));
}

QString TfrmRicevuta::CancelledNotice() {
    return QStringLiteral("La ricevuta è stata annullata: resta in archivio con il suo numero, l'importo a zero e la "
                          "causale ANNULLATA.");
}

QString TfrmRicevuta::AlreadyCancelledWarning() {
    return QStringLiteral("Attenzione: questa ricevuta è già stata annullata.");
}

QString TfrmRicevuta::CancelOnlyStoredWarning() {
    return QStringLiteral("Attenzione: è possibile annullare soltanto una ricevuta già salvata in archivio.\n\r\n\r"
                          "Visualizzare la ricevuta da annullare e fare clic sul pulsante Annulla ricevuta.");
}

void TfrmRicevuta::cmdAnnullaClick() {
    bool numeric = false;
    const qint64 p = TrimText(ui.lblPosizione->text()).toLongLong(&numeric);
    if (!numeric || p < 1)
        return m_app.messages().Warning(CancelOnlyStoredWarning(), this);
    // The receipt as stored: what is cancelled is the archive's receipt, not unsaved edits.
    RecordFile file(ReceiptRecord::Size);
    QByteArray stored;
    if (!file.OpenOrCreate(ui.lblFile->text()) || !file.ReadRaw(p - 1, stored) || !file.Close())
        return m_app.messages().Warning(ArchiveAccessError(), this);
    const ReceiptRecord current = ReceiptRecord::Decode(stored.constData());
    if (IsCancelled(current))
        return m_app.messages().Warning(AlreadyCancelledWarning(), this);
    // An invoiced receipt is cancelled only together with the credit note of its invoice.
    CancellationCredit credit(m_app, this, ui.lblFile->text(), p);
    if (!credit.Ask())
        return;
    TfrmAnnullaRicevuta dlg(m_app, this);
    dlg.SetReceipt(ReceiptIdentity(current));
    if (dlg.exec() != QDialog::Accepted || !credit.Write())
        return;
    // Encoded over the stored bytes: only the changed fields' bytes differ.
    QByteArray bytes = stored;
    const ReceiptRecord cancelled = CancelledReceipt(current, dlg.Reason());
    cancelled.Encode(bytes);
    if (!m_editor->SaveOver(p, bytes, QStringLiteral("annullamento")))
        return credit.Undo();
    ShowRecord(cancelled, p);
    const QString note = credit.Notice();
    m_app.messages().Information(note.isEmpty() ? CancelledNotice() : CancelledNotice() + QStringLiteral("\n\r\n\r") + note,
                                 this);
}

void TfrmRicevuta::cmdStoricoClick() {
    m_editor->ShowHistory();
}

QString TfrmRicevuta::InvoiceOnlyStoredWarning() {
    return QStringLiteral("Attenzione: la fattura elettronica può essere emessa soltanto per una ricevuta già salvata "
                          "in archivio.\n\r\n\rVisualizzare la ricevuta e fare clic sul pulsante Fattura elettronica.");
}

void TfrmRicevuta::cmdFatturaClick() {
    // The invoice is made from the receipt as stored, never from unsaved edits on screen.
    bool numeric = false;
    const qint64 p = TrimText(ui.lblPosizione->text()).toLongLong(&numeric);
    if (!numeric || p < 1)
        return m_app.messages().Warning(InvoiceOnlyStoredWarning(), this);
    EmettiFatturaRicevuta(m_app, this, ui.lblFile->text(), p);
}

// ---- Windows opened from the editor --------------------------------------------------------

void TfrmRicevuta::cmdTrovaClick() {
    // A receipt chosen there is loaded into this editor with its position.
    if (const auto position = RecordEditor::PickFromList<TfrmTrovaRic>(m_app, this, QStringLiteral("ricevuta")))
        LoadReceipt(*position);
}

void TfrmRicevuta::LoadReceipt(qint64 position) {
    ReceiptFile file;
    ReceiptRecord rec;
    if (!file.OpenOrCreate(TrimText(ui.lblFile->text())) || !file.ReadRecord(position - 1, rec))
        return; // without a message; the editor keeps what it showed
    file.Close();
    ShowRecord(rec, position);
}

void TfrmRicevuta::cmdAnteprimaClick() {
    // The preview takes the receipt from the screen: an unsaved receipt can be previewed too.
    RecordEditor::OpenModal<TfrmAnteprimaRic>(m_app, this);
}

void TfrmRicevuta::cmdStampaClick() {
    RecordEditor::OpenModal<TfrmStampaRic>(m_app, this);
}

void TfrmRicevuta::cmdEsportaClick() {
    RecordEditor::OpenModal<TfrmExpRic>(m_app, this);
}

void TfrmRicevuta::impPagatoreClick() {
    // A card chosen there fills the payer and child fields; lblPosizione stays.
    if (const auto position = RecordEditor::PickFromList<TfrmTrovaTiratori>(m_app, this, QStringLiteral("ricevuta")))
        ImportCardPayer(*position);
}

void TfrmRicevuta::ImportCardPayer(qint64 position) {
    RegistryFile file;
    RegistryRecord card;
    if (position < 1 || !file.OpenOrCreate(m_app.ProgramFolder()) || !file.ReadRecord(position - 1, card))
        return;
    file.Close();
    ReceiptRecord r = RecordFromScreen();
    CopyCardPayer(card, r);
    ui.txtPagatore->setText(r.Pagatore);
    ui.txtCodFisc->setText(r.CodFisc);
    ui.txtSport->setText(r.Sport);
    ui.txtPraticante->setText(r.Praticante);
    ui.txtLuogoNasc->setText(r.LuogoNasc);
    ui.txtDataNasc->setText(r.DataNasc);
    ui.txtIndirizzo->setText(r.Indirizzo);
}

void TfrmRicevuta::cmdNumerazioneClick() {
    TfrmNumerazione dlg(m_app, this);
    dlg.ui.lblMemory->setText(QStringLiteral("ricevute"));
    dlg.setWindowTitle(QStringLiteral(" Impostazione inizio numerazione ricevute"));
    dlg.exec();
}

void TfrmRicevuta::cmdLogoClick() {
    TfrmLogo dlg(m_app, this);
    dlg.exec();
    ShowLogo();
}

void TfrmRicevuta::ShowLogo() {
    // The same picture the receipt prints: Logo.bmp, or the built-in logo when it cannot be read.
    QImage logo;
    if (!logo.load(m_app.Path(QStringLiteral("Logo.bmp"))) || logo.isNull())
        logo = DefaultLogo();
    ui.cmdLogo->setIcon(QIcon(QPixmap::fromImage(logo)));
}

void TfrmRicevuta::cmdGuidaClick() {
    TfrmGuida dlg(m_app, this);
    dlg.SetGuide(QStringLiteral("App Stampa Ricevute"), Carvenna::ReceiptsGuide());
    dlg.exec();
}

void TfrmRicevuta::btnCodFiscClick() {
    RecordEditor::CheckTaxCode(m_app, this, TrimText(ui.txtCodFisc->text()));
}

void TfrmRicevuta::DateFieldKeyDown(QLineEdit* field) {
    const QString context = field == ui.txtData  ? QStringLiteral("data")
                            : field == ui.txtDal ? QStringLiteral("dal")
                                                 : QStringLiteral("Al");
    if (const std::optional<QDate> day = TfrmCalendario::PickDate(m_app, this, context))
        field->setText(FormatDate(*day));
}

// ---- Field behaviour -----------------------------------------------------------------------

void TfrmRicevuta::txtImportoKeyUp() {
    const QString text = TrimText(ui.txtImporto->text());
    // Text pasted into the box may not be a number: then there are no words to show.
    const std::optional<qint64> amount = text.isEmpty() ? std::nullopt : ParseAmountText(text);
    if (amount)
        ui.txtImpLettere->setText(ImportoInLettere(*amount));
    else
        ui.txtImpLettere->clear();
}

void TfrmRicevuta::txtCentsKeyUp() {
    if (TrimText(ui.txtCents->text()).isEmpty())
        ui.txtCentLettere->clear();
    else
        ui.txtCentLettere->setText(ui.txtCents->text());
}

void TfrmRicevuta::txtCentsExit() {
    // Leaving the box shows the cents as saving will store them: empty becomes "00", one digit gets its 0.
    const QString cents = ui.txtCents->text();
    if (!TrimText(cents).isEmpty() && cents.size() != 1)
        return;
    const ReceiptAmount amount = AmountFromBoxes(ui.txtImporto->text(), cents);
    ui.txtCents->setText(amount.Cents);
    ui.txtCentLettere->setText(amount.CentLettere);
}

void TfrmRicevuta::txtCodFiscChange(const QString& text) {
    const QString fixed = UpperAZ(TrimText(text));
    if (fixed != text)
        SetTextKeepingCursor(ui.txtCodFisc, text, fixed);
}

void TfrmRicevuta::txtImpLettereClick() {
    m_app.messages().Information(QStringLiteral("Digitare l'importo in cifre nella casella del Totale.\n\r\n\r"
                                                "L'importo in lettere apparirà in automatico."),
                                 this);
    ui.txtImporto->setFocus(Qt::OtherFocusReason);
}

bool TfrmRicevuta::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyRelease:
        if (watched == ui.txtImporto)
            txtImportoKeyUp();
        else if (watched == ui.txtCents)
            txtCentsKeyUp();
        break;
    case QEvent::FocusOut:
        if (watched == ui.txtCents)
            txtCentsExit();
        break;
    case QEvent::MouseButtonRelease:
        if ((watched == ui.txtImpLettere || watched == ui.bkgLettere) &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            txtImpLettereClick();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
