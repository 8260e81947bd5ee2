#include "storage/Dates.h"
#include "widgets/NamedControls.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "einvoice/FattureElettroniche.h"
#include "app/Carvenna.h"
#include "einvoice/CourtesyCopy.h"
#include "einvoice/CreditNote.h"
#include "einvoice/EmettiFattura.h"
#include "einvoice/FiscalData.h"
#include "einvoice/SdiNotice.h"
#include "einvoice/SdiPackage.h"
#include "einvoice/StampDutyReport.h"
#include "export/XlsxDocument.h"
#include "fees/MonthFees.h"
#include "printing/MailDocument.h"
#include "app/Printing.h"
#include "storage/Text.h"
#include <QApplication>
#include <QBrush>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QTableView>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QXmlStreamReader>

namespace {
QString DateText(const QDate& d) {
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}

bool Undeliverable(const RegisterEntry& e) {
    return e.stato.startsWith(QLatin1String("Non recapitata"));
}

// The payer's tax code or VAT number as the invoice file names it (to find the e-mail address).
QString PayerCode(const QByteArray& xml) {
    QXmlStreamReader r(xml);
    bool buyer = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("CessionarioCommittente"))
            buyer = true;
        else if (buyer && r.isStartElement() &&
                 (r.name() == QLatin1String("CodiceFiscale") || r.name() == QLatin1String("IdCodice")))
            return r.readElementText().trimmed();
        else if (r.isEndElement() && r.name() == QLatin1String("CessionarioCommittente"))
            break;
    }
    return QString();
}
} // namespace

// ---- The model -----------------------------------------------------------------------------

void RegisterModel::Reset(const QVector<RegisterEntry>& reg, int year, int month) {
    m_reg = reg;
    Filter(year, month);
}

void RegisterModel::Filter(int year, int month) {
    beginResetModel();
    m_rows = RegisterRows(m_reg, year, month);
    endResetModel();
}

QVariant RegisterModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const RegisterEntry& e = Entry(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case Numero:
            return e.Number();
        case Data:
            return DateText(e.Date());
        case Tipo:
            return e.IsCreditNote() ? QStringLiteral("Nota di credito") : QStringLiteral("Fattura");
        case Ricevuta:
            return e.numero;
        case Pagatore:
            return e.payer;
        case Importo:
            return e.total;
        case File:
            return e.file;
        case Stato:
            return e.stato.isEmpty() ? QStringLiteral("Da inviare") : e.stato;
        }
    } else if (role == Qt::TextAlignmentRole && index.column() == Importo) {
        return int(Qt::AlignRight | Qt::AlignVCenter);
    } else if (role == Qt::ForegroundRole && index.column() == Stato) {
        // What needs the office stands out: a rejection in red, an undelivered invoice in orange.
        if (IsRejectedState(e.stato))
            return QBrush(QColor(0xb0, 0x00, 0x20));
        if (Undeliverable(e))
            return QBrush(QColor(0xb0, 0x5a, 0x00));
        if (e.stato.startsWith(QLatin1String("Consegnata")))
            return QBrush(QColor(0x1b, 0x6e, 0x20));
        if (IsPackagedState(e.stato)) // written into a package, not yet uploaded: still the office's to do
            return QBrush(QColor(0x1f, 0x4e, 0x9a));
    } else if (role == Qt::ToolTipRole && index.column() == Stato) {
        return e.stato;
    }
    return {};
}

QVariant RegisterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* names[] = {"Numero", "Data", "Tipo", "Ricevuta", "Pagatore", "Importo", "File", "Stato"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}

// ---- The register window --------------------------------------------------------------------

