#include "receipts/ReceiptAmount.h"
#include "summary/Attestazioni.h"
#include "registry/ChildTaxCodes.h"
#include "app/Carvenna.h"
#include "einvoice/FiscalData.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/CommonMessages.h"
#include "export/ExportDocument.h"
#include "export/ExportWindow.h"
#include "printing/MailDocument.h"
#include "app/Printing.h"
#include "receipts/DefaultLogo.h"
#include "receipts/ReceiptSettings.h"
#include "report/ReportPainter.h"
#include "storage/IniFile.h"
#include "storage/Lists.h"
#include "storage/Text.h"
#include "summary/AttestazioniModel.h"
#include "summary/FindKeys.h"
#include "summary/StatementPrint.h"
#include "summary/SummaryExport.h"
#include "summary/Takings.h"
#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScreen>
#include <QShowEvent>

namespace {

// The last find key is one for every statements window of the run.
ListFinder& SharedFinder() {
    static ListFinder finder;
    return finder;
}

// The height of the box of receipts left out: four lines, then it scrolls.
int ExcludedBoxMost(const QLabel* text) {
    return 4 * QFontMetrics(text->font()).lineSpacing() + 4;
}

} // namespace

TfrmAttestazioni::TfrmAttestazioni(Carvenna& app, int year, QWidget* parent)
    : QDialog(parent), m_app(app), m_year(year) {
    ui.setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowState(Qt::WindowMaximized);
    if (QScreen* s = parent ? parent->screen() : screen())
        setGeometry(s->availableGeometry()); // also where no window manager maximises
    ui.titAttestazioni->setText(QStringLiteral("Attestazioni annuali dei pagamenti - anno %1").arg(year));
    ui.scrEsclusi->hide();
    ui.lblEsclusi->setAutoFillBackground(false); // the scroll area turned it on
    ui.scrEsclusi->viewport()->setAutoFillBackground(false);

    QTableView* t = ui.tblAttestazioni;
    m_rows = new AttestazioniModel(this);
    t->setModel(m_rows);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    t->setFont(QFont(QStringLiteral("Verdana"), 10));
    t->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    t->verticalHeader()->setDefaultSectionSize(QFontMetrics(t->font()).height() + 10);
    t->setTextElideMode(Qt::ElideRight);
    // The columns and the box of receipts left out follow the window's width.
    t->viewport()->installEventFilter(this);
    ui.scrEsclusi->viewport()->installEventFilter(this);

    SetFindKeys(*this, ui.txtTrova, ui.btnTrova);
    connect(ui.btnTrova, &QPushButton::clicked, this, &TfrmAttestazioni::btnTrovaClick);
    TabLeavesViews(this);
    AttachGuide(m_app, this, GuideTopic::Attestazioni);
    connect(ui.btnStampa, &QPushButton::clicked, this, &TfrmAttestazioni::btnStampaClick);
    connect(ui.btnStampaTutte, &QPushButton::clicked, this, &TfrmAttestazioni::btnStampaTutteClick);
    connect(ui.btnEsporta, &QPushButton::clicked, this, &TfrmAttestazioni::btnEsportaClick);
    connect(ui.btnEsportaCome, &QPushButton::clicked, this, &TfrmAttestazioni::btnEsportaComeClick);
    connect(ui.btnEmail, &QPushButton::clicked, this, &TfrmAttestazioni::btnEmailClick);
    connect(ui.btnEsci, &QPushButton::clicked, this, &QDialog::reject);
    connect(t, &QTableView::doubleClicked, this, &TfrmAttestazioni::btnStampaClick);

    QString error;
    m_report = LoadStatementTemplate(&error);
}

TfrmAttestazioni::~TfrmAttestazioni() = default;

QString TfrmAttestazioni::ExportPath() const {
    return m_app.Path(QStringLiteral("Attestazioni_%1.xls").arg(m_year));
}

bool TfrmAttestazioni::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize &&
        (watched == ui.tblAttestazioni->viewport() || watched == ui.scrEsclusi->viewport()))
        FitToWidth();
    return QDialog::eventFilter(watched, event);
}

void TfrmAttestazioni::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

