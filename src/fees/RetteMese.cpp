#include "fees/RetteMese.h"
#include "widgets/NamedControls.h"
#include "einvoice/EmettiFattura.h"
#include "fees/EstrattoConto.h"
#include "fees/Solleciti.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/CommonMessages.h"
#include "export/ExportDocument.h"
#include "export/ExportWindow.h"
#include "fees/FeeLedger.h"
#include "fees/RetteModel.h"
#include "app/Printing.h"
#include "payments/AddebitiSdd.h"
#include "payments/MovimentiBancari.h"
#include "printing/ReceiptBatchPrint.h"
#include "printing/ReceiptPrint.h"
#include "widgets/Calendario.h"
#include "receipts/ReceiptAmount.h"
#include "receipts/ReceiptSettings.h"
#include "receipts/BatchDate.h"
#include "receipts/SchoolLines.h"
#include "report/ReportPainter.h"
#include "search/ListReport.h"
#include "storage/Dates.h"
#include "storage/IniFile.h"
#include "storage/PrintJournal.h"
#include "storage/RecordFile.h"
#include "storage/Text.h"
#include "summary/FindKeys.h"
#include "summary/Takings.h"
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

using namespace fees;

namespace {

QString NoneToIssue() {
    return QStringLiteral("Nessuna ricevuta da emettere: spuntare nell'elenco le righe da emettere.");
}

} // namespace

