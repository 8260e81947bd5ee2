#include "registry/ImportaSchede.h"
#include "registry/CardFields.h"
#include "registry/SheetConvert.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/CommonMessages.h"
#include "app/Placement.h"
#include "storage/Text.h"
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QUrl>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kPreviewRows = 8;

QLabel* Caption(const QString& text, QWidget* parent, const char* name) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}
} // namespace

TfrmImportaSchede::TfrmImportaSchede(Carvenna& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_office(FindOffice()) {
    setObjectName(QStringLiteral("TfrmImportaSchede"));
    setWindowTitle(QStringLiteral(" Importa schede"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(980, 690);

    auto* titImporta = Caption(QStringLiteral("Importa schede da un foglio di calcolo"), this, "titImporta");
    auto* lblFile = Caption(QStringLiteral("File da importare (CSV, ODS o XLSX):"), this, "lblFile");
    txtFile = new QLineEdit(this);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    // The path may be typed or pasted (a file manager's copy gives a file:// address); Enter reads it.
    txtFile->setPlaceholderText(QStringLiteral("Scrivere o incollare il percorso del file e premere Invio"));
    btnSfoglia = new QPushButton(QStringLiteral("Scegli file..."), this);
    btnSfoglia->setObjectName(QStringLiteral("btnSfoglia"));
    chkIntestazione = new QCheckBox(QStringLiteral("La prima riga contiene le intestazioni delle colonne"), this);
    chkIntestazione->setObjectName(QStringLiteral("chkIntestazione"));
    chkIntestazione->setChecked(true);

    auto* lblAnteprima = Caption(QStringLiteral("Prime righe del file:"), this, "lblAnteprima");
    m_preview = new QStandardItemModel(this);
    grdAnteprima = new QTableView(this);
    grdAnteprima->setObjectName(QStringLiteral("grdAnteprima"));
    grdAnteprima->setModel(m_preview);
    grdAnteprima->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdAnteprima->verticalHeader()->setDefaultSectionSize(22);

    auto* lblColonne = Caption(QStringLiteral("Campo della scheda per ogni colonna:"), this, "lblColonne");
    m_columns = new QStandardItemModel(0, 3, this);
    m_columns->setHorizontalHeaderLabels(
        {QStringLiteral("Colonna del file"), QStringLiteral("Primo valore"), QStringLiteral("Campo della scheda")});
    grdColonne = new QTableView(this);
    grdColonne->setObjectName(QStringLiteral("grdColonne"));
    grdColonne->setModel(m_columns);
    grdColonne->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdColonne->verticalHeader()->setDefaultSectionSize(28);
    grdColonne->horizontalHeader()->setStretchLastSection(true);

    auto* lblEsito = Caption(QStringLiteral("Righe con errori o avvisi:"), this, "lblEsito");
    m_outcome = new QStringListModel(this);
    lstEsito = new QListView(this);
    lstEsito->setObjectName(QStringLiteral("lstEsito"));
    lstEsito->setModel(m_outcome);
    // A long reason wraps onto the next line instead of hiding behind a horizontal scroll bar; the
    // lines differ in height then, and the list holds only the rows to look at.
    lstEsito->setWordWrap(true);
    lstEsito->setUniformItemSizes(false);
    lstEsito->setResizeMode(QListView::Adjust);
    lstEsito->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstEsito->setTextElideMode(Qt::ElideNone);
    lstEsito->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lblRiepilogo = Caption(QString(), this, "lblRiepilogo");
    QFont bold = lblRiepilogo->font();
    bold.setBold(true);
    lblRiepilogo->setFont(bold);
    chkSaltaPresenti = new QCheckBox(QStringLiteral("Non importare le schede già presenti in archivio"), this);
    chkSaltaPresenti->setObjectName(QStringLiteral("chkSaltaPresenti"));
    chkSaltaPresenti->setChecked(true);
    btnImporta = new QPushButton(QStringLiteral("Importa"), this);
    btnImporta->setObjectName(QStringLiteral("btnImporta"));
    btnImporta->setAutoDefault(false);
    btnChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    btnChiudi->setObjectName(QStringLiteral("btnChiudi"));
    btnChiudi->setAutoDefault(false);
    btnSfoglia->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(titImporta, 0, 0, 1, 3);
    grid->addWidget(lblFile, 1, 0, 1, 3);
    grid->addWidget(txtFile, 2, 0, 1, 2);
    grid->addWidget(btnSfoglia, 2, 2);
    grid->addWidget(chkIntestazione, 3, 0, 1, 3);
    grid->addWidget(lblAnteprima, 4, 0, 1, 3);
    grid->addWidget(grdAnteprima, 5, 0, 1, 3);
    grid->addWidget(lblColonne, 6, 0);
    grid->addWidget(lblEsito, 6, 1, 1, 2);
    grid->addWidget(grdColonne, 7, 0);
    grid->addWidget(lstEsito, 7, 1, 1, 2);
    grid->addWidget(lblRiepilogo, 8, 0, 1, 3);
    auto* bar = new QHBoxLayout;
    bar->addWidget(chkSaltaPresenti);
    bar->addWidget(NewGuideButton(this));
    bar->addStretch();
    bar->addWidget(btnImporta);
    bar->addWidget(btnChiudi);
    grid->addLayout(bar, 9, 0, 1, 3);
    grid->setColumnStretch(0, 5);
    grid->setColumnStretch(1, 4);
    grid->setRowStretch(5, 2);
    grid->setRowStretch(7, 3);

    connect(btnSfoglia, &QPushButton::clicked, this, &TfrmImportaSchede::btnSfogliaClick);
    connect(txtFile, &QLineEdit::returnPressed, this, &TfrmImportaSchede::txtFileEnter);
    connect(btnImporta, &QPushButton::clicked, this, &TfrmImportaSchede::btnImportaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    TabLeavesViews(this);
    AttachGuide(m_app, this, GuideTopic::ImportaSchede, findChild<QPushButton*>(QStringLiteral("btnGuida")));
    connect(chkIntestazione, &QCheckBox::clicked, this, &TfrmImportaSchede::chkIntestazioneClick);
    connect(chkSaltaPresenti, &QCheckBox::clicked, this, &TfrmImportaSchede::Recheck);
    ShowSheet();
}

void TfrmImportaSchede::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    CentreOnScreen(this);
    // Opened from the registry editor without a file: the file is the first thing to choose.
    if (!m_asked && txtFile->text().isEmpty()) {
        m_asked = true;
        QTimer::singleShot(0, this, &TfrmImportaSchede::btnSfogliaClick);
    }
}

void TfrmImportaSchede::btnSfogliaClick() {
    m_asked = true;
    const QString path = m_app.fileDialogs().Open(
        this, QStringLiteral("Importa schede"),
        QStringLiteral("Fogli di calcolo (*.csv *.txt *.ods *.xlsx *.xls);;Tutti i file (*)"), m_app.ProgramFolder());
    if (!path.isEmpty())
        LoadFile(path);
}

QString TfrmImportaSchede::TypedPath(const QString& typed) {
    QString path = typed.trimmed();
    if (path.size() >= 2 && ((path.startsWith(u'"') && path.endsWith(u'"')) ||
                             (path.startsWith(u'\'') && path.endsWith(u'\''))))
        path = path.mid(1, path.size() - 2);
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        path = QUrl(path).toLocalFile();
    return QDir::fromNativeSeparators(path);
}

void TfrmImportaSchede::txtFileEnter() {
    const QString path = TypedPath(txtFile->text());
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile()) {
        m_app.messages().Warning(QStringLiteral("Attenzione: il file %1 non esiste.").arg(QDir::toNativeSeparators(path)),
                                 this);
        txtFile->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!LoadFile(path))
        txtFile->setFocus(Qt::OtherFocusReason);
}

bool TfrmImportaSchede::LoadFile(const QString& path) {
    m_asked = true;
    CsvSheet sheet;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor); // LibreOffice takes a few seconds
        sheet = ReadSheetFile(path, m_office, m_app.programs());
        QApplication::restoreOverrideCursor();
    }
    if (!sheet.error.isEmpty()) {
        m_app.messages().Warning(sheet.error, this);
        return false;
    }
    m_sheet = sheet;
    txtFile->setText(QDir::toNativeSeparators(path));
    chkIntestazione->setChecked(true);
    m_mapping = GuessMapping(Header());
    ShowSheet();
    return true;
}