QString TfrmAttestazioni::ExcludedText(const QVector<ExcludedReceipt>& excluded) {
    if (excluded.isEmpty())
        return {};
    QStringList which;
    for (const ExcludedReceipt& e : excluded) {
        const QString number = TrimText(e.number);
        which << (number.isEmpty() ? QStringLiteral("senza numero (posizione %1)").arg(e.position)
                                   : QStringLiteral("n. ") + number) +
                     (e.reason == ExcludedReceipt::Reason::InvalidDate ? QStringLiteral(" (data non valida)")
                                                                       : QStringLiteral(" (importo non valido)"));
    }
    const QString count =
        excluded.size() == 1
            ? QStringLiteral("1 ricevuta dell'archivio non è stata considerata")
            : QStringLiteral("%1 ricevute dell'archivio non sono state considerate").arg(excluded.size());
    return QStringLiteral("Attenzione: ") + count +
           QStringLiteral(" perché la data di emissione o l'importo non sono validi: ") +
           which.join(QStringLiteral(", ")) +
           QStringLiteral(". Correggerle nell'archivio ricevute per includerle nelle attestazioni.");
}

void TfrmAttestazioni::FormShow() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_statements = BuildYearStatements(TrimText(ui.lblFile->text()), m_year);
    // The children's codes kept beside the registry; one that cannot be read is simply not printed.
    ChildCodeIndex childCodes;
    childCodes.Load(m_app.ProgramFolder());
    for (StatementGroup& g : m_statements.groups)
        if (!g.missingTaxCode)
            g.childTaxCode = childCodes.Of(g.taxCode, g.child);
    QApplication::restoreOverrideCursor();

    m_rows->SetGroups(m_statements.groups);
    m_lines.clear();
    qint64 total = 0, receipts = 0;
    for (const StatementGroup& g : m_statements.groups) {
        m_lines << StatementLine(g);
        total += g.total;
        receipts += g.receipts.size();
    }
    ui.lblConteggio->setText(
        QStringLiteral("Righe: %1   Ricevute considerate: %2").arg(m_statements.groups.size()).arg(receipts));
    ui.lblTotale->setText(QStringLiteral("Totale incassato nell'anno:  € ") + FormatTotal(total));

    const QString excluded = ExcludedText(m_statements.excluded);
    ui.lblEsclusi->setText(excluded);
    ui.scrEsclusi->setVisible(!excluded.isEmpty());
    MeasureColumns();
    FitToWidth();
    // Wrapped texts need more height at the narrowest width than the layout's own minimum counts;
    // the receipts left out may take up to their whole box there.
    const int narrowest = layout()->minimumSize().width();
    const int excludedGrowth =
        ui.scrEsclusi->isVisibleTo(this) ? ExcludedBoxMost(ui.lblEsclusi) - ui.scrEsclusi->height() : 0;
    setMinimumSize(narrowest, layout()->minimumHeightForWidth(narrowest) + excludedGrowth);
    ui.txtTrova->setFocus();
    if (!m_statements.fileOpened) {
        m_app.messages().Warning(ArchiveAccessError(), this);
        return;
    }
    if (!m_statements.complete)
        m_app.messages().Warning(
            QStringLiteral("Attenzione: l'archivio ricevute non è stato letto per intero.\n\r\n\rLe attestazioni "
                           "potrebbero essere incomplete."),
            this);
    if (!excluded.isEmpty())
        m_app.messages().Warning(excluded, this);
    if (m_rows->rowCount() > 0)
        ui.tblAttestazioni->selectRow(0);
}

// Each column as wide as its header and its widest text. Names are capped, so that one very long
// name does not push the amounts out of sight: it is cut with "..." and shown whole as a tip.
void TfrmAttestazioni::MeasureColumns() {
    constexpr int kPadding = 16, kNameCap = 340;
    const QTableView* t = ui.tblAttestazioni;
    const QFontMetrics fm(t->font());
    m_contentWidths.fill(0, AttestazioniModel::ColumnCount);
    for (int c = 0; c < AttestazioniModel::ColumnCount; ++c) {
        int& width = m_contentWidths[c];
        width = t->horizontalHeader()->sectionSizeHint(c);
        if (c <= AttestazioniModel::ColChild) {
            for (const StatementGroup& g : m_statements.groups) {
                width = qMax(width, fm.horizontalAdvance(AttestazioniModel::Cell(g, c)) + kPadding);
                if (width >= kNameCap)
                    break;
            }
            width = qMin(width, kNameCap);
        } else {
            // Counts and amounts are digits of one width: the longest text is the widest.
            QString longest;
            for (const StatementGroup& g : m_statements.groups) {
                const QString text = AttestazioniModel::Cell(g, c);
                if (text.size() > longest.size())
                    longest = text;
            }
            width = qMax(width, fm.horizontalAdvance(longest) + kPadding);
        }
    }
}

