#include "registry/Tiratori.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "fees/EstrattoConto.h"
#include <QDate>
#include "app/FieldText.h"
#include "app/Guida.h"
#include "app/GuideSections.h"
#include "app/OpenURL.h"
#include "app/StatusHints.h"
#include "editing/RecordEditor.h"
#include "export/ExpTiratori.h"
#include "widgets/Calendario.h"
#include "widgets/DigitsFilter.h"
#include "widgets/FieldKeys.h"
#include "registry/CardFields.h"
#include "registry/CardPhoto.h"
#include "registry/ChildTaxCodes.h"
#include "fees/MonthFees.h"
#include "registry/FeeFormat.h"
#include "registry/ImportaSchede.h"
#include "payments/MandatoSdd.h"
#include "search/CertScaduti.h"
#include "search/TessereScadute.h"
#include "search/TrovaTiratori.h"
#include "storage/Dates.h"
#include "storage/RegistryFile.h"
#include "storage/Text.h"
#include "validators/PayerCode.h"
#include <QCloseEvent>
#include <QCryptographicHash>
#include <QFile>
#include <QFrame>
#include <QShowEvent>

namespace {
const QString kEmptyRegistry = QStringLiteral("L'archivio non contiene nessuna scheda.");

QByteArray Encoded(const RegistryRecord& rec) {
    QByteArray bytes;
    rec.Encode(bytes);
    return bytes;
}

// The card number in lblPosizione, 0 when it holds none.
qint64 CardNumber(const QLabel* position) {
    bool ok = false;
    const qint64 n = TrimText(position->text()).toLongLong(&ok);
    return ok && n > 0 ? n : 0;
}
} // namespace

// The photo could not be written although the card was: the user must know the file is missing or old.
QString PhotoNotSaved() {
    return QStringLiteral("Attenzione: la scheda è stata salvata in archivio, ma non è stato possibile salvare la "
                          "foto.\n\r\n\rAccertarsi di possedere i privilegi di scrittura nella cartella Anagrafica "
                          "del programma.");
}