TfrmFattureElettroniche::TfrmFattureElettroniche(Carvenna& app, const QString& year, QWidget* parent)
    : QDialog(parent), m_app(app), m_year(TrimText(year).toInt()) {
    setObjectName(QStringLiteral("TfrmFattureElettroniche"));
    AttachGuide(app, this, GuideTopic::RegistroFatture); // F1: this window's section of the guide
    setWindowTitle(QStringLiteral(" Carvenna - Fatture elettroniche"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Verdana"), 10));

    QLabel* tit = NamedLabel(QStringLiteral("Fatture elettroniche - anno %1").arg(m_year), this, "titFatture");
    tit->setFont(QFont(QStringLiteral("Verdana"), 18, QFont::Bold));
    txtMese = new QComboBox(this);
    txtMese->setObjectName(QStringLiteral("txtMese"));
    txtMese->addItem(QStringLiteral("Tutti i mesi"));
    txtMese->addItems(ItalianMonthNames());
    txtMese->setMinimumWidth(150);
    lblConteggio = NamedLabel(QString(), this, "lblConteggio");
    lblConteggio->setFont(QFont(QStringLiteral("Verdana"), 10, QFont::Bold));

    grdFatture = new QTableView(this);
    grdFatture->setObjectName(QStringLiteral("grdFatture"));
    m_model = new RegisterModel(this);
    grdFatture->setModel(m_model);
    grdFatture->verticalHeader()->hide();
    grdFatture->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdFatture->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdFatture->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdFatture->setAlternatingRowColors(true);
    grdFatture->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdFatture->verticalHeader()->setDefaultSectionSize(QFontMetrics(grdFatture->font()).height() + 10);
    grdFatture->horizontalHeader()->setStretchLastSection(true);
    // Room for the state, the column the office reads most ("Nel pacchetto ... (da caricare)").
    const int widths[] = {90, 95, 115, 75, 180, 85, 215};
    for (int c = 0; c < 7; ++c)
        grdFatture->setColumnWidth(c, widths[c]);

    lblStato = NamedLabel(QString(), this, "lblStato");
    lblStato->setWordWrap(true);
    lblStato->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblStato->setMinimumHeight(QFontMetrics(lblStato->font()).height() * 2 + 6);

    btnPacchetto = CommandButton(QStringLiteral("Crea pacchetto"), this, "btnPacchetto");
    btnPacchetto->setToolTip(QStringLiteral("Il file ZIP da caricare nel portale: le righe scelte, altrimenti quelle "
                                            "del mese non ancora inviate"));
    btnLeggiRicevute = CommandButton(QStringLiteral("Leggi ricevute SdI"), this, "btnLeggiRicevute");
    btnLeggiRicevute->setToolTip(QStringLiteral("Legge le ricevute del Sistema di Interscambio da una cartella"));
    btnCopie = CommandButton(QStringLiteral("Copie di cortesia"), this, "btnCopie");
    btnCopie->setToolTip(QStringLiteral("Stampa in una volta le copie delle righe scelte, altrimenti delle fatture "
                                        "non recapitate del mese"));
    btnEmail = CommandButton(QStringLiteral("Invia per e-mail"), this, "btnEmail");
    btnEmail->setToolTip(QStringLiteral("Un messaggio per pagatore con le copie di cortesia in PDF"));
    btnRiemetti = CommandButton(QStringLiteral("Emetti di nuovo"), this, "btnRiemetti");
    btnRiemetti->setToolTip(QStringLiteral("Una nuova fattura per la ricevuta della fattura scartata, o una nuova nota "
                                           "di credito per la fattura della nota scartata, con un nuovo numero"));
    btnInviate = CommandButton(QStringLiteral("Segna come inviate"), this, "btnInviate");
    btnInviate->setToolTip(QStringLiteral("Dopo aver caricato il pacchetto nel portale: le righe scelte, altrimenti "
                                          "tutte quelle del periodo ancora nel pacchetto"));
    btnBollo = CommandButton(QStringLiteral("Imposta di bollo"), this, "btnBollo");
    btnApriCartella = CommandButton(QStringLiteral("Apri cartella"), this, "btnApriCartella");
    btnChiudi = CommandButton(QStringLiteral("Chiudi"), this, "btnChiudi");

    auto* criteria = new QHBoxLayout;
    criteria->addWidget(NamedLabel(QStringLiteral("Mese:"), this, "lblMese"));
    criteria->addWidget(txtMese);
    criteria->addSpacing(20);
    criteria->addWidget(lblConteggio, 1);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b :
         {btnPacchetto, btnInviate, btnLeggiRicevute, btnCopie, btnEmail, btnRiemetti, btnBollo, btnApriCartella})
        commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(btnChiudi);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 16, 12);
    page->addWidget(tit);
    page->addLayout(criteria);
    page->addWidget(grdFatture, 1);
    page->addWidget(lblStato);
    page->addLayout(commands);

    connect(txtMese, &QComboBox::currentIndexChanged, this, &TfrmFattureElettroniche::txtMeseChange);
    connect(grdFatture->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfrmFattureElettroniche::CurrentChanged);
    connect(btnPacchetto, &QPushButton::clicked, this, &TfrmFattureElettroniche::btnPacchettoClick);
    connect(btnLeggiRicevute, &QPushButton::clicked, this, &TfrmFattureElettroniche::btnLeggiRicevuteClick);
    connect(btnCopie, &QPushButton::clicked, this, &TfrmFattureElettroniche::btnCopieClick);
    connect(btnEmail, &QPushButton::clicked, this, &TfrmFattureElettroniche::btnEmailClick);
    connect(btnRiemetti, &QPushButton::clicked, this, &TfrmFattureElettroniche::btnRiemettiClick);
    connect(btnInviate, &QPushButton::clicked, this, &TfrmFattureElettroniche::btnInviateClick);
    connect(btnBollo, &QPushButton::clicked, this, &TfrmFattureElettroniche::btnBolloClick);
    connect(btnApriCartella, &QPushButton::clicked, this, &TfrmFattureElettroniche::btnApriCartellaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);

    // The whole year: what is still to send or to upload may be of any month, and a current month with
    // nothing in it would look like an empty register.
    txtMese->blockSignals(true);
    txtMese->setCurrentIndex(0);
    txtMese->blockSignals(false);
    Reload();
    resize(1280, 680);
    TabLeavesViews(this); // Tab leaves the tables instead of walking their cells
}

