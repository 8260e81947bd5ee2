#include "summary/RiepCosti.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "app/Guida.h"
#include "app/Printing.h"
#include "report/PreparedReport.h"
#include "search/ListReport.h"
#include "storage/Dates.h"
#include "storage/Lists.h"
#include "storage/Text.h"
#include "summary/FindKeys.h"
#include "summary/MenuRiepCosti.h"
#include "summary/SummaryExport.h"
#include <QAbstractListModel>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QIcon>
#include <QScreen>

namespace {

// The last find key is one for every summary window of the run.
ListFinder& SharedFinder() {
    static ListFinder finder;
    return finder;
}

constexpr double kLinePitch = 12.822; // template units per printed summary line

} // namespace

// The rows as a list model whose items are as wide as the longest row (at least 1600 pixels), so
// that long rows scroll sideways instead of being cut. A row becomes text when the list asks for it.
class SummaryRowsModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    QSize rowSize;
    const SummaryRows& Rows() const { return m_rows; }
    void SetRows(const SummaryRows& rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= m_rows.size())
            return {};
        if (role == Qt::SizeHintRole && rowSize.isValid())
            return rowSize;
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return m_rows.at(index.row());
        return {};
    }

private:
    SummaryRows m_rows;
};

TfrmRiepCosti::TfrmRiepCosti(Carvenna& app, TfrmMenuRiepCosti& criteria)
    : QDialog(&criteria), m_app(app), m_criteria(criteria) {
    ui.setupUi(this);
    SetFormatSettings();
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowState(Qt::WindowMaximized);
    if (QScreen* s = criteria.screen())
        setGeometry(s->availableGeometry()); // also where no window manager maximises
    ui.imgGuida->setIcon(QIcon(QStringLiteral(":/receipts/art/guida.svg")));

    // Rows in a fixed-pitch font of their own, so the padded columns line up.
    QFont rowFont(QStringLiteral("Courier New"));
    rowFont.setPointSize(12);
    rowFont.setStyleHint(QFont::TypeWriter);
    ui.lstRecords->setFont(rowFont);
    ui.lstRecords->setStyleSheet(QStringLiteral("QListView { color: #000000; }"));
    m_rows = new SummaryRowsModel(this);
    ui.lstRecords->setModel(m_rows);

    SetFindKeys(*this, ui.txtTrova, ui.btnTrova);
    connect(ui.btnTrova, &QPushButton::clicked, this, &TfrmRiepCosti::btnTrovaClick);
    connect(ui.btnStampa, &QPushButton::clicked, this, &TfrmRiepCosti::btnStampaClick);
    connect(ui.btnEsci, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui.imgGuida, &QToolButton::clicked, this, &TfrmRiepCosti::imgGuidaClick);
    connect(ui.btnEsportaCome, &QPushButton::clicked, this, &TfrmRiepCosti::btnEsportaComeClick);

    // Each window keeps its own copy of the list layout, named for the summary.
    QString error;
    m_report = report::ReportTemplate::Load(QStringLiteral(":/printing/templates/list.json"), &error);
    if (m_report)
        m_report->name = QStringLiteral("Riepilogo incassi");
}

TfrmRiepCosti::~TfrmRiepCosti() = default;

SummaryRows TfrmRiepCosti::Rows() const {
    return m_rows->Rows();
}