TfrmTiratori::TfrmTiratori(Carvenna& app, QWidget* parent)
    : QWidget(parent), m_app(app), m_keys(new FieldKeys(this)) {
    ui.setupUi(this);
    setWindowState(Qt::WindowMaximized);
    SetFormatSettings();

    // Enter runs round the fields in record order; Tab follows the same order (set in the form).
    QLineEdit* const ring[] = {
        ui.txtTiratore, ui.txtSesso, ui.txtDataNasc, ui.txtCittadinanza, ui.txtLuogoNasc, ui.txtIndirizzo,
        ui.txtCitta,    ui.txtCap,   ui.txtNazione,  ui.txtCodFisc,      ui.txtGruppo,    ui.txtProfessione,
        ui.txtStudio,   ui.txtEnte,  ui.txtEmail,    ui.txtTel,          ui.txtCel,       ui.txtTessera,
        ui.txtQuota,    ui.txtInizioTes, ui.txtFineTes, ui.txtArmi,      ui.txtPorto,     ui.txtInizioPor,
        ui.txtCodFiscMinore, ui.txtFinePor, ui.txtNote};
    const int ringSize = int(std::size(ring));
    for (int i = 0; i < ringSize; ++i)
        m_keys->SetNext(ring[i], ring[(i + 1) % ringSize]);
    for (QLineEdit* date : {ui.txtStudio, ui.txtInizioTes, ui.txtFineTes})
        m_keys->SetDateField(date);
    connect(m_keys, &FieldKeys::PickDate, this, &TfrmTiratori::DateFieldKeyDown);
    RecordEditor::Options o;
    o.recordSize = RegistryRecord::Size;
    o.layout = &RegistryRecord::Layout();
    o.emptyNotice = kEmptyRegistry;
    o.openBeforeChecks = true;
    o.newStandsAtZero = true;
    o.thisRecord = QStringLiteral("questa scheda");
    o.fieldLabel = [](int field) { return CardFieldCaption(field); };
    o.archivePath = [this] { return m_app.Path(QLatin1String(RegistryFileName)); };
    o.recordName = [](const QByteArray&, qint64 position) { return QStringLiteral("la scheda n. %1").arg(position); };
    o.show = [this](const QByteArray& bytes, qint64 position) {
        ShowRecord(RegistryRecord::Decode(bytes.constData()));
        ui.lblPosizione->setText(QString::number(position));
        LoadCardPhoto();
        LoadChildTaxCode();
    };
    m_editor = new RecordEditor(app, this, ui.lblPosizione, std::move(o));

    ui.txtQuota->installEventFilter(new DigitsFilter(this, true));
    ui.txtQuota->installEventFilter(this); // leaving it formats the fee
    NormaliseWhileTyping(ui.txtSesso, true);
    NormaliseWhileTyping(ui.txtCodFisc, true);
    NormaliseWhileTyping(ui.txtCodFiscMinore, true);
    NormaliseWhileTyping(ui.txtEmail, false);
    ui.imgBianco->setPixmap(QPixmap::fromImage(Placeholder()));

    new StatusHints(this, ui.panInfo);
    ConnectPhotoCommands();

    connect(ui.cmdNuovo, &QToolButton::clicked, this, &TfrmTiratori::cmdNuovoClick);
    connect(ui.cmdDuplica, &QToolButton::clicked, this, &TfrmTiratori::cmdDuplicaClick);
    connect(ui.cmdSalva, &QToolButton::clicked, this, &TfrmTiratori::cmdSalvaClick);
    connect(ui.cmdPrimo, &QToolButton::clicked, this, &TfrmTiratori::cmdPrimoClick);
    connect(ui.cmdIndietro, &QToolButton::clicked, this, &TfrmTiratori::cmdIndietroClick);
    connect(ui.cmdAvanti, &QToolButton::clicked, this, &TfrmTiratori::cmdAvantiClick);
    connect(ui.cmdUltimo, &QToolButton::clicked, this, &TfrmTiratori::cmdUltimoClick);
    connect(ui.cmdGuida, &QToolButton::clicked, this, &TfrmTiratori::cmdGuidaClick);
    connect(ui.cmdEsci, &QToolButton::clicked, this, &TfrmTiratori::cmdEsciClick);
    connect(ui.cmdStorico, &QToolButton::clicked, this, &TfrmTiratori::cmdStoricoClick);
    connect(ui.cmdImporta, &QToolButton::clicked, this, &TfrmTiratori::cmdImportaClick);
    // The family account of the displayed card, up to the current month.
    auto* cmdEstrattoConto = new QToolButton(this);
    cmdEstrattoConto->setObjectName(QStringLiteral("cmdEstrattoConto"));
    cmdEstrattoConto->setText(QStringLiteral("Estratto conto"));
    cmdEstrattoConto->setStatusTip(QStringLiteral("Visualizza l'estratto conto delle rette della famiglia della scheda "
                                                  "corrente."));
    cmdEstrattoConto->setFocusPolicy(Qt::NoFocus);
    cmdEstrattoConto->setGeometry(ui.shpComandi6->x(), ui.shpComandi6->y() + ui.shpComandi6->height() + 4,
                                  ui.shpComandi6->width(), 26);
    connect(cmdEstrattoConto, &QToolButton::clicked, this, [this, &app] {
        const qint64 card = CardNumber(ui.lblPosizione);
        if (card == 0) {
            app.messages().Warning(QStringLiteral("Estratto conto non disponibile: salvare prima la scheda."), this);
            return;
        }
        const QDate today = app.clock().Today();
        ShowFamilyAccount(app, this, card, fees::FeeMonth{today.year(), today.month()});
    });
    connect(ui.btnCodFisc, &QToolButton::clicked, this, &TfrmTiratori::btnCodFiscClick);
    connect(ui.btnCodFiscMinore, &QToolButton::clicked, this, &TfrmTiratori::btnCodFiscMinoreClick);
    // The payer's direct-debit mandate, after the specified commands: a panel of its own under the photo's.
    auto* shpComandi7 = new QFrame(ui.panCentro);
    shpComandi7->setObjectName(QStringLiteral("shpComandi7"));
    shpComandi7->setGeometry(6, 540, 317, 48);
    shpComandi7->setStyleSheet(ui.bkgPulsantiFoto->styleSheet().replace(QLatin1String("bkgPulsantiFoto"),
                                                                       QLatin1String("shpComandi7")));
    cmdMandato = new QToolButton(shpComandi7);
    cmdMandato->setObjectName(QStringLiteral("cmdMandato"));
    cmdMandato->setGeometry(6, 6, 140, 36);
    cmdMandato->setIcon(ui.cmdImporta->icon());
    cmdMandato->setIconSize(QSize(20, 20));
    cmdMandato->setFocusPolicy(Qt::NoFocus);
    cmdMandato->setAutoRaise(true);
    cmdMandato->setCursor(Qt::PointingHandCursor);
    cmdMandato->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cmdMandato->setText(QStringLiteral("Mandato SDD"));
    cmdMandato->setStatusTip(QStringLiteral("Mandato di addebito diretto SDD del pagatore della scheda."));
    connect(cmdMandato, &QToolButton::clicked, this, &TfrmTiratori::cmdMandatoClick);
    connect(ui.btnEmail, &QToolButton::clicked, this, &TfrmTiratori::btnEmailClick);
    connect(ui.cmdTrova, &QToolButton::clicked, this, &TfrmTiratori::cmdTrovaClick);
    connect(ui.cmdScadCert, &QToolButton::clicked, this, &TfrmTiratori::cmdScadCertClick);
    connect(ui.cmdScadute, &QToolButton::clicked, this, &TfrmTiratori::cmdScaduteClick);
    connect(ui.cmdEsporta, &QToolButton::clicked, this, &TfrmTiratori::cmdEsportaClick);

    ClearCard();
}