QStringList TfrmImportaSchede::Header() const {
    if (m_sheet.rows.isEmpty())
        return {};
    if (chkIntestazione->isChecked())
        return m_sheet.rows.first();
    QStringList names;
    for (int c = 0; c < m_sheet.rows.first().size(); ++c)
        names << QStringLiteral("Colonna %1").arg(c + 1);
    return names;
}

void TfrmImportaSchede::chkIntestazioneClick() {
    if (chkIntestazione->isChecked())
        m_mapping = GuessMapping(Header());
    ShowSheet();
}

void TfrmImportaSchede::SetMapping(int column, int field) {
    if (column < 0 || column >= m_combos.size())
        return;
    m_combos[column]->setCurrentIndex(m_combos[column]->findData(field)); // runs Recheck
}

void TfrmImportaSchede::ShowSheet() {
    const QStringList header = Header();
    m_mapping.resize(header.size());
    // Preview: the header as the grid's own header, then the first rows.
    m_preview->clear();
    m_preview->setColumnCount(header.size());
    m_preview->setHorizontalHeaderLabels(header);
    const int first = chkIntestazione->isChecked() ? 1 : 0;
    QStringList rowNames;
    for (int i = first; i < m_sheet.rows.size() && i < first + kPreviewRows; ++i) {
        QList<QStandardItem*> items;
        for (const QString& v : m_sheet.rows[i])
            items << new QStandardItem(v);
        m_preview->appendRow(items);
        rowNames << QString::number(m_sheet.rowNumbers[i]);
    }
    m_preview->setVerticalHeaderLabels(rowNames);
    grdAnteprima->resizeColumnsToContents();
    for (int c = 0; c < m_preview->columnCount(); ++c)
        grdAnteprima->setColumnWidth(c, qMin(grdAnteprima->columnWidth(c), 220));

    // One line per column with a choice of card field.
    m_columns->removeRows(0, m_columns->rowCount());
    m_combos.clear();
    int fieldWidth = 0;
    for (int c = 0; c < header.size(); ++c) {
        const QString sample = m_sheet.rows.size() > first ? m_sheet.rows[first].value(c) : QString();
        m_columns->appendRow({new QStandardItem(header[c]), new QStandardItem(sample), new QStandardItem});
        auto* combo = new QComboBox;
        combo->setObjectName(QStringLiteral("cboCampo%1").arg(c + 1, 2, 10, QLatin1Char('0')));
        combo->addItem(QStringLiteral("(non importare)"), kNoField);
        for (int f = 0; f < kImportFieldCount; ++f)
            combo->addItem(CardFieldCaption(f), f);
        combo->addItem(ChildTaxCodeCaption(), kChildTaxCodeColumn);
        // Wide enough for the longest caption, in the box and in its open list.
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        combo->view()->setMinimumWidth(combo->sizeHint().width());
        fieldWidth = qMax(fieldWidth, combo->sizeHint().width());
        combo->setCurrentIndex(combo->findData(m_mapping[c]));
        connect(combo, &QComboBox::currentIndexChanged, this, [this, c, combo] {
            m_mapping[c] = combo->currentData().toInt();
            Recheck();
        });
        grdColonne->setIndexWidget(m_columns->index(c, 2), combo);
        m_combos << combo;
    }
    grdColonne->setColumnWidth(0, 150);
    grdColonne->setColumnWidth(1, 110);
    // The field column is the last and stretches; the grid keeps room for its widest choice.
    grdColonne->setMinimumWidth(150 + 110 + fieldWidth + grdColonne->verticalHeader()->width() + 24);
    Recheck();
}