// Spreads the table's width over the columns: spare room in proportion to their widths; when room
// is short the wider name gives way first, both names down to a readable width, and the rest scrolls
// sideways.
void TfrmAttestazioni::FitToWidth() {
    if (m_contentWidths.isEmpty())
        return;
    constexpr int kNameMin = 150;
    QVector<int> widths = m_contentWidths;
    int sum = 0;
    for (int w : widths)
        sum += w;
    const int room = ui.tblAttestazioni->viewport()->width();
    if (room >= sum) {
        int given = 0;
        for (int c = 0; c < widths.size(); ++c) {
            const int share = c + 1 < widths.size() ? int(qint64(room - sum) * widths[c] / sum) : room - sum - given;
            widths[c] += share;
            given += share;
        }
    } else {
        int& payer = widths[AttestazioniModel::ColPayer];
        int& child = widths[AttestazioniModel::ColChild];
        int& wider = payer >= child ? payer : child;
        int& other = payer >= child ? child : payer;
        int short_ = sum - room;
        auto take = [&short_](int& width, int most) {
            // A name column already narrower than the readable width gives nothing.
            const int taken = qBound(0, qMin(most, short_), qMax(0, width - kNameMin));
            width -= taken;
            short_ -= taken;
        };
        take(wider, wider - other);
        take(wider, short_ / 2);
        take(other, short_);
        take(wider, short_);
    }
    for (int c = 0; c < widths.size(); ++c)
        ui.tblAttestazioni->setColumnWidth(c, widths[c]);

    // The receipts left out in a box of at most four lines, scrolling when there are more.
    ui.scrEsclusi->setFixedHeight(
        qMin(ExcludedBoxMost(ui.lblEsclusi), ui.lblEsclusi->heightForWidth(ui.scrEsclusi->viewport()->width())));
}