// ---- Showing and closing -------------------------------------------------------------------

void TfrmTiratori::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // A show asked for by the program opens on a new card; restoring from the task bar keeps the card.
    if (!e->spontaneous())
        FormShow();
}

void TfrmTiratori::FormShow() {
    ClearCard();
}

void TfrmTiratori::closeEvent(QCloseEvent* e) {
    e->accept();
    m_app.GoHome(this);
}

void TfrmTiratori::cmdEsciClick() {
    close();
}

// ---- Card <-> screen -----------------------------------------------------------------------

namespace {
// The 26 edit fields in record order (fields 1 to 26 of the card).
template <class Ui> std::array<QLineEdit*, 26> EditFields(Ui& ui) {
    return {ui.txtTiratore, ui.txtSesso,    ui.txtDataNasc, ui.txtCittadinanza, ui.txtLuogoNasc, ui.txtIndirizzo,
            ui.txtCitta,    ui.txtCap,      ui.txtNazione,  ui.txtCodFisc,      ui.txtGruppo,    ui.txtProfessione,
            ui.txtStudio,   ui.txtEnte,     ui.txtEmail,    ui.txtTel,          ui.txtCel,       ui.txtTessera,
            ui.txtQuota,    ui.txtInizioTes, ui.txtFineTes, ui.txtArmi,         ui.txtPorto,     ui.txtInizioPor,
            ui.txtFinePor,  ui.txtNote};
}
template <class Ui> std::array<QLabel*, 6> HiddenLabels(Ui& ui) {
    return {ui.lblFile01, ui.lblFile02, ui.lblFile03, ui.lblDesc01, ui.lblDesc02, ui.lblDesc03};
}
} // namespace

void TfrmTiratori::ShowRecord(const RegistryRecord& rec) {
    const QVector<const QString*> values = rec.Fields();
    const auto fields = EditFields(ui);
    for (int i = 0; i < int(fields.size()); ++i)
        fields[i]->setText(TrimText(*values[i]));
    const auto labels = HiddenLabels(ui);
    for (int i = 0; i < int(labels.size()); ++i)
        labels[i]->setText(TrimText(*values[RegistryField::File01 + i]));
    // What a save over this card expects to find in the file.
    m_editor->Remember(Encoded(rec));
}

RegistryRecord TfrmTiratori::RecordFromScreen() const {
    RegistryRecord rec;
    const QVector<QString*> values = rec.Fields();
    const auto fields = EditFields(ui);
    for (int i = 0; i < int(fields.size()); ++i)
        *values[i] = fields[i]->text();
    const auto labels = HiddenLabels(ui);
    for (int i = 0; i < int(labels.size()); ++i)
        *values[RegistryField::File01 + i] = labels[i]->text();
    return rec;
}

