#include "backup/CopieSicurezza.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include "app/Placement.h"
#include "storage/RegistryFile.h"
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStringListModel>
#include <QTableView>

namespace {
QString SizeText(qint64 bytes) {
    const QLocale it(QLocale::Italian, QLocale::Italy);
    if (bytes < 1024)
        return QStringLiteral("%1 byte").arg(bytes);
    if (bytes < 1024 * 1024)
        return it.toString(bytes / 1024.0, 'f', 1) + QStringLiteral(" KB");
    return it.toString(bytes / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

QString DayText(const QDate& d) {
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}

// The moment of a copy as the questions name it: "del 09/12/2026 alle 18:30", or only the day when the
// folder tells no time.
QString CopyMoment(const BackupDay& day) {
    QString text = QStringLiteral("del ") + DayText(day.day);
    if (day.taken.isValid() && day.taken.date() == day.day)
        text += QStringLiteral(" alle ") + day.taken.toString(QStringLiteral("HH:mm"));
    return text;
}

// What a restore of this file loses, in words. The copy may be from this very morning: what was written
// after it is counted from the records, not from the day.
QString WhatIsLost(const BackupFileInfo& copy, const BackupFileInfo& current) {
    if (copy.recordSize == 0) {
        if (copy.Contents() == QLatin1String("password"))
            return QStringLiteral("una password cambiata dopo la copia andrà persa.");
        return QStringLiteral("ogni modifica fatta al file dopo la copia andrà persa.");
    }
    const bool receipts = copy.recordSize != RegistryRecord::Size;
    const qint64 added = current.records - copy.records;
    QString lost;
    if (added == 1)
        lost = receipts ? QStringLiteral("andrà persa 1 ricevuta inserita dopo la copia")
                        : QStringLiteral("andrà persa 1 scheda inserita dopo la copia");
    else if (added > 1)
        lost = QStringLiteral("andranno perse le %1 %2 inserite dopo la copia")
                   .arg(added)
                   .arg(receipts ? QStringLiteral("ricevute") : QStringLiteral("schede"));
    if (added > 0)
        lost += QStringLiteral(" e ogni modifica fatta da allora alle altre.");
    else
        lost = receipts ? QStringLiteral("andrà persa ogni modifica fatta alle ricevute dopo la copia.")
                        : QStringLiteral("andrà persa ogni modifica fatta alle schede dopo la copia.");
    if (!receipts)
        lost +=
            QStringLiteral(" Le foto delle schede che la copia non contiene saranno spostate nella stessa cartella.");
    return lost;
}
} // namespace

TfrmCopieSicurezza::TfrmCopieSicurezza(Carvenna& app, QWidget* parent) : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("TfrmCopieSicurezza"));
    setWindowTitle(QStringLiteral(" Copie di sicurezza"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(760, 480);

    auto* titCopie = new QLabel(QStringLiteral("Copie di sicurezza"), this);
    titCopie->setObjectName(QStringLiteral("titCopie"));
    auto* lblIstruzioni = new QLabel(
        QStringLiteral("Ogni giorno, al primo accesso, il programma copia gli archivi e le impostazioni nella cartella "
                       "Backup. Scegliere un giorno e un file per rimetterlo al posto di quello attuale."),
        this);
    lblIstruzioni->setObjectName(QStringLiteral("lblIstruzioni"));
    lblIstruzioni->setWordWrap(true);
    auto* lblGiorni = new QLabel(QStringLiteral("Giorni:"), this);
    lblGiorni->setObjectName(QStringLiteral("lblGiorni"));
    m_dayModel = new QStringListModel(this);
    lstGiorni = new QListView(this);
    lstGiorni->setObjectName(QStringLiteral("lstGiorni"));
    lstGiorni->setModel(m_dayModel);
    lstGiorni->setUniformItemSizes(true);
    lstGiorni->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* lblFile = new QLabel(QStringLiteral("File della copia:"), this);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    m_fileModel = new QStandardItemModel(0, 3, this);
    m_fileModel->setHorizontalHeaderLabels(
        {QStringLiteral("File"), QStringLiteral("Dimensione"), QStringLiteral("Contenuto")});
    grdFile = new QTableView(this);
    grdFile->setObjectName(QStringLiteral("grdFile"));
    grdFile->setModel(m_fileModel);
    grdFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdFile->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdFile->setSelectionMode(QAbstractItemView::SingleSelection);
    grdFile->verticalHeader()->hide();
    grdFile->horizontalHeader()->setStretchLastSection(true);
    grdFile->setColumnWidth(0, 200);
    grdFile->setColumnWidth(1, 100);
    prgCopia = new QProgressBar(this);
    prgCopia->setObjectName(QStringLiteral("prgCopia"));
    prgCopia->setRange(0, 1000);
    prgCopia->setTextVisible(false);
    prgCopia->hide();
    lblStato = new QLabel(this);
    lblStato->setObjectName(QStringLiteral("lblStato"));
    btnRipristina = new QPushButton(QStringLiteral("Ripristina"), this);
    btnRipristina->setObjectName(QStringLiteral("btnRipristina"));
    btnCopiaSu = new QPushButton(QStringLiteral("Copia su..."), this);
    btnCopiaSu->setObjectName(QStringLiteral("btnCopiaSu"));
    btnChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    btnChiudi->setObjectName(QStringLiteral("btnChiudi"));
    for (QPushButton* b : {btnRipristina, btnCopiaSu, btnChiudi})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(titCopie, 0, 0, 1, 2);
    grid->addWidget(lblIstruzioni, 1, 0, 1, 2);
    grid->addWidget(lblGiorni, 2, 0);
    grid->addWidget(lblFile, 2, 1);
    grid->addWidget(lstGiorni, 3, 0);
    grid->addWidget(grdFile, 3, 1);
    grid->addWidget(lblStato, 4, 0, 1, 2);
    grid->addWidget(prgCopia, 5, 0, 1, 2);
    auto* bar = new QHBoxLayout;
    bar->addWidget(btnRipristina);
    bar->addWidget(btnCopiaSu);
    bar->addStretch();
    bar->addWidget(NewGuideButton(this));
    bar->addWidget(btnChiudi);
    grid->addLayout(bar, 6, 0, 1, 2);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 5);
    grid->setRowStretch(3, 1);

    connect(lstGiorni->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TfrmCopieSicurezza::lstGiorniChange);
    connect(btnRipristina, &QPushButton::clicked, this, &TfrmCopieSicurezza::btnRipristinaClick);
    connect(btnCopiaSu, &QPushButton::clicked, this, &TfrmCopieSicurezza::btnCopiaSuClick);
    connect(btnChiudi, &QPushButton::clicked, this, &TfrmCopieSicurezza::reject);
    TabLeavesViews(this);
    AttachGuide(m_app, this, GuideTopic::CopieSicurezza, findChild<QPushButton*>(QStringLiteral("btnGuida")));
    Refresh();
}

void TfrmCopieSicurezza::reject() {
    if (!m_copying) // a copy under way finishes first
        QDialog::reject();
}

void TfrmCopieSicurezza::Refresh() {
    m_days = ListBackupDays(m_app.ProgramFolder());
    QStringList labels;
    for (const BackupDay& d : m_days)
        labels << d.Label();
    m_dayModel->setStringList(labels);
    btnRipristina->setEnabled(!m_days.isEmpty());
    lblStato->setText(m_days.isEmpty() ? QStringLiteral("La cartella Backup non contiene nessuna copia.") : QString());
    Select(0);
}

void TfrmCopieSicurezza::Select(int day, int file) {
    if (day >= 0 && day < m_days.size())
        lstGiorni->setCurrentIndex(m_dayModel->index(day));
    lstGiorniChange();
    if (file >= 0 && file < m_fileModel->rowCount())
        grdFile->selectRow(file);
}

int TfrmCopieSicurezza::CurrentDay() const {
    const int row = lstGiorni->currentIndex().row();
    return row >= 0 && row < m_days.size() ? row : -1;
}

int TfrmCopieSicurezza::CurrentFile() const {
    const QModelIndexList rows = grdFile->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TfrmCopieSicurezza::lstGiorniChange() {
    m_fileModel->removeRows(0, m_fileModel->rowCount());
    const int day = CurrentDay();
    if (day < 0)
        return;
    for (const BackupFileInfo& f : m_days[day].files) {
        auto* size = new QStandardItem(SizeText(f.size));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* contents = new QStandardItem(f.Contents());
        if (f.Damaged())
            contents->setForeground(Qt::red);
        m_fileModel->appendRow({new QStandardItem(f.name), size, contents});
    }
}

QString TfrmCopieSicurezza::RestoreQuestion(const BackupDay& day, const BackupFileInfo& file) const {
    const BackupFileInfo current = DescribeBackupFile(m_app.Path(file.name));
    const bool exists = QFileInfo::exists(m_app.Path(file.name));
    const QString aside = QDir::toNativeSeparators(QStringLiteral("Backup/") +
                                                   m_app.clock().Today().toString(QStringLiteral("yyyy-MM-dd")) +
                                                   QStringLiteral("-prima-del-ripristino"));
    QString text = QStringLiteral("Ripristinare il file %1 dalla copia %2?").arg(file.name, CopyMoment(day));
    if (!exists)
        return text + QStringLiteral("\n\r\n\rIl file %1 non è presente nella cartella del programma: sarà creato "
                                     "dalla copia (%2).")
                          .arg(file.name, file.Contents().isEmpty() ? SizeText(file.size) : file.Contents());
    const auto what = [](const BackupFileInfo& f) { return f.Contents().isEmpty() ? SizeText(f.size) : f.Contents(); };
    text += QStringLiteral("\n\r\n\rIl file attuale (%1) sarà sostituito dalla copia (%2): %3")
                .arg(what(current), what(file), WhatIsLost(file, current));
    text += QStringLiteral("\n\r\n\rIl file attuale sarà prima copiato nella cartella %1.").arg(aside);
    return text;
}

void TfrmCopieSicurezza::btnRipristinaClick() {
    const int day = CurrentDay(), file = CurrentFile();
    if (day < 0 || file < 0) {
        m_app.messages().Warning(QStringLiteral("Attenzione: scegliere il giorno e il file da ripristinare."), this);
        return;
    }
    const BackupDay& d = m_days[day];
    const BackupFileInfo f = d.files[file];
    if (f.Damaged()) {
        // Told before any question: there is nothing to decide.
        m_app.messages().Warning(
            RestoreBackupFile(m_app.ProgramFolder(), d.folder, f.name, m_app.clock().Today()).error, this);
        return;
    }
    if (!m_app.messages().Ask(RestoreQuestion(d, f), this))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const RestoreOutcome r = RestoreBackupFile(m_app.ProgramFolder(), d.folder, f.name, m_app.clock().Today());
    QApplication::restoreOverrideCursor();
    if (r.busy) {
        m_app.messages().Warning(QStringLiteral("Attenzione: l'archivio %1 è in uso su un'altra postazione.\n\r\n\r"
                                                "Riprovare quando le altre postazioni hanno finito di salvare.")
                                     .arg(f.name),
                                 this);
    } else if (!r.ok) {
        m_app.messages().Error(QStringLiteral("Attenzione: il file %1 non è stato ripristinato ed è rimasto com'era."
                                              "\n\r\n\r%2")
                                   .arg(f.name, r.error),
                               this);
    } else {
        QString text = QStringLiteral("Il file %1 è stato ripristinato dalla copia %2.").arg(f.name, CopyMoment(d));
        if (!r.savedTo.isEmpty())
            text += QStringLiteral("\n\r\n\rIl file sostituito è stato salvato nella cartella %1.")
                        .arg(QDir::toNativeSeparators(QStringLiteral("Backup/") + QFileInfo(r.savedTo).fileName()));
        m_app.messages().Information(text, this);
    }
    const QString keep = d.name;
    Refresh();
    for (int i = 0; i < m_days.size(); ++i)
        if (m_days[i].name == keep)
            Select(i, file);
}

void TfrmCopieSicurezza::btnCopiaSuClick() {
    const QString where = m_app.fileDialogs().Folder(
        this, QStringLiteral("Copia su... (scegliere la cartella, per esempio la chiavetta USB)"), QDir::homePath());
    if (where.isEmpty())
        return;
    // The copy goes into a new folder named after the day; a second copy of the same day gets a number.
    const QString name = QStringLiteral("Carvenna ") + m_app.clock().Today().toString(QStringLiteral("yyyy-MM-dd"));
    QString target = QDir(where).filePath(name);
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n)
        target = QDir(where).filePath(QStringLiteral("%1 (%2)").arg(name).arg(n));
    m_copying = true;
    for (QPushButton* b : {btnRipristina, btnCopiaSu, btnChiudi})
        b->setEnabled(false);
    prgCopia->setValue(0);
    prgCopia->show();
    lblStato->setText(QStringLiteral("Copia in corso in %1...").arg(QDir::toNativeSeparators(target)));
    const FolderCopyOutcome r = CopyProgramFolder(m_app.ProgramFolder(), target, [this](qint64 done, qint64 total) {
        prgCopia->setValue(total > 0 ? int(done * 1000 / total) : 1000);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    });
    m_copying = false;
    for (QPushButton* b : {btnCopiaSu, btnChiudi})
        b->setEnabled(true);
    btnRipristina->setEnabled(!m_days.isEmpty());
    if (r.ok) {
        lblStato->setText(QStringLiteral("Copia completata in %1.").arg(QDir::toNativeSeparators(r.folder)));
        m_app.messages().Information(QStringLiteral("La cartella del programma, con le foto e i documenti allegati, è "
                                                    "stata copiata in %1.")
                                         .arg(QDir::toNativeSeparators(r.folder)),
                                     this);
    } else {
        prgCopia->hide();
        lblStato->setText(QString());
        m_app.messages().Error(QStringLiteral("Attenzione: la copia non è stata completata.\n\r\n\r%1").arg(r.error),
                               this);
    }
}