void TfrmFattureElettroniche::Reload() {
    QVector<RegisterEntry> reg;
    QString why;
    if (!ReadRegister(RegisterPath(m_app.ProgramFolder()), reg, &why))
        m_app.messages().Warning(
            QStringLiteral("Attenzione: il registro delle fatture (FatturaPA/registro.csv) non può essere letto: %1")
                .arg(why),
            this);
    m_model->Reset(reg, m_year, txtMese->currentIndex());
    ShowCount();
}

void TfrmFattureElettroniche::txtMeseChange() {
    m_model->Filter(m_year, txtMese->currentIndex());
    ShowCount();
}

void TfrmFattureElettroniche::ShowCount() {
    int invoices = 0, notes = 0, rejected = 0, undelivered = 0, unsent = 0, packaged = 0;
    for (int r = 0; r < m_model->rowCount(); ++r) {
        const RegisterEntry& e = m_model->Entry(r);
        (e.IsCreditNote() ? notes : invoices) += 1;
        rejected += IsRejectedState(e.stato) ? 1 : 0;
        undelivered += Undeliverable(e) ? 1 : 0;
        unsent += e.stato.isEmpty() ? 1 : 0;
        packaged += IsPackagedState(e.stato) ? 1 : 0;
    }
    QString text = QStringLiteral("%1 fatture, %2 note di credito; da inviare: %3").arg(invoices).arg(notes).arg(unsent);
    if (packaged)
        text += QStringLiteral("; nel pacchetto da caricare: %1").arg(packaged);
    if (rejected)
        text += QStringLiteral("; scartate: %1").arg(rejected);
    if (undelivered)
        text += QStringLiteral("; non recapitate: %1").arg(undelivered);
    lblConteggio->setText(text);
    // The first line is current but not chosen: a choice is what the office selects, one line or more.
    grdFatture->clearSelection();
    if (m_model->rowCount() > 0)
        grdFatture->selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
    CurrentChanged();
}