void TfrmTiratori::ClearCard() {
    for (QLineEdit* f : EditFields(ui))
        f->clear();
    ui.txtQuota->setText(QStringLiteral("0,00"));
    for (QLabel* l : HiddenLabels(ui))
        l->clear();
    ui.txtCodFiscMinore->clear();
    m_childCode = ChildTaxCode();
    m_photo = QImage();
    m_photoChanged = false;
    ShowPhoto(Placeholder());
    ui.lblPosizione->clear();
    m_editor->Forget();
    m_photoStamp.clear();
    ui.txtTiratore->setFocus(Qt::OtherFocusReason);
}

// ---- Photo ---------------------------------------------------------------------------------

QImage TfrmTiratori::Placeholder() {
    static const QImage placeholder(QStringLiteral(":/registry/art/foto_vuota.svg"));
    return placeholder;
}

void TfrmTiratori::ShowPhoto(const QImage& photo) {
    const QSize box = ui.imgFoto->size();
    QImage shown = photo;
    if (!shown.isNull() && (shown.width() > box.width() || shown.height() > box.height()))
        shown = shown.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    ui.imgFoto->setPixmap(QPixmap::fromImage(shown));
}

QImage TfrmTiratori::Photo() const {
    return m_photo.isNull() ? Placeholder() : m_photo;
}

void TfrmTiratori::SetPhoto(const QImage& photo) {
    m_photo = photo;
    m_photoChanged = true;
    ShowPhoto(Photo());
}

void TfrmTiratori::RemovePhoto() {
    m_photo = QImage();
    m_photoChanged = true;
    ShowPhoto(Placeholder());
}

void TfrmTiratori::LoadCardPhoto() {
    // A missing file, or one that is not a picture, shows the placeholder; nothing is reported.
    const qint64 n = CardNumber(ui.lblPosizione);
    m_photo = n > 0 ? ReadCardPhoto(m_app.ProgramFolder(), n) : QImage();
    m_photoChanged = false;
    m_photoStamp = PhotoStamp(n);
    ShowPhoto(Photo());
}

QByteArray TfrmTiratori::PhotoStamp(qint64 cardNumber) const {
    QFile f(CardPhotoPath(m_app.ProgramFolder(), cardNumber));
    if (cardNumber <= 0 || !f.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("-");
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

bool TfrmTiratori::SaveCardPhoto() {
    const qint64 n = CardNumber(ui.lblPosizione);
    if (n <= 0 || !WriteCardPhoto(m_app.ProgramFolder(), n, Photo()))
        return false;
    m_photoChanged = false;
    m_photoStamp = PhotoStamp(n);
    return true;
}

// ---- Browsing ------------------------------------------------------------------------------

void TfrmTiratori::cmdPrimoClick() {
    m_editor->BrowseTo(RecordEditor::Browse::First);
}
void TfrmTiratori::cmdIndietroClick() {
    m_editor->BrowseTo(RecordEditor::Browse::Previous);
}
void TfrmTiratori::cmdAvantiClick() {
    m_editor->BrowseTo(RecordEditor::Browse::Next);
}
void TfrmTiratori::cmdUltimoClick() {
    m_editor->BrowseTo(RecordEditor::Browse::Last);
}

void TfrmTiratori::cmdStoricoClick() {
    m_editor->ShowHistory();
}

void TfrmTiratori::cmdImportaClick() {
    // Cards are only appended: the card on screen and its position stay as they are.
    TfrmImportaSchede dlg(m_app, this);
    dlg.exec();
}

// ---- New, duplicate, save ------------------------------------------------------------------

void TfrmTiratori::cmdNuovoClick() {
    ClearCard();
}

void TfrmTiratori::cmdDuplicaClick() {
    if (TrimText(ui.lblPosizione->text()).isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: la duplicazione di una scheda può avvenire soltanto "
                                                "dopo che questa è stata inserita in archivio."),
                                 this);
        return;
    }
    for (QLabel* l : HiddenLabels(ui))
        l->clear();
    // The new card is usually a brother or sister: the child's tax code is never the same.
    ui.txtCodFiscMinore->clear();
    m_childCode = ChildTaxCode();
    ui.lblPosizione->clear();
    m_editor->Forget();
    m_photoStamp.clear();
    m_photo = QImage();
    m_photoChanged = false;
    ShowPhoto(Placeholder());
    ui.txtTiratore->setFocus(Qt::OtherFocusReason);
    m_app.messages().Information(QStringLiteral("E' ora possibile apportare le proprie modifiche alla scheda "
                                                "corrente.\n\r\n\rAl termine premere Salva per inserire la scheda "
                                                "in archivio."),
                                 this);
}