TfrmRetteMese::TfrmRetteMese(Carvenna& app, const QString& year, QWidget* parent)
    : QDialog(parent), m_app(app), m_year(TrimText(year).toInt()) {
    setObjectName(QStringLiteral("TfrmRetteMese"));
    setWindowTitle(QStringLiteral(" Carvenna - Rette del mese"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(QFont(QStringLiteral("Verdana"), 10));
    SetFormatSettings();

    titRette = NamedLabel(QStringLiteral("Rette del mese - anno %1").arg(TrimText(year)), this, "titRette");
    titRette->setFont(QFont(QStringLiteral("Verdana"), 18, QFont::Bold));
    txtMese = new QComboBox(this);
    txtMese->setObjectName(QStringLiteral("txtMese"));
    txtMese->addItems(ItalianMonthNames());
    txtMese->setMinimumWidth(150);
    txtData = new QLineEdit(this);
    txtData->setObjectName(QStringLiteral("txtData"));
    txtData->setReadOnly(true);
    txtData->setMaxLength(10);
    txtData->setFixedWidth(120);
    btnData = CommandButton(QStringLiteral("Calendario"), this, "btnData");
    btnData->setToolTip(QStringLiteral("Scegli la data di emissione"));
    txtCausale = new QLineEdit(this);
    txtCausale->setObjectName(QStringLiteral("txtCausale"));
    txtCausale->setMaxLength(120);

    txtCausaliRette = new QLineEdit(this);
    txtCausaliRette->setObjectName(QStringLiteral("txtCausaliRette"));
    txtCausaliRette->setMaxLength(200);
    txtCausaliRette->setToolTip(QStringLiteral("Una ricevuta paga le rette quando la sua causale è quella della scheda "
                                               "oppure comincia con una di queste parole, separate da virgole."));

    grdRette = new QTableView(this);
    grdRette->setObjectName(QStringLiteral("grdRette"));
    m_model = new RetteModel(this);
    grdRette->setModel(m_model);
    grdRette->verticalHeader()->hide();
    grdRette->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdRette->setSelectionMode(QAbstractItemView::SingleSelection);
    grdRette->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    grdRette->setAlternatingRowColors(true);
    grdRette->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdRette->verticalHeader()->setDefaultSectionSize(QFontMetrics(grdRette->font()).height() + 10);
    grdRette->horizontalHeader()->setStretchLastSection(true);
    grdRette->installEventFilter(this);

    txtTrova = new QLineEdit(this);
    txtTrova->setObjectName(QStringLiteral("txtTrova"));
    txtTrova->setMinimumWidth(220);
    btnTrova = CommandButton(QStringLiteral("Trova"), this, "btnTrova");
    lblConteggio = NamedLabel(QString(), this, "lblConteggio");
    lblConteggio->setFont(QFont(QStringLiteral("Verdana"), 10, QFont::Bold));
    lblConteggio->setWordWrap(true);
    btnEmetti = CommandButton(QStringLiteral("Emetti ricevute"), this, "btnEmetti");
    btnStampa = CommandButton(QStringLiteral("Stampa ricevute"), this, "btnStampa");
    btnNonPagate = CommandButton(QStringLiteral("Non pagate"), this, "btnNonPagate");
    btnEsporta = CommandButton(QStringLiteral("Esporta in Excel"), this, "btnEsporta");
    btnFatture = CommandButton(QStringLiteral("Fatture elettroniche"), this, "btnFatture");
    btnAddebitiSdd = CommandButton(QStringLiteral("Addebiti SDD"), this, "btnAddebitiSdd");
    btnMovimenti = CommandButton(QStringLiteral("Movimenti bancari"), this, "btnMovimenti");
    btnChiudi = CommandButton(QStringLiteral("Chiudi"), this, "btnChiudi");
    lblFile = NamedLabel(m_app.ProgramFolder() + TrimText(year) + QStringLiteral(".ric"), this, "lblFile");
    lblFile->hide();
    lblMemory = NamedLabel(QStringLiteral("ricevute"), this, "lblMemory");
    lblMemory->hide();

    auto* criteria = new QHBoxLayout;
    criteria->addWidget(NamedLabel(QStringLiteral("Mese:"), this, "lblMese"));
    criteria->addWidget(txtMese);
    criteria->addSpacing(20);
    criteria->addWidget(NamedLabel(QStringLiteral("Data emissione:"), this, "lblData"));
    criteria->addWidget(txtData);
    criteria->addWidget(btnData);
    criteria->addSpacing(20);
    criteria->addWidget(NamedLabel(QStringLiteral("Causale:"), this, "lblCausale"));
    criteria->addWidget(txtCausale, 1);
    auto* words = new QHBoxLayout;
    words->addWidget(NamedLabel(QStringLiteral("Causali delle rette:"), this, "lblCausaliRette"));
    words->addWidget(txtCausaliRette, 1);
    auto* find = new QHBoxLayout;
    find->addWidget(NamedLabel(QStringLiteral("Trova:"), this, "lblTrova"));
    find->addWidget(txtTrova, 1);
    find->addWidget(btnTrova);
    find->addSpacing(20);
    find->addWidget(lblConteggio, 2);
    // Two rows, so the window fits a 1366-pixel screen: issuing the month, then collecting what is owed.
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {btnEmetti, btnStampa, btnNonPagate, btnEsporta, btnFatture})
        commands->addWidget(b);
    auto* collecting = new QHBoxLayout;
    // The family account of the selected line; the reminders of the ticked lines not fully paid, and of
    // the blocked ones, which the reminders' window names with their reason.
    QPushButton* btnEstrattoConto = CommandButton(QStringLiteral("Estratto conto"), this, "btnEstrattoConto");
    QPushButton* btnSolleciti = CommandButton(QStringLiteral("Solleciti"), this, "btnSolleciti");
    for (QPushButton* b : {btnEstrattoConto, btnSolleciti, btnAddebitiSdd, btnMovimenti})
        collecting->addWidget(b);
    connect(btnEstrattoConto, &QPushButton::clicked, this, [this] {
        const int row = CurrentRow();
        if (row < 0 || row >= m_model->Lines().size())
            m_app.messages().Warning(QStringLiteral("Selezionare nell'elenco la riga di cui vedere l'estratto conto."), this);
        else
            ShowFamilyAccount(m_app, this, m_model->Lines()[row].card, Month());
    });
    connect(btnSolleciti, &QPushButton::clicked, this, [this] {
        QVector<qint64> cards;
        for (const FeeLine& l : m_model->Lines())
            if (l.state == LineState::Blocked || (l.ticked && l.state != LineState::Paid))
                cards << l.card;
        ShowReminders(m_app, this, cards, Month());
    });
    commands->addStretch(1);
    commands->addWidget(NewGuideButton(this));
    collecting->addStretch(1);
    collecting->addWidget(btnChiudi);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 16, 12);
    page->addWidget(titRette);
    QLabel* lblIstruzioni =
        NamedLabel(QStringLiteral("Le schede con iscrizione valida nel mese. Causale lasciata in bianco: quella "
                             "della scheda, oppure \"Retta <mese> <anno>\". Barra spaziatrice: spunta la "
                             "riga; doppio clic sulla quota per modificarla."),
              this, "lblIstruzioni");
    lblIstruzioni->setWordWrap(true);
    page->addWidget(lblIstruzioni);
    page->addLayout(criteria);
    page->addLayout(words);
    page->addWidget(grdRette, 1);
    page->addLayout(find);
    page->addLayout(commands);
    page->addLayout(collecting);

    SetFindKeys(*this, txtTrova, btnTrova);
    connect(txtMese, &QComboBox::currentIndexChanged, this, &TfrmRetteMese::txtMeseChange);
    connect(btnData, &QPushButton::clicked, this, &TfrmRetteMese::btnDataClick);
    connect(txtCausaliRette, &QLineEdit::editingFinished, this, &TfrmRetteMese::txtCausaliRetteExit);
    connect(btnTrova, &QPushButton::clicked, this, &TfrmRetteMese::btnTrovaClick);
    connect(btnEmetti, &QPushButton::clicked, this, &TfrmRetteMese::btnEmettiClick);
    connect(btnStampa, &QPushButton::clicked, this, &TfrmRetteMese::btnStampaClick);
    connect(btnNonPagate, &QPushButton::clicked, this, &TfrmRetteMese::btnNonPagateClick);
    connect(btnEsporta, &QPushButton::clicked, this, &TfrmRetteMese::btnEsportaClick);
    connect(btnFatture, &QPushButton::clicked, this, &TfrmRetteMese::btnFattureClick);
    connect(btnAddebitiSdd, &QPushButton::clicked, this, &TfrmRetteMese::btnAddebitiSddClick);
    connect(btnMovimenti, &QPushButton::clicked, this, &TfrmRetteMese::btnMovimentiClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    TabLeavesViews(this);
    AttachGuide(m_app, this, GuideTopic::RetteMese, findChild<QPushButton*>(QStringLiteral("btnGuida")));
    connect(m_model, &RetteModel::linesChanged, this, &TfrmRetteMese::UpdateCount);
    frxReport = LoadListTemplate();

    setWindowState(Qt::WindowMaximized);
    if (QScreen* s = parent ? parent->screen() : screen())
        setGeometry(s->availableGeometry()); // also where no window manager maximises
}

TfrmRetteMese::~TfrmRetteMese() = default;

FeeMonth TfrmRetteMese::Month() const {
    return FeeMonth{m_year, txtMese->currentIndex() + 1};
}

QString TfrmRetteMese::ExportPath() const {
    return m_app.Path(QStringLiteral("Rette_non_pagate_%1_%2.xls").arg(m_year).arg(Month().TwoDigits()));
}

QVector<qint64> TfrmRetteMese::TickedReceipts() const {
    QVector<qint64> positions;
    // The latest receipt of the month's year that pays each ticked paid line: the one just issued.
    for (int i : m_model->Ticked(LineState::Paid))
        if (!m_model->Lines()[i].paidPositions.isEmpty())
            positions << m_model->Lines()[i].paidPositions.last();
    return positions;
}

void TfrmRetteMese::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TfrmRetteMese::FormShow() {
    const QDate today = m_app.clock().Today();
    txtData->setText(FormatDate(today));
    const QSignalBlocker quiet(txtMese);
    txtMese->setCurrentIndex(today.month() - 1);
    LoadList();
    grdRette->setFocus();
}

void TfrmRetteMese::txtMeseChange() {
    m_finder.Reset();
    LoadList();
}

void TfrmRetteMese::txtCausaliRetteExit() {
    const QStringList words = ParseFeeWords(txtCausaliRette->text());
    const QStringList kept = ReadFeeWords(m_app.ProgramFolder());
    if (words.isEmpty()) {
        txtCausaliRette->setText(FeeWordsText(kept)); // never left without words
        return;
    }
    if (words == kept)
        return;
    QString error;
    if (!WriteFeeWords(m_app.ProgramFolder(), words, &error)) {
        m_app.messages().Warning(QStringLiteral("Impossibile salvare le causali delle rette nel file delle "
                                                "impostazioni.\n\r%1").arg(error),
                                 this);
        txtCausaliRette->setText(FeeWordsText(kept));
        return;
    }
    txtCausaliRette->setText(FeeWordsText(words));
    LoadList(); // the states follow the new words at once
}

void TfrmRetteMese::LoadList() {
    const FeeMonth m = Month();
    txtCausaliRette->setText(FeeWordsText(ReadFeeWords(m_app.ProgramFolder())));
    txtCausale->setPlaceholderText(QStringLiteral("quella della scheda, altrimenti \"%1\"").arg(DefaultCause(m)));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_list = BuildMonthList(m_app.ProgramFolder(), lblFile->text(), m);
    QApplication::restoreOverrideCursor();
    m_listedCount = m_list.receipts;
    QVector<FeeLine> lines = m_list.outcome == ListOutcome::YearUnreadable ||
                                     m_list.outcome == ListOutcome::DebitsUnreadable
                                 ? QVector<FeeLine>()
                                 : m_list.lines;
    m_model->SetLines(std::move(lines));
    grdRette->resizeColumnsToContents();
    grdRette->setColumnWidth(RetteModel::ColTick, 36);
    if (m_model->rowCount() > 0)
        grdRette->selectRow(0);
    switch (m_list.outcome) {
    case ListOutcome::DebitsUnreadable:
        m_app.messages().Warning(QStringLiteral("Attenzione: ") + m_list.error +
                                     QStringLiteral(".\n\r\n\rL'elenco del mese non viene mostrato finché il "
                                                    "registro non si legge: nessun mese viene dato per pagato o "
                                                    "da pagare a caso."),
                                 this);
        return;
    case ListOutcome::RegistryUnreadable:
    case ListOutcome::YearUnreadable:
        m_app.messages().Warning(ArchiveAccessError(), this);
        return;
    case ListOutcome::RegistryMissing:
        break;
    case ListOutcome::Listed:
        if (m_list.cards > 0 && m_list.lines.isEmpty()) {
            m_app.messages().Information(
                QStringLiteral("Nessuna scheda dell'archivio anagrafico risulta iscritta nel mese di %1 %2.")
                    .arg(m.Name())
                    .arg(m.year),
                this);
            return;
        }
        if (m_list.cards > 0)
            return;
        break;
    }
    m_app.messages().Information(QStringLiteral("L'archivio anagrafico non contiene nessuna scheda."), this);
}

void TfrmRetteMese::UpdateCount() {
    const QVector<FeeLine>& lines = m_model->Lines();
    int paid = 0, blocked = 0, partial = 0, debiting = 0;
    for (const FeeLine& l : lines) {
        paid += l.state == LineState::Paid;
        partial += l.state == LineState::Partial;
        blocked += l.state == LineState::Blocked;
        debiting += l.state == LineState::InDebit;
    }
    const QVector<int> ticked = m_model->TickedIssuable();
    lblConteggio->setText(QStringLiteral("Schede: %1   Pagate: %2   In parte: %6   In addebito SDD: %7   Non emettibili: "
                                         "%3   Da emettere spuntate: %4 (€ %5)")
                              .arg(lines.size())
                              .arg(paid)
                              .arg(blocked)
                              .arg(ticked.size())
                              .arg(FormatTotal(OwedTotal(lines, ticked)))
                              .arg(partial)
                              .arg(debiting));
}

int TfrmRetteMese::CurrentRow() const {
    const QModelIndex i = grdRette->currentIndex();
    return i.isValid() ? i.row() : -1;
}

bool TfrmRetteMese::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grdRette && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        m_model->Toggle(CurrentRow());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmRetteMese::btnDataClick() {
    if (const std::optional<QDate> day =
            TfrmCalendario::PickDate(m_app, this, QStringLiteral("rette"), ParseDate(txtData->text())))
        txtData->setText(FormatDate(*day));
}

QStringList TfrmRetteMese::FindLines() const {
    QStringList lines;
    for (const FeeLine& l : m_model->Lines()) {
        QStringList cells;
        for (int c = RetteModel::ColParent; c < RetteModel::ColumnCount; ++c)
            cells << RetteModel::Cell(l, c);
        lines << cells.join(QStringLiteral("  "));
    }
    return lines;
}

void TfrmRetteMese::btnTrovaClick() {
    const QStringList lines = FindLines();
    if (lines.isEmpty()) {
        m_app.messages().Plain(QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."), this);
        return;
    }
    int selected = CurrentRow();
    if (selected < 0) {
        selected = 0;
        grdRette->selectRow(0);
    }
    const int found = m_finder.Find(lines, selected, txtTrova->text());
    if (found >= 0) {
        grdRette->selectRow(found);
        grdRette->scrollTo(m_model->index(found, 0));
    }
}

void TfrmRetteMese::btnEmettiClick() {
    const FeeMonth m = Month();
    const QVector<int> which = m_model->TickedIssuable();
    if (which.isEmpty()) {
        m_app.messages().Warning(NoneToIssue(), this);
        return;
    }
    const QDate issued = ParseDate(TrimText(txtData->text()));
    if (!issued.isValid()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: indicare una data di emissione valida."), this);
        txtData->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Receipts follow the order of the dates: asked before the confirmation, checked again by the batch.
    bool readable = true;
    if (const QString problem = ArchiveDateProblem(TrimText(lblFile->text()), issued, &readable); !problem.isEmpty()) {
        m_app.messages().Warning(problem, this);
        txtData->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!readable) {
        m_app.messages().Warning(ArchiveAccessError(), this);
        return;
    }
    // The numbering start as the editor's New reads it; one that is not a whole number stops here.
    const QString ini = m_app.SettingsPath();
    const std::optional<qint64> start = ReadNumberingStart(ini).start;
    if (!start) {
        m_app.messages().Error(ArchiveAccessError(), this);
        return;
    }
    const QVector<FeeLine>& lines = m_model->Lines();
    if (!m_app.messages().Confirm(QStringLiteral("Emettere %1 per %2 %3, per un totale di € %4?")
                                      .arg(Counted(which.size(), QStringLiteral("ricevuta"), QStringLiteral("ricevute")))
                                      .arg(m.Name())
                                      .arg(m.year)
                                      .arg(FormatTotal(OwedTotal(lines, which))),
                                  this))
        return;

    IssueRequest req;
    req.month = m;
    req.issueDate = issued;
    req.cause = txtCausale->text();
    req.receiver = SchoolLines(ini);
    req.numberingStart = *start;
    req.listedCount = m_listedCount;
    req.feeWords = ReadFeeWords(m_app.ProgramFolder());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const IssueResult r = IssueFees(TrimText(lblFile->text()), lines, which, req);
    QApplication::restoreOverrideCursor();
    if (!r.ok && !r.dateProblem.isEmpty()) {
        m_app.messages().Warning(r.dateProblem, this);
        return;
    }
    if (!r.ok) {
        m_app.messages().Warning(ArchiveAccessError() +
                                     QStringLiteral("\n\r\n\rNessuna ricevuta è stata emessa: l'archivio è rimasto "
                                                    "com'era e nessun numero è stato usato."),
                                 this);
        return;
    }
    // Issued lines become paid and stay ticked, ready for "Stampa ricevute"; earlier paid ones are unticked.
    ApplyIssued(m_model->MutableLines(), r);
    m_listedCount = r.firstPosition - 1 + r.issued.size();
    m_model->Refresh();

    QString text = r.issued.isEmpty()      ? QStringLiteral("Nessuna ricevuta emessa.")
                   : r.issued.size() == 1 ? QStringLiteral("Emessa 1 ricevuta: la n. %1.").arg(r.firstNumber)
                                          : QStringLiteral("Emesse %1 ricevute: dalla n. %2 alla n. %3.")
                                                .arg(r.issued.size())
                                                .arg(r.firstNumber)
                                                .arg(r.firstNumber + r.issued.size() - 1);
    if (r.paidMeanwhile.size() == 1)
        text += QStringLiteral("\n\r\n\r1 riga risultava già pagata da un'altra postazione e non è stata emessa.");
    else if (!r.paidMeanwhile.isEmpty())
        text += QStringLiteral("\n\r\n\r%1 righe risultavano già pagate da un'altra postazione e non sono state "
                               "emesse.")
                    .arg(r.paidMeanwhile.size());
    m_app.messages().Information(text, this);
}

void TfrmRetteMese::btnStampaClick() {
    const QVector<qint64> positions = TickedReceipts();
    if (positions.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Nessuna ricevuta da stampare: emettere le ricevute oppure spuntare "
                                                "nell'elenco le righe già pagate."),
                                 this);
        return;
    }
    QVector<ReceiptRecord> receipts;
    QVector<QByteArray> stored;
    receipts.reserve(positions.size());
    const QString yearPath = TrimText(lblFile->text());
    RecordFile file(ReceiptRecord::Size);
    bool read = file.OpenOrCreate(yearPath);
    for (qint64 p : positions) {
        QByteArray bytes;
        if (!read || !(read = file.ReadRaw(p - 1, bytes)))
            break;
        receipts << ReceiptRecord::Decode(bytes.constData());
        stored << bytes;
    }
    if (!file.Close() || !read) {
        m_app.messages().Warning(ArchiveAccessError(), this);
        return;
    }
    // A receipt printed before with the same texts prints as a duplicate, as from the editor.
    const QFileInfo archive(yearPath);
    const QString folder = archive.absolutePath(), year = archive.completeBaseName();
    const QVector<bool> duplicates = PrintJournal::WerePrinted(folder, year, positions, stored);
    QString error;
    report::PreparedReport doc;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ChildCodeIndex childCodes; // the children's tax codes; a file that cannot be read prints names alone
    childCodes.Load(m_app.ProgramFolder());
    bool ok = PrepareReceipts(receipts, ReceiptLogo(m_app.ProgramFolder()), doc, &error, duplicates, &childCodes);
    QApplication::restoreOverrideCursor();
    doc.fileName = report::PdfFileName({QStringLiteral("Ricevute"), QString::number(m_year), Month().TwoDigits()});
    const Printing::Result result = ok ? m_app.printing().Preview(doc, this, &error) : Printing::Result::Failed;
    if (result == Printing::Result::Failed)
        m_app.messages().Warning(ReceiptPrintWarning(), this);
    if (result == Printing::Result::Printed &&
        !PrintJournal::NoteAll(folder, year, positions, stored,
                               {m_app.clock().Now(), WorkstationName(), CurrentUserName()}))
        m_app.messages().Warning(PrintsNotNoted(), this);
}

void TfrmRetteMese::btnNonPagateClick() {
    const FeeMonth m = Month();
    const QVector<FeeLine>& lines = m_model->Lines();
    const QVector<int> unpaid = UnpaidLines(lines);
    if (unpaid.isEmpty()) {
        m_app.messages().Information(QStringLiteral("Nessuna retta da incassare per %1 %2.").arg(m.Name()).arg(m.year),
                                     this);
        return;
    }
    QStringList printed{UnpaidListHeader()};
    for (int i : unpaid)
        printed << UnpaidListLine(lines[i]);
    printed << QString()
            << QStringLiteral("Schede non pagate: %1   Totale da incassare: € %2")
                   .arg(unpaid.size())
                   .arg(FormatTotal(OwedTotal(lines, unpaid)));
    QString error = QStringLiteral("Modello di stampa non disponibile.");
    if (frxReport && FillListReport(*frxReport, QStringLiteral("Rette non pagate - %1 %2").arg(m.Name()).arg(m.year),
                                    ListPrintStamp(m_app.clock().Now()), printed, &error)) {
        frxReport->fileName =
            report::PdfFileName({QStringLiteral("Rette_non_pagate"), QString::number(m.year), m.TwoDigits()});
        if (frxReport->Prepare(&error) &&
            m_app.printing().Print(frxReport->Prepared(), this, &error) != Printing::Result::Failed)
            return;
    }
    m_app.messages().Warning(QStringLiteral("Attenzione: la stampa non è andata a buon fine.\n\r\n\r") + error, this);
}

void TfrmRetteMese::btnEsportaClick() {
    const QVector<FeeLine>& lines = m_model->Lines();
    const QVector<int> unpaid = UnpaidLines(lines);
    if (unpaid.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Esportazione non applicabile: l'elenco non contiene nessuna voce."),
                                 this);
        return;
    }
    if (!m_app.messages().Confirm(ExportWindow::ExportQuestion(), this))
        return;
    const QVector<ExportColumn> columns = {{QStringLiteral("Genitore"), 250},
                                           {QStringLiteral("Minore"), 250},
                                           {QStringLiteral("Codice fiscale"), 180},
                                           {QStringLiteral("Telefono"), 180},
                                           {QStringLiteral("Quota: €"), 120},
                                           {QStringLiteral("Da incassare: €"), 120}};
    auto cell = [&](qint64 row, int column) -> QString {
        const FeeLine& l = lines[unpaid[int(row)]];
        switch (column) {
        case 0:
            return l.parent;
        case 1:
            return l.child;
        case 2:
            return l.taxCode;
        case 3:
            return l.phone;
        case 4:
            return l.fee;
        default:
            return OwedText(l);
        }
    };
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = WriteExportDocument(ExportPath(), QStringLiteral("Rette non pagate"), columns, unpaid.size(),
                                        ExportCellText(cell), &error);
    QApplication::restoreOverrideCursor();
    ExportWindow::ReportExport(m_app, this, ok, ExportPath(), QStringLiteral("Le rette non pagate"));
}

void TfrmRetteMese::btnFattureClick() {
    const QVector<qint64> positions = TickedReceipts();
    if (positions.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Nessuna ricevuta da fatturare: emettere le ricevute oppure spuntare "
                                                "nell'elenco le righe già pagate."),
                                 this);
        return;
    }
    EmettiFatture(m_app, this, TrimText(lblFile->text()), QList<qint64>(positions.begin(), positions.end()));
}

void TfrmRetteMese::btnAddebitiSddClick() {
    QVector<int> ticked;
    const QVector<FeeLine>& lines = m_model->Lines();
    // The lines already in a pending file go too, to be listed as left out with the file's name.
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].ticked || lines[i].state == LineState::InDebit)
            ticked << i;
    TfrmAddebitiSdd dlg(m_app, lines, ticked, Month(), this);
    dlg.exec();
    LoadList(); // a file written or withdrawn there changes the months' states here
}

void TfrmRetteMese::btnMovimentiClick() {
    TfrmMovimentiBancari dlg(m_app, m_year, Month(), this);
    dlg.exec();
    LoadList(); // receipts issued there change what is paid here
}