void TfrmFattureElettroniche::CurrentChanged() {
    const QModelIndex current = grdFatture->currentIndex();
    if (!current.isValid()) {
        lblStato->setText(m_model->rowCount() == 0 ? QStringLiteral("Nessuna fattura elettronica nel periodo.")
                                                   : QString());
        btnRiemetti->setEnabled(false);
        return;
    }
    const RegisterEntry& e = m_model->Entry(current.row());
    QString text = QStringLiteral("%1 n. %2 del %3 - file %4 - ricevuta n. %5 - stato: %6")
                       .arg(e.IsCreditNote() ? QStringLiteral("Nota di credito") : QStringLiteral("Fattura"),
                            e.Number(), DateText(e.Date()), e.file, e.numero,
                            e.stato.isEmpty() ? QStringLiteral("da inviare") : e.stato);
    if (!e.collegata.isEmpty())
        text += e.IsCreditNote() ? QStringLiteral(" - storna la fattura %1").arg(e.collegata)
                                 : QStringLiteral(" - sostituisce la fattura scartata %1").arg(e.collegata);
    for (const RegisterEntry& other : m_model->All())
        if (!other.IsCreditNote() && other.collegata == e.file)
            text += QStringLiteral(" - sostituita dalla fattura %1").arg(other.file);
    lblStato->setText(text);
    btnRiemetti->setEnabled(e.IsCreditNote() ? InvoiceOfRejectedCreditNote(m_model->All(), e).has_value()
                                             : IsRejectedState(e.stato));
}

QStringList TfrmFattureElettroniche::SelectedFiles() const {
    QStringList files;
    QList<QModelIndex> rows = grdFatture->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& i : rows)
        files << m_model->Entry(i.row()).file;
    return files;
}

void TfrmFattureElettroniche::btnPacchettoClick() {
    QStringList files = SelectedFiles();
    const bool chosen = !files.isEmpty();
    if (!chosen)
        files = UnsentFiles(m_model->All(), m_year, txtMese->currentIndex());
    if (files.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: nel periodo non ci sono fatture da inviare. Per un "
                                                "pacchetto di fatture già inviate, sceglierle nell'elenco."),
                                 this);
        return;
    }
    if (!m_app.messages().Confirm(
            QStringLiteral("Creare il pacchetto per il portale con %1?\n\r\n\r%2")
                .arg(chosen ? Counted(files.size(), QStringLiteral("fattura scelta"), QStringLiteral("fatture scelte"))
                            : Counted(files.size(), QStringLiteral("fattura non ancora inviata"),
                                      QStringLiteral("fatture non ancora inviate")),
                     files.size() <= 12 ? files.join(QStringLiteral(", ")) : files.mid(0, 12).join(", ") + ", ..."),
            this))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PackageResult r = WritePackages(m_app.ProgramFolder(), m_app.SettingsPath(), files);
    QApplication::restoreOverrideCursor();
    if (!r.failure.isEmpty()) {
        m_app.messages().Error(QStringLiteral("Attenzione: nessun pacchetto è stato scritto.\n\r\n\r") + r.failure,
                               this);
        return;
    }
    m_app.messages().Information(
        QStringLiteral("%1 nella cartella FatturaPA: %2.\n\r\n\rCaricarlo nel portale \"Fatture e Corrispettivi\" "
                       "dell'Agenzia delle Entrate, poi premere \"Segna come inviate\": fino ad allora le fatture "
                       "restano \"nel pacchetto (da caricare)\".")
            .arg(r.packages.size() == 1 ? QStringLiteral("Pacchetto scritto") : QStringLiteral("Pacchetti scritti"),
                 r.packages.join(QStringLiteral(", "))),
        this);
    Reload();
}

void TfrmFattureElettroniche::btnLeggiRicevuteClick() {
    const QString folder = m_app.fileDialogs().Folder(
        this, QStringLiteral("Cartella con le ricevute del Sistema di Interscambio"), QDir::homePath());
    if (folder.isEmpty())
        return;
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*_RC_*.xml"), QStringLiteral("*_NS_*.xml"),
                                              QStringLiteral("*_MC_*.xml")},
                                             QDir::Files, QDir::Name | QDir::IgnoreCase))
        paths << dir.filePath(name);
    if (paths.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: la cartella %1 non contiene ricevute del Sistema di "
                                                "Interscambio (file ..._RC_nnn.xml, ..._NS_nnn.xml, ..._MC_nnn.xml).")
                                     .arg(QDir::toNativeSeparators(folder)),
                                 this);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const NoticeResult r = ApplySdiNotices(m_app.ProgramFolder(), paths);
    QApplication::restoreOverrideCursor();
    if (!r.failure.isEmpty()) {
        m_app.messages().Error(QStringLiteral("Attenzione: nessuna ricevuta è stata registrata.\n\r\n\r") + r.failure,
                               this);
        return;
    }
    QStringList parts;
    parts << QStringLiteral("Ricevute lette: %1 registrate, %2 già lette, %3 non valide.")
                 .arg(r.applied.size())
                 .arg(r.unchanged.size())
                 .arg(r.refused.size());
    if (!r.applied.isEmpty())
        parts << QStringLiteral("Registrate:\n\r") + r.applied.join(QStringLiteral("\n\r"));
    if (!r.refused.isEmpty())
        parts << QStringLiteral("Non valide (nulla è cambiato):\n\r") + r.refused.join(QStringLiteral("\n\r"));
    const QString text = parts.join(QStringLiteral("\n\r\n\r"));
    if (r.refused.isEmpty())
        m_app.messages().Information(text, this);
    else
        m_app.messages().Warning(text, this);
    Reload();
}