void TfrmTiratori::cmdSalvaClick() {
    // Leave the field being edited first, so that its leave rules (the fee format) have run.
    ui.btnFocus->setFocus(Qt::OtherFocusReason);
    txtQuotaExit(); // also when the window is not active and no focus event is delivered

    const auto fields = EditFields(ui);
    for (const RequiredCardField& req : RequiredCardFields()) {
        QLineEdit* field = fields[size_t(req.field)];
        if (TrimText(field->text()).isEmpty()) {
            m_app.messages().Warning(req.warning, this);
            field->setFocus(Qt::OtherFocusReason);
            return;
        }
    }

    // The child's tax code: a code the rule refuses is not stored; one that is right but does not match
    // the child's birth date is stored, and the office is told after the save.
    const QString childCode = NormaliseChildTaxCode(ui.txtCodFiscMinore->text());
    ui.txtCodFiscMinore->setText(childCode);
    const ChildCodeCheck childCheck = CheckChildTaxCode(childCode, ui.txtInizioPor->text());
    if (childCheck.state == ChildCodeCheck::Wrong) {
        m_app.messages().Warning(QStringLiteral("Attenzione: %1.\n\r\n\rCorreggerlo, o lasciare il campo vuoto per "
                                                "salvare la scheda senza.")
                                     .arg(childCheck.problem),
                                 this);
        ui.txtCodFiscMinore->setFocus(Qt::OtherFocusReason);
        return;
    }

    const QString shown = TrimText(ui.lblPosizione->text());
    const RegistryRecord rec = RecordFromScreen();
    bool photoSaved = true;
    if (!shown.isEmpty()) {
        const qint64 n = CardNumber(ui.lblPosizione);
        if (n < 1)
            return m_app.messages().Error(ArchiveAccessError(), this);
        // Another workstation's change of the card or of its photo since it was loaded is asked about.
        if (!m_editor->SaveOver(n, Encoded(rec), QStringLiteral("modifica"),
                                [this, n] { return PhotoStamp(n) == m_photoStamp; }))
            return;
        // An unchanged photo is not encoded again (each JPEG pass loses quality), and a photo file
        // that exists but cannot be shown is never replaced by the placeholder.
        if (m_photoChanged || !CardPhotoExists(m_app.ProgramFolder(), n))
            photoSaved = SaveCardPhoto();
        m_photoStamp = PhotoStamp(n); // what the next save over this card expects to find
        if (!SaveChildTaxCode(n, rec.Armi, childCode))
            return;
        m_app.messages().Information(
            QStringLiteral("Le modifiche apportate alla scheda corrente sono state salvate in archivio."), this);
    } else {
        // The number is the position the locked append wrote at, so two workstations adding cards
        // at the same moment each name their photo after their own card.
        RegistryFile file;
        qint64 n = 0;
        if (!file.OpenOrCreate(m_app.ProgramFolder()) || !file.AppendRecord(rec, &n) || !file.Close())
            return m_app.messages().Error(ArchiveAccessError(), this);
        ui.lblPosizione->setText(QString::number(n));
        m_editor->Remember(Encoded(rec));
        photoSaved = SaveCardPhoto();
        if (!SaveChildTaxCode(n, rec.Armi, childCode))
            return;
        m_app.messages().Information(QStringLiteral("La scheda corrente è stata inserita in archivio."), this);
    }
    if (!photoSaved)
        m_app.messages().Warning(PhotoNotSaved(), this);
    if (!childCheck.warning.isEmpty())
        m_app.messages().Warning(QStringLiteral("Attenzione: %1. Controllare la data di nascita o il codice fiscale "
                                                "del minore.")
                                     .arg(childCheck.warning),
                                 this);
}

// ---- The child's tax code ------------------------------------------------------------------

void TfrmTiratori::LoadChildTaxCode() {
    const qint64 n = CardNumber(ui.lblPosizione);
    ChildTaxCodes codes;
    m_childCode = ChildTaxCode();
    // A file that cannot be read shows no code; the save then tells the office it cannot keep one.
    if (n > 0 && codes.Load(ChildTaxCodesPath(m_app.ProgramFolder())))
        m_childCode = ChildTaxCode{n, TrimText(ui.txtArmi->text()), codes.Of(n, ui.txtArmi->text())};
    ui.txtCodFiscMinore->setText(m_childCode.code);
}