void TfrmRiepCosti::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TfrmRiepCosti::FormShow() {
    const QString payer = m_criteria.ui.txtEsecutore->text();
    const QString reason = m_criteria.ui.txtCCP->text();
    ui.lblConta->setText(QString::number(ActiveFilters(payer, reason)));
    const QString trimmedPayer = TrimText(payer);
    ui.titTipologia->setText(trimmedPayer.isEmpty() ? QStringLiteral("- - -") : trimmedPayer);

    const QString start = TrimText(m_criteria.ui.lblDataInizio->text());
    const QString end = TrimText(m_criteria.ui.lblDataFine->text());
    m_rows->SetRows({});
    m_summary = BuildTakingsSummary(TrimText(ui.lblFile->text()), payer, reason, ParseDate(start), ParseDate(end));

    qsizetype widest = 0;
    for (qsizetype i = 0; i < m_summary.rows.size(); ++i)
        widest = qMax(widest, m_summary.rows.Length(i));
    const QFontMetrics fm(ui.lstRecords->font());
    m_rows->rowSize = QSize(qMax(1600, int(widest) * fm.horizontalAdvance(u'M') + 16), fm.height() + 2);
    m_rows->SetRows(m_summary.rows);

    m_listed = m_summary.complete;
    if (!m_summary.complete) {
        // The rows read so far stay, but no total pretends to be the real one.
        ui.lblTotCosti->setText(QStringLiteral("0,00"));
        m_app.messages().Warning(IncompleteWarning(), this);
        return;
    }
    ui.lblIntervallo->setText(IntervalText(start, end));
    ui.txtTrova->setFocus();
    ui.lblTotCosti->setText(FormatTotal(m_summary.total));
}

QString TfrmRiepCosti::IncompleteWarning() const {
    if (!m_summary.fileOpened)
        return ArchiveAccessError();
    const QString number = TrimText(m_summary.stopNumber);
    return QStringLiteral("Attenzione: la ricevuta in posizione %1 dell'archivio (%2) non è leggibile: la data di "
                          "emissione o l'importo non sono validi.\n\r\n\rIl riepilogo è incompleto e il totale "
                          "degli importi non è stato calcolato.")
        .arg(m_summary.stopPosition)
        .arg(number.isEmpty() ? QStringLiteral("senza numero") : QStringLiteral("ricevuta n. ") + number);
}

void TfrmRiepCosti::btnTrovaClick() {
    const QStringList rows = m_rows->Rows().ToStringList();
    if (rows.isEmpty()) {
        m_app.messages().Plain(QStringLiteral("Ricerca non applicabile: la lista non contiene nessuna voce."), this);
        return;
    }
    QItemSelectionModel* sel = ui.lstRecords->selectionModel();
    int selected =
        sel->currentIndex().isValid() && sel->isSelected(sel->currentIndex()) ? sel->currentIndex().row() : -1;
    if (selected < 0) {
        selected = 0;
        ui.lstRecords->setCurrentIndex(m_rows->index(0));
    }
    const int found = SharedFinder().Find(rows, selected, ui.txtTrova->text());
    if (found >= 0) {
        ui.lstRecords->setCurrentIndex(m_rows->index(found));
        ui.lstRecords->scrollTo(m_rows->index(found));
    }
}

void TfrmRiepCosti::btnStampaClick() {
    if (m_rows->rowCount() == 0) {
        m_app.messages().Warning(
            QStringLiteral("Operazione di stampa non applicabile: il riepilogo non contiene nessuna voce."), this);
        return;
    }
    if (!m_listed) {
        m_app.messages().Warning(IncompleteWarning(), this);
        return;
    }
    if (!m_app.messages().Confirm(QStringLiteral("Si vuole stampare il presente riepilogo?"), this))
        return;

    QString error;
    auto fail = [&] { m_app.messages().Error(error, this); };
    if (!m_report) {
        error = QStringLiteral("Modello di stampa del riepilogo non disponibile.");
        return fail();
    }
    report::ReportTemplate& rep = *m_report;
    const QDateTime now = m_app.clock().Now();
    if (!rep.SetText(QStringLiteral("txtTitolo"), QStringLiteral("Riepilogo incassi"), &error) ||
        !rep.SetText(QStringLiteral("txtPagina"),
                     QStringLiteral("Stampa eseguita in data ") + FormatDate(now.date()) +
                         QStringLiteral(" alle ore ") + now.time().toString(QStringLiteral("HH:mm:ss")),
                     &error) ||
        !rep.ClearLines(QStringLiteral("txtRiepilogo"), &error))
        return fail();
    report::ReportObject* memo = rep.Object(QStringLiteral("txtRiepilogo"), &error);
    report::ReportObject* band = memo ? rep.Object(QStringLiteral("MasterData"), &error) : nullptr;
    if (!band)
        return fail();
    QStringList lines = m_rows->Rows().ToStringList();
    lines << QStringLiteral("- - - - - - - - - - - - - - - -")
          << QStringLiteral("INTERVALLO SELEZIONATO:    ") + TrimText(ui.lblIntervallo->text())
          << QStringLiteral("TOTALE IMPORTI INCASSATI:  \u20AC ") + TrimText(ui.lblTotCosti->text());
    memo->lines = lines;
    rep.fileName = ListPdfName(QStringLiteral("Riepilogo ricevute"), m_app.clock().Today());
    const double height = memo->lines.size() * kLinePitch;
    if (!memo->SetHeight(height, &error) || !band->SetHeight(height + 10, &error) || !rep.Prepare(&error))
        return fail();
    if (m_app.printing().Print(rep.Prepared(), this, &error) == Printing::Result::Failed)
        return fail();
}