QVector<RegisterEntry> TfrmFattureElettroniche::ChosenForCopies() const {
    QVector<RegisterEntry> out;
    QList<QModelIndex> rows = grdFatture->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& i : rows)
        out << m_model->Entry(i.row());
    if (out.size() <= 1) {
        // Without a choice of several lines, the family copies owed: the undelivered invoices.
        QVector<RegisterEntry> owed;
        for (int r = 0; r < m_model->rowCount(); ++r)
            if (Undeliverable(m_model->Entry(r)))
                owed << m_model->Entry(r);
        if (!owed.isEmpty() && (out.isEmpty() || Undeliverable(out.first())))
            return owed;
    }
    return out;
}

namespace {
// The courtesy copies of `entries` in one document, with the reasons of the files that cannot be read.
std::optional<report::PreparedReport> CopiesOf(const QString& programFolder, const QVector<RegisterEntry>& entries,
                                               QStringList& problems, QString* code = nullptr) {
    std::optional<report::PreparedReport> all;
    for (const RegisterEntry& e : entries) {
        QFile f(InvoiceFolder(programFolder) + e.file);
        QString error;
        std::optional<report::PreparedReport> copy;
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray xml = f.readAll();
            copy = PrepareCourtesyCopy(xml, e.year, &error);
            if (code)
                *code = PayerCode(xml);
        } else {
            error = f.errorString();
        }
        if (!copy) {
            problems << QStringLiteral("%1: %2").arg(e.file, error);
            continue;
        }
        if (!all) {
            all = *copy;
        } else {
            for (const report::PreparedPage& page : copy->pages)
                all->pages.push_back(page);
        }
    }
    return all;
}
} // namespace

void TfrmFattureElettroniche::btnCopieClick() {
    const QVector<RegisterEntry> chosen = ChosenForCopies();
    if (chosen.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: scegliere nell'elenco le fatture di cui stampare la "
                                                "copia di cortesia."),
                                 this);
        return;
    }
    QStringList problems;
    std::optional<report::PreparedReport> doc = CopiesOf(m_app.ProgramFolder(), chosen, problems);
    if (doc && chosen.size() > 1) {
        doc->name = QStringLiteral("Copie di cortesia");
        doc->fileName = QStringLiteral("Copie_cortesia_%1.pdf").arg(m_year);
    }
    if (!problems.isEmpty())
        m_app.messages().Warning(QStringLiteral("Attenzione: queste fatture non possono essere lette e non sono "
                                                "nella stampa:\n\r") +
                                     problems.join(QStringLiteral("\n\r")),
                                 this);
    if (!doc)
        return;
    QString error;
    if (m_app.printing().Print(*doc, this, &error) == Printing::Result::Failed)
        m_app.messages().Error(QStringLiteral("Attenzione: stampa non riuscita: ") + error, this);
}