bool TfrmTiratori::SaveChildTaxCode(qint64 card, const QString& child, const QString& code) {
    const ChildTaxCode wanted{card, TrimText(child), code};
    // Nothing to write when the code and the child it belongs to are as stored (or there is no code at all).
    if (m_childCode.card == card && m_childCode.code == code && fees::ChildKey(m_childCode.child) == fees::ChildKey(child))
        return true;
    if (m_childCode.card != card && code.isEmpty())
        return true;
    QString error;
    if (!SaveChildTaxCodes(ChildTaxCodesPath(m_app.ProgramFolder()), {wanted}, &error)) {
        m_app.messages().Warning(QStringLiteral("Attenzione: la scheda è stata salvata in archivio, ma non è stato "
                                                "possibile salvare il codice fiscale del minore.\n\r\n\r%1")
                                     .arg(error),
                                 this);
        return false;
    }
    m_childCode = wanted;
    return true;
}

// ---- Other commands ------------------------------------------------------------------------

void TfrmTiratori::cmdMandatoClick() {
    const PayerCode code = ReadPayerCode(ui.txtCodFisc->text());
    if (code.kind == PayerCodeKind::None) {
        m_app.messages().Warning(QStringLiteral("Attenzione: il mandato SDD si registra per il codice fiscale del "
                                                "pagatore; indicarlo nella scheda."),
                                 this);
        ui.txtCodFisc->setFocus();
        return;
    }
    // A wrong code is the card's to mend; the mandate is kept under it only when the office says so.
    if (!code.valid &&
        !m_app.messages().Ask(QStringLiteral("Attenzione: %1\n\r\n\rRegistrare comunque il mandato SDD per questo "
                                             "codice?")
                                  .arg(CheckPayerCode(code.code)),
                              this)) {
        ui.txtCodFisc->setFocus();
        return;
    }
    TfrmMandatoSdd dlg(m_app, code.code, ui.txtTiratore->text(), this);
    dlg.exec();
}

void TfrmTiratori::btnCodFiscClick() {
    RecordEditor::CheckTaxCode(m_app, this, TrimText(ui.txtCodFisc->text()));
}

void TfrmTiratori::btnCodFiscMinoreClick() {
    RecordEditor::CheckTaxCode(m_app, this, NormaliseChildTaxCode(ui.txtCodFiscMinore->text()));
}

void TfrmTiratori::btnEmailClick() {
    TMisc::Open(m_app, u'"' + QStringLiteral("mailto:") + TrimText(ui.txtEmail->text()) + u'"');
}

void TfrmTiratori::cmdGuidaClick() {
    TfrmGuida dlg(m_app, this);
    dlg.SetGuide(QStringLiteral("App Archivio Anagrafico"), Guide());
    dlg.exec();
}

void TfrmTiratori::DateFieldKeyDown(QLineEdit* field) {
    const QString context = field == ui.txtStudio      ? QStringLiteral("tiratori_studio")
                            : field == ui.txtInizioTes ? QStringLiteral("tiratori_iniziotes")
                                                       : QStringLiteral("tiratori_finetes");
    if (const std::optional<QDate> day = TfrmCalendario::PickDate(m_app, this, context))
        field->setText(FormatDate(*day));
}

void TfrmTiratori::txtQuotaExit() {
    const QString fee = FormatFee(ui.txtQuota->text());
    if (ui.txtQuota->text() != fee)
        ui.txtQuota->setText(fee);
}

bool TfrmTiratori::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.txtQuota && event->type() == QEvent::FocusOut)
        txtQuotaExit();
    return QWidget::eventFilter(watched, event);
}

// ---- Search, expiry lists, export ---------------------------------------------------------

bool TfrmTiratori::ShowCard(qint64 position) {
    RegistryFile file;
    RegistryRecord card;
    if (position < 1 || !file.OpenOrCreate(m_app.ProgramFolder()) || !file.ReadRecord(position - 1, card))
        return false;
    file.Close();
    ShowRecord(card);
    ui.lblPosizione->setText(QString::number(position));
    LoadCardPhoto();
    LoadChildTaxCode();
    return true;
}