int TfrmAttestazioni::SelectedRow() const {
    const QModelIndexList rows = ui.tblAttestazioni->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TfrmAttestazioni::btnTrovaClick() {
    if (m_lines.isEmpty()) {
        m_app.messages().Plain(QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."), this);
        return;
    }
    int selected = SelectedRow();
    if (selected < 0) {
        selected = 0;
        ui.tblAttestazioni->selectRow(0);
    }
    const int found = SharedFinder().Find(m_lines, selected, ui.txtTrova->text());
    if (found >= 0) {
        ui.tblAttestazioni->selectRow(found);
        ui.tblAttestazioni->scrollTo(m_rows->index(found, 0));
    }
}

void TfrmAttestazioni::btnStampaClick() {
    const int row = SelectedRow();
    if (m_statements.groups.isEmpty() || row < 0) {
        m_app.messages().Warning(
            QStringLiteral("Operazione di stampa non applicabile: selezionare nell'elenco la riga del pagatore e "
                           "del minore di cui stampare l'attestazione."),
            this);
        return;
    }
    PrintGroups({m_statements.groups[row]});
}

void TfrmAttestazioni::btnStampaTutteClick() {
    if (m_statements.groups.isEmpty()) {
        m_app.messages().Warning(
            QStringLiteral("Operazione di stampa non applicabile: l'elenco non contiene nessuna voce."), this);
        return;
    }
    if (!m_app.messages().Confirm(m_statements.groups.size() == 1
                                      ? QStringLiteral("Si vuole stampare l'attestazione dell'unica riga dell'elenco?")
                                      : QStringLiteral("Si vogliono stampare le attestazioni di tutte le %1 righe "
                                                       "dell'elenco?")
                                            .arg(m_statements.groups.size()),
                                  this))
        return;
    PrintGroups(m_statements.groups);
}

StatementHeading TfrmAttestazioni::Heading() const {
    StatementHeading h;
    h.year = m_year;
    const QString ini = m_app.SettingsPath();
    // The statement names who issues it: the school's fiscal data when they are filled in, else the lines
    // the receipts print.
    h.receiver = IssuerLines(LoadFiscalData(ini));
    if (h.receiver.isEmpty())
        h.receiver = ReadReceiverLines(ini);
    // The same picture the receipts print: Logo.bmp, or the built-in logo when it cannot be read.
    if (!h.logo.load(m_app.Path(QStringLiteral("Logo.bmp"))) || h.logo.isNull())
        h.logo = DefaultLogo();
    h.place = ui.txtLuogo->text();
    h.date = m_app.clock().Today();
    return h;
}

void TfrmAttestazioni::PrintGroups(const QVector<StatementGroup>& groups) {
    QString error = QStringLiteral("Modello di stampa delle attestazioni non disponibile.");
    const StatementHeading h = Heading();

    report::PreparedReport doc;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = m_report && PrepareStatements(*m_report, h, groups, doc, &error);
    QApplication::restoreOverrideCursor();
    if (!ok || m_app.printing().Print(doc, this, &error) == Printing::Result::Failed)
        m_app.messages().Error(QStringLiteral("Attenzione: la stampa delle attestazioni non è andata a buon "
                                              "fine.\n\r\n\r") +
                                   error,
                               this);
}

void TfrmAttestazioni::btnEsportaClick() {
    if (m_statements.groups.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Esportazione non applicabile: l'elenco non contiene nessuna voce."),
                                 this);
        return;
    }
    if (!m_app.messages().Confirm(ExportWindow::ExportQuestion(), this))
        return;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = WriteExportDocument(
        ExportPath(), QStringLiteral("Attestazioni %1").arg(m_year), AttestazioniModel::Columns(),
        m_statements.groups.size(),
        [this](qint64 row, int column) { return AttestazioniModel::Cell(m_statements.groups[int(row)], column); },
        &error);
    QApplication::restoreOverrideCursor();
    ExportWindow::ReportExport(m_app, this, ok, ExportPath(), QStringLiteral("Le attestazioni"));
}

void TfrmAttestazioni::btnEsportaComeClick() {
    if (m_statements.groups.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Esportazione non applicabile: l'elenco non contiene nessuna voce."),
                                 this);
        return;
    }
    SaveExportAs(m_app, this, QStringLiteral("Attestazioni_%1.xlsx").arg(m_year), QStringLiteral("Le attestazioni"),
                 [this](const QString& path, bool xls, QString* error) {
                     return WriteStatementsExport(path, xls, m_year, m_statements.groups, error);
                 });
}

void TfrmAttestazioni::btnEmailClick() {
    const int row = SelectedRow();
    if (m_statements.groups.isEmpty() || row < 0) {
        m_app.messages().Warning(
            QStringLiteral("Invio non applicabile: selezionare nell'elenco la riga del pagatore e del minore di cui "
                           "inviare l'attestazione."),
            this);
        return;
    }
    const StatementGroup& g = m_statements.groups[row];
    const StatementHeading h = Heading();
    QString error = QStringLiteral("Modello di stampa delle attestazioni non disponibile.");
    report::PreparedReport doc;
    if (!m_report || !PrepareStatements(*m_report, h, {g}, doc, &error)) {
        m_app.messages().Error(QStringLiteral("Attenzione: la stampa delle attestazioni non è andata a buon "
                                              "fine.\n\r\n\r") +
                                   error,
                               this);
        return;
    }
    doc.fileName = report::PdfFileName(
        {QStringLiteral("Attestazione"), QString::number(m_year), TrimText(g.child.isEmpty() ? g.payer : g.child)});
    const QString school = TrimText(h.receiver.value(0));
    QString body = QStringLiteral("Gentile %1,\n\nin allegato l'attestazione dei pagamenti dell'anno %2")
                       .arg(TrimText(g.payer))
                       .arg(m_year);
    if (!TrimText(g.child).isEmpty())
        body += QStringLiteral(" per %1").arg(TrimText(g.child));
    body += QStringLiteral(".\n\nCordiali saluti");
    if (!school.isEmpty())
        body += QStringLiteral("\n") + school;
    QString subject = QStringLiteral("Attestazione dei pagamenti anno %1").arg(m_year);
    if (!TrimText(g.child).isEmpty())
        subject += QStringLiteral(" - ") + TrimText(g.child);
    MailDocument(m_app, this, doc, {g.missingTaxCode ? QString() : g.taxCode, subject, body});
}