void TfrmFattureElettroniche::btnEmailClick() {
    const QVector<RegisterEntry> chosen = ChosenForCopies();
    if (chosen.isEmpty()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: scegliere nell'elenco le fatture di cui inviare la "
                                                "copia di cortesia."),
                                 this);
        return;
    }
    // One message per payer, with all of that payer's copies in one PDF.
    QMap<QString, QVector<RegisterEntry>> byPayer;
    QStringList order;
    for (const RegisterEntry& e : chosen) {
        if (!byPayer.contains(e.payer))
            order << e.payer;
        byPayer[e.payer] << e;
    }
    QStringList problems;
    int sent = 0;
    for (const QString& payer : order) {
        QString code;
        std::optional<report::PreparedReport> doc = CopiesOf(m_app.ProgramFolder(), byPayer[payer], problems, &code);
        if (!doc)
            continue;
        QStringList numbers;
        for (const RegisterEntry& e : byPayer[payer])
            numbers << e.Number();
        if (byPayer[payer].size() > 1) {
            QString safe = code.isEmpty() ? payer : code;
            for (QChar& c : safe)
                if (!c.isLetterOrNumber())
                    c = QLatin1Char('_');
            doc->fileName = QStringLiteral("Copie_cortesia_%1_%2.pdf").arg(m_year).arg(safe);
        }
        const MailRequest mail{code,
                               QStringLiteral("Copia di cortesia: %1 n. %2")
                                   .arg(byPayer[payer].size() > 1 ? QStringLiteral("documenti")
                                                                  : QStringLiteral("fattura"),
                                        numbers.join(QStringLiteral(", "))),
                               QStringLiteral("Gentile famiglia,\nin allegato la copia di cortesia dei documenti "
                                              "n. %1. Il documento valido ai fini fiscali è la fattura elettronica, "
                                              "disponibile nell'area riservata del sito dell'Agenzia delle Entrate.\n")
                                   .arg(numbers.join(QStringLiteral(", ")))};
        sent += MailDocument(m_app, this, *doc, mail) ? 1 : 0;
    }
    if (!problems.isEmpty())
        m_app.messages().Warning(QStringLiteral("Attenzione: queste fatture non possono essere lette e non sono "
                                                "state inviate:\n\r") +
                                     problems.join(QStringLiteral("\n\r")),
                                 this);
    Q_UNUSED(sent);
}

void TfrmFattureElettroniche::btnRiemettiClick() {
    const QModelIndex current = grdFatture->currentIndex();
    if (!current.isValid())
        return;
    const RegisterEntry e = m_model->Entry(current.row());
    if (e.IsCreditNote()) {
        RiemettiNotaDiCredito(e);
        return;
    }
    if (!IsRejectedState(e.stato)) {
        m_app.messages().Warning(QStringLiteral("Attenzione: si emette di nuovo soltanto una fattura scartata dal "
                                                "Sistema di Interscambio."),
                                 this);
        return;
    }
    m_app.messages().Information(QStringLiteral("La fattura %1 è stata scartata:\n\r%2\n\r\n\rCorreggere prima la causa "
                                                "(dati fiscali, scheda del pagatore o ricevuta), poi confermare "
                                                "la nuova fattura.")
                                     .arg(e.file, e.stato.mid(QStringLiteral("Scartata: ").size())
                                                      .replace(QStringLiteral(" | "), QStringLiteral("\n\r"))),
                                 this);
    EmettiFatturaRicevuta(m_app, this, m_app.ProgramFolder() + e.year + QStringLiteral(".ric"), e.position);
    Reload();
}

void TfrmFattureElettroniche::RiemettiNotaDiCredito(const RegisterEntry& note) {
    const std::optional<RegisterEntry> invoice = InvoiceOfRejectedCreditNote(m_model->All(), note);
    if (!invoice) {
        m_app.messages().Notice(QStringLiteral("Attenzione: si emette di nuovo soltanto una nota di credito scartata "
                                               "dal Sistema di Interscambio, finché la sua fattura non è stornata da "
                                               "un'altra nota."),
                                this);
        return;
    }
    if (!m_app.messages().Confirm(
            QStringLiteral("La nota di credito %1 (file %2) è stata scartata:\n\r%3\n\r\n\rEmettere una nuova nota di "
                           "credito, con un nuovo numero, che storna la fattura %4?")
                .arg(note.Number(), note.file,
                     note.stato.mid(QStringLiteral("Scartata: ").size()).replace(QStringLiteral(" | "), QStringLiteral("\n\r")),
                     invoice->file),
            this))
        return;
    CreditNoteWriter writer(m_app.ProgramFolder(), m_app.SettingsPath());
    QString why;
    if (!writer.Write(*invoice, m_app.clock().Today(), &why)) {
        m_app.messages().Error(QStringLiteral("Attenzione: la nuova nota di credito non è stata scritta.\n\r\n\r") + why,
                               this);
        Reload();
        return;
    }
    const RegisterEntry& written = writer.Entry();
    m_app.messages().Information(QStringLiteral("Nota di credito n. %1 scritta nella cartella FatturaPA: %2 (storna la "
                                                "fattura %3, al posto della nota scartata %4).")
                                     .arg(written.documento, written.file, written.collegata, note.file),
                                 this);
    Reload();
}