// A card chosen in the search or in an expiry list is loaded into this editor with its number and photo.
void TfrmTiratori::cmdTrovaClick() {
    if (const auto position = RecordEditor::PickFromList<TfrmTrovaTiratori>(m_app, this, QStringLiteral("tiratori")))
        ShowCard(*position);
}

void TfrmTiratori::cmdScadCertClick() {
    if (const auto position = RecordEditor::PickFromList<TfrmCertScaduti>(m_app, this))
        ShowCard(*position);
}

void TfrmTiratori::cmdScaduteClick() {
    if (const auto position = RecordEditor::PickFromList<TfrmTessereScadute>(m_app, this))
        ShowCard(*position);
}

void TfrmTiratori::cmdEsportaClick() {
    // The export reads the registry file: unsaved edits on screen are not in it.
    RecordEditor::OpenModal<TfrmExpTiratori>(m_app, this);
}

// ---- Guide ---------------------------------------------------------------------------------

QString TfrmTiratori::Guide() {
    const QStringList paragraphs = {
        QStringLiteral("L'app Archivio Anagrafico è lo schedario dei bambini iscritti e dei genitori che pagano le "
                       "rette: i dati di ogni genitore e del suo bambino vengono importati nelle ricevute mentre "
                       "queste vengono compilate, senza doverli digitare di nuovo."),
        QStringLiteral("Per ogni genitore si possono archiviare: cognome e nome, sesso, data di nascita, "
                       "cittadinanza, luogo di nascita, indirizzo di residenza, città, CAP, nazione, codice "
                       "fiscale, persona delegata al ritiro del bambino e suo recapito, scadenza del certificato "
                       "medico, causale di pagamento, e-mail, telefono di casa, cellulare, numero di iscrizione, "
                       "quota di iscrizione, data di iscrizione e di scadenza, cognome e nome del minore, suo luogo "
                       "e data di nascita, modalità di pagamento e note."),
        QStringLiteral("Ogni scheda può avere la foto del genitore o del bambino, in formato JPEG o Bitmap: la foto "
                       "viene ridotta per entrare nella cornice di anteprima e con l'icona della lente di "
                       "ingrandimento la si vede a tutto schermo."),
        QStringLiteral("L'archivio resta come memoria storica di tutti gli alunni e dei loro genitori, offre "
                       "funzioni avanzate come l'invio di una e-mail al genitore e il controllo di validità del "
                       "codice fiscale, e serve soprattutto a velocizzare la compilazione delle ricevute."),
        QStringLiteral("Per archiviare una nuova scheda premere Nuovo, compilare i campi, caricare la foto e "
                       "premere Salva: alcuni campi, necessari alle ricevute, sono obbligatori. Per modificare una "
                       "scheda già archiviata, trovarla con le frecce o con la ricerca, apportare le modifiche e "
                       "premere Salva."),
        QStringLiteral("Il pulsante Duplica serve per le schede con dati molto simili, per esempio i figli dello "
                       "stesso genitore: la scheda mostrata diventa una nuova scheda da modificare e salvare."),
        QStringLiteral("La foto si può scattare con una webcam: premere Accendi webcam, poi Cattura foto, importarla "
                       "nella scheda e infine premere Salva."),
        QStringLiteral("La foto si può vedere a tutto schermo, salvare su disco per ritoccarla e ricaricare con "
                       "Carica; con Carica si può anche caricare una foto JPEG scattata con una macchina "
                       "fotografica digitale."),
        QStringLiteral("La ricerca trova le schede con uno o più filtri contemporaneamente: per esempio tutti i "
                       "genitori di una cittadinanza, o quelli che hanno certe parole nelle note."),
        QStringLiteral("Il pulsante con l'orologio elenca gli alunni la cui iscrizione è scaduta e va rinnovata; "
                       "il pulsante con la croce rossa elenca quelli con il certificato medico scaduto."),
        QStringLiteral("A ogni scheda si possono allegare fino a tre file di qualsiasi tipo, ciascuno con una "
                       "descrizione, e aprirli in qualsiasi momento con Apri."),
        QStringLiteral("Ogni scheda si può vedere in anteprima e stampare, e l'intero archivio si può esportare in "
                       "un file di foglio di calcolo."),
    };
    return paragraphs.join(QStringLiteral("\r\n\r\n")) + QStringLiteral("\r\n\r\n") +
           GuideSectionsText(RegistryAreaTopics());
}