void TfrmImportaSchede::Recheck() {
    m_rows = CheckImportRows(m_sheet, m_mapping, chkIntestazione->isChecked());
    // Cards already in the registry are looked up now to warn; the import looks again under the lock.
    QSet<QString> keys;
    RegistryFile file;
    if (!m_rows.isEmpty() && QFileInfo::exists(m_app.Path(QLatin1String(RegistryFileName))) &&
        file.OpenOrCreate(m_app.ProgramFolder()))
        ExistingCardKeys(file.Raw(), &keys);
    file.Close();
    MarkExistingCards(m_rows, keys);

    int good = 0, bad = 0, present = 0, repeated = 0;
    QStringList lines;
    for (const ImportRow& r : m_rows) {
        if (!r.Good()) {
            ++bad;
            lines << QStringLiteral("Riga %1: %2").arg(r.row).arg(r.errors.join(QStringLiteral("; ")));
            continue;
        }
        if (r.existing || r.repeated) {
            ++(r.existing ? present : repeated);
            if (chkSaltaPresenti->isChecked()) {
                lines << QStringLiteral("Riga %1 (non importata): %2")
                             .arg(r.row)
                             .arg(r.warnings.join(QStringLiteral("; ")));
                continue;
            }
        }
        ++good;
        if (!r.warnings.isEmpty())
            lines << QStringLiteral("Riga %1 (avviso): %2").arg(r.row).arg(r.warnings.join(QStringLiteral("; ")));
    }
    m_outcome->setStringList(lines);
    QString summary = Counted(good, QStringLiteral("scheda da importare"), QStringLiteral("schede da importare")) +
                      QStringLiteral(", %1 con errori").arg(bad);
    if (present > 0)
        summary += QStringLiteral(", ") +
                   Counted(present, QStringLiteral("già presente in archivio"), QStringLiteral("già presenti in archivio"));
    if (repeated > 0)
        summary += QStringLiteral(", ") +
                   Counted(repeated, QStringLiteral("ripetuta nel file"), QStringLiteral("ripetute nel file"));
    lblRiepilogo->setText(m_sheet.rows.isEmpty() ? QString() : summary);
    btnImporta->setEnabled(good > 0);
}