void TfrmFattureElettroniche::btnInviateClick() {
    QStringList files = SelectedFiles();
    if (files.isEmpty())
        files = PackagedFiles(m_model->All(), m_year, txtMese->currentIndex());
    QStringList waiting;
    for (const QString& f : files)
        for (const RegisterEntry& e : m_model->All())
            if (e.file == f && IsPackagedState(e.stato))
                waiting << f;
    if (waiting.isEmpty()) {
        m_app.messages().Notice(QStringLiteral("Attenzione: nessuna fattura in un pacchetto da caricare."), this);
        return;
    }
    if (!m_app.messages().Confirm(QStringLiteral("Segnare come inviate %1, già caricate nel portale?")
                                      .arg(Counted(waiting.size(), QStringLiteral("fattura"), QStringLiteral("fatture"))),
                                  this))
        return;
    const UploadResult r = MarkUploaded(m_app.ProgramFolder(), waiting);
    if (!r.failure.isEmpty())
        m_app.messages().Error(QStringLiteral("Attenzione: nessuna fattura è stata segnata.\n\r\n\r") + r.failure, this);
    Reload();
}

void TfrmFattureElettroniche::btnBolloClick() {
    TfrmImpostaBollo dlg(m_app, m_year, m_model->All(), this);
    dlg.exec();
}

void TfrmFattureElettroniche::btnApriCartellaClick() {
    const QString folder = InvoiceFolder(m_app.ProgramFolder());
    QDir().mkpath(folder);
    m_app.shell().Open(QDir::toNativeSeparators(folder));
}

// ---- The stamp duty window -------------------------------------------------------------------

TfrmImpostaBollo::TfrmImpostaBollo(Carvenna& app, int year, const QVector<RegisterEntry>& reg, QWidget* parent)
    : QDialog(parent), m_app(app), m_year(year),
      m_quarters(StampDutyQuarters(reg, year, InvoiceFolder(app.ProgramFolder()))) {
    setObjectName(QStringLiteral("TfrmImpostaBollo"));
    setWindowTitle(QStringLiteral(" Imposta di bollo %1").arg(year));
    setFont(QFont(QStringLiteral("Verdana"), 10));
    QLabel* tit = NamedLabel(QStringLiteral("Imposta di bollo virtuale - anno %1").arg(year), this, "titBollo");
    tit->setFont(QFont(QStringLiteral("Verdana"), 14, QFont::Bold));
    QLabel* note = NamedLabel(QStringLiteral("2,00 euro per ogni fattura o nota di credito con bollo virtuale, esclusi i "
                                        "documenti scartati. Si paga con il modello F24."),
                         this, "lblSpiega");
    note->setWordWrap(true);
    // Four quarters: a view over a small model, as every grid of the program.
    auto* quarters = new QStandardItemModel(4, 5, this);
    quarters->setHorizontalHeaderLabels({QStringLiteral("Trimestre"), QStringLiteral("Documenti"),
                                         QStringLiteral("Importo dovuto"), QStringLiteral("Codice tributo F24"),
                                         QStringLiteral("Scadenza")});
    grdTrimestri = new QTableView(this);
    grdTrimestri->setObjectName(QStringLiteral("grdTrimestri"));
    grdTrimestri->setModel(quarters);
    grdTrimestri->verticalHeader()->hide();
    grdTrimestri->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdTrimestri->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdTrimestri->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int q = 0; q < 4; ++q) {
        const StampQuarter& s = m_quarters[q];
        const QStringList cells = {QStringLiteral("%1° trimestre").arg(q + 1), QString::number(s.documents.size()),
                                   QStringLiteral("€ ") + EuroComma(s.dueCents), s.taxCode,
                                   s.deadline.toString(QStringLiteral("dd/MM/yyyy"))};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QStandardItem(cells[c]);
            if (c > 0)
                item->setTextAlignment(Qt::AlignCenter);
            quarters->setItem(q, c, item);
        }
    }
    btnStampa = CommandButton(QStringLiteral("Stampa"), this, "btnStampa");
    btnEsporta = CommandButton(QStringLiteral("Esporta in Excel"), this, "btnEsporta");
    btnChiudi = CommandButton(QStringLiteral("Chiudi"), this, "btnChiudi");
    auto* commands = new QHBoxLayout;
    commands->addWidget(btnStampa);
    commands->addWidget(btnEsporta);
    commands->addStretch(1);
    commands->addWidget(btnChiudi);
    auto* page = new QVBoxLayout(this);
    page->addWidget(tit);
    page->addWidget(note);
    page->addWidget(grdTrimestri, 1);
    page->addLayout(commands);
    connect(btnStampa, &QPushButton::clicked, this, &TfrmImpostaBollo::btnStampaClick);
    connect(btnEsporta, &QPushButton::clicked, this, &TfrmImpostaBollo::btnEsportaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, 320);
}