void TfrmRiepCosti::imgGuidaClick() {
    TfrmGuida dlg(m_app, this);
    dlg.SetGuide(GuideTitle(), GuideText());
    dlg.exec();
}

QString TfrmRiepCosti::GuideTitle() {
    return QStringLiteral("App Riepilogo Incassi");
}

QString TfrmRiepCosti::GuideText() {
    return QStringLiteral(
        "Il riepilogo incassi mostra quanto è stato incassato con le ricevute emesse in un intervallo di tempo "
        "dell'anno solare scelto, e aiuta a controllare gli incassi di un periodo, di un pagatore o di una "
        "causale di pagamento.\r\n\r\n"
        "Per ottenerlo si apre l'app Riepilogo Incassi dal menu iniziale, si indica l'anno, si scelgono "
        "dagli elenchi a cascata il giorno e il mese di inizio e di fine dell'intervallo e si preme il pulsante "
        "Visualizza riepilogo. Le due date sono comprese nell'intervallo.\r\n\r\n"
        "Ogni riga dell'elenco riporta una ricevuta: il numero, la data di emissione, il pagatore, la causale, "
        "il periodo a cui si riferisce il pagamento (dal, al) e l'importo. Sotto l'elenco compare il totale "
        "degli importi incassati; il pulsante Trova cerca un testo nelle righe dell'elenco.\r\n\r\n"
        "Lasciando in bianco il pagatore e la causale si ottengono tutti gli incassi dell'intervallo; "
        "indicandoli, anche solo in parte, si ottengono le sole ricevute che li contengono. Il riepilogo, con "
        "l'intervallo e il totale, si può stampare con il pulsante Stampa riepilogo.");
}

void TfrmRiepCosti::done(int r) {
    FormClose();
    QDialog::done(r);
}

void TfrmRiepCosti::FormClose() {
    m_rows->SetRows({});
    m_criteria.ui.lblAttendere->hide();
}

void TfrmRiepCosti::btnEsportaComeClick() {
    // A listing that stopped early has no true total: it is not exported.
    if (m_summary.rows.isEmpty() || !m_listed) {
        m_app.messages().Warning(
            m_summary.rows.isEmpty()
                ? QStringLiteral("Esportazione non applicabile: il riepilogo non contiene nessuna voce.")
                : QStringLiteral("Esportazione non applicabile: il riepilogo non è completo."),
            this);
        return;
    }
    const QString yearFile = TrimText(ui.lblFile->text());
    SaveExportAs(m_app, this, QStringLiteral("Riepilogo_Incassi.xlsx"), QStringLiteral("Le ricevute del riepilogo"),
                 [this, &yearFile](const QString& path, bool xls, QString* error) {
                     return WriteTakingsExport(path, xls, yearFile, m_summary, error);
                 });
}