void TfrmImportaSchede::btnImportaClick() {
    Recheck();
    int good = 0;
    for (const ImportRow& r : m_rows)
        good += r.Good() && !(chkSaltaPresenti->isChecked() && (r.existing || r.repeated)) ? 1 : 0;
    if (good == 0) {
        m_app.messages().Warning(QStringLiteral("Attenzione: nessuna scheda da importare."), this);
        return;
    }
    // A wrong tax code or VAT number does not stop the import, as it does not stop "Salva": the question
    // names the rows, and the answer decides.
    QStringList wrongCodes;
    for (const ImportRow& r : m_rows)
        if (r.Good() && r.wrongCode && !(chkSaltaPresenti->isChecked() && (r.existing || r.repeated)))
            wrongCodes << QString::number(r.row);
    QString question = QStringLiteral("Inserire in archivio %1?")
                           .arg(Counted(good, QStringLiteral("scheda"), QStringLiteral("schede")));
    if (wrongCodes.size() == 1)
        question += QStringLiteral("\n\r\n\rLa riga %1 ha un codice fiscale o una partita IVA non corretti: la scheda "
                                   "sarà inserita così com'è.")
                        .arg(wrongCodes.first());
    else if (!wrongCodes.isEmpty())
        question += QStringLiteral("\n\r\n\rLe righe %1 hanno un codice fiscale o una partita IVA non corretti: le "
                                   "schede saranno inserite così come sono.")
                        .arg(wrongCodes.join(QStringLiteral(", ")));
    question += QStringLiteral("\n\r\n\rLe righe con errori non saranno importate.");
    const bool asked = wrongCodes.isEmpty() ? m_app.messages().Confirm(question, this)
                                            : m_app.messages().Ask(question, this);
    if (!asked)
        return;
    const ImportOutcome out = AppendImportedCards(m_app.ProgramFolder(), m_rows, chkSaltaPresenti->isChecked());
    if (!out.ok) {
        m_app.messages().Error(ArchiveAccessError(), this);
        return;
    }
    m_imported = out.appended;
    m_first = out.first;
    if (out.appended == 0) {
        // Another workstation stored the same cards meanwhile.
        m_app.messages().Information(QStringLiteral("Nessuna scheda inserita: sono tutte già presenti in archivio."),
                                     this);
        Recheck();
        return;
    }
    m_app.messages().Information(out.appended == 1
                                     ? QStringLiteral("È stata inserita in archivio 1 scheda (numero %1).").arg(out.first)
                                     : QStringLiteral("Sono state inserite in archivio %1 schede (dalla numero %2 alla %3).")
                                           .arg(out.appended)
                                           .arg(out.first)
                                           .arg(out.first + out.appended - 1),
                                 this);
    accept();
}