void TfrmImpostaBollo::btnStampaClick() {
    QString error;
    const std::optional<report::PreparedReport> doc = PrepareStampDutyReport(
        m_quarters, m_year, LoadFiscalData(m_app.SettingsPath()).denominazione, &error);
    if (!doc || m_app.printing().Preview(*doc, this, &error) == Printing::Result::Failed)
        m_app.messages().Error(QStringLiteral("Attenzione: stampa non riuscita: ") + error, this);
}

void TfrmImpostaBollo::btnEsportaClick() {
    const QString path = m_app.fileDialogs().Save(
        this, QStringLiteral("Esporta l'imposta di bollo"), QStringLiteral("Cartella di lavoro Excel (*.xlsx)"),
        m_app.ProgramFolder() + QStringLiteral("Imposta_di_bollo_%1.xlsx").arg(m_year), QStringLiteral("xlsx"));
    if (path.isEmpty())
        return;
    // One row per document, with its quarter, code and deadline, so the workbook also totals by quarter.
    struct Row {
        const StampQuarter* q;
        const RegisterEntry* e;
    };
    QVector<Row> rows;
    for (const StampQuarter& q : m_quarters)
        for (const RegisterEntry& e : q.documents)
            rows.append({&q, &e});
    const QVector<XlsxColumn> columns = {
        {QStringLiteral("Trimestre"), 80, CellKind::Count},   {QStringLiteral("Codice tributo"), 100, CellKind::Text},
        {QStringLiteral("Scadenza"), 90, CellKind::Date},     {QStringLiteral("Tipo"), 110, CellKind::Text},
        {QStringLiteral("Numero"), 100, CellKind::Text},      {QStringLiteral("Data"), 90, CellKind::Date},
        {QStringLiteral("Pagatore"), 220, CellKind::Text},    {QStringLiteral("File"), 200, CellKind::Text},
        {QStringLiteral("Bollo"), 70, CellKind::Amount}};
    QString error;
    const bool ok = WriteXlsxDocument(path, QStringLiteral("Imposta di bollo %1").arg(m_year), columns, rows.size(),
                                      [&rows](qint64 r, int c) -> QString {
                                          const Row& row = rows[int(r)];
                                          switch (c) {
                                          case 0:
                                              return QString::number(row.q->quarter);
                                          case 1:
                                              return row.q->taxCode;
                                          case 2:
                                              return row.q->deadline.toString(QStringLiteral("dd/MM/yyyy"));
                                          case 3:
                                              return row.e->IsCreditNote() ? QStringLiteral("Nota di credito")
                                                                           : QStringLiteral("Fattura");
                                          case 4:
                                              return row.e->Number();
                                          case 5:
                                              return row.e->Date().toString(QStringLiteral("dd/MM/yyyy"));
                                          case 6:
                                              return row.e->payer;
                                          case 7:
                                              return row.e->file;
                                          default:
                                              return EuroComma(StampCents);
                                          }
                                      },
                                      &error);
    if (ok)
        m_app.messages().Information(QStringLiteral("Imposta di bollo esportata nel file %1.")
                                         .arg(QDir::toNativeSeparators(path)),
                                     this);
    else
        m_app.messages().Error(QStringLiteral("Attenzione: esportazione non riuscita: ") + error, this);
}
