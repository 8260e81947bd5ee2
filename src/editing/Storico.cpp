#include "editing/Storico.h"
#include "app/Carvenna.h"
#include "app/Guida.h"
#include "app/KeyboardReach.h"
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

TfrmStorico::TfrmStorico(Carvenna& app, QWidget* parent)
    : QDialog(parent), m_app(app), m_model(new QStringListModel(this)) {
    setObjectName(QStringLiteral("TfrmStorico"));
    setWindowTitle(QStringLiteral(" Storico delle modifiche"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(820, 520);

    lblTitolo = new QLabel(this);
    lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
    lstStorico = new QListView(this);
    lstStorico->setObjectName(QStringLiteral("lstStorico"));
    lstStorico->setModel(m_model);
    lstStorico->setUniformItemSizes(true);
    lstStorico->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstStorico->setFont(QFont(QStringLiteral("Courier New"), 9));
    txtDettaglio = new QPlainTextEdit(this);
    txtDettaglio->setObjectName(QStringLiteral("txtDettaglio"));
    txtDettaglio->setReadOnly(true);
    txtDettaglio->setFont(QFont(QStringLiteral("Courier New"), 9));
    btnRipristina = new QPushButton(QStringLiteral("Rimetti sullo schermo"), this);
    btnRipristina->setObjectName(QStringLiteral("btnRipristina"));
    btnRipristina->setToolTip(QStringLiteral("Mostra i dati com'erano prima della modifica scelta; per registrarli "
                                             "premere poi Salva."));
    btnChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    btnChiudi->setObjectName(QStringLiteral("btnChiudi"));
    for (QPushButton* b : {btnRipristina, btnChiudi}) {
        b->setMinimumSize(170, 28);
        b->setFont(QFont(QStringLiteral("Verdana"), 8));
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(NewGuideButton(this));
    buttons->addStretch();
    buttons->addWidget(btnRipristina);
    buttons->addWidget(btnChiudi);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(16, 14, 16, 14);
    box->addWidget(lblTitolo);
    box->addWidget(lstStorico, 3);
    box->addWidget(new QLabel(QStringLiteral("Campi modificati (prima → dopo):"), this));
    box->addWidget(txtDettaglio, 2);
    box->addLayout(buttons);

    connect(lstStorico->selectionModel(), &QItemSelectionModel::currentChanged, this, &TfrmStorico::lstStoricoChange);
    connect(btnRipristina, &QPushButton::clicked, this, &TfrmStorico::btnRipristinaClick);
    connect(btnChiudi, &QPushButton::clicked, this, &QDialog::reject);
    TabLeavesViews(this);
    AttachGuide(m_app, this, GuideTopic::Storico, findChild<QPushButton*>(QStringLiteral("btnGuida")));
}

QString TfrmStorico::DamagedLinesWarning(int lines) {
    if (lines == 1)
        return QStringLiteral("Attenzione: lo storico contiene 1 riga danneggiata, che non è stata letta.");
    return QStringLiteral("Attenzione: lo storico contiene %1 righe danneggiate, che non sono state lette.").arg(lines);
}

QString TfrmStorico::EntryLine(const HistoryEntry& e, const QDateTime& undoneByRestore) {
    QString line = e.stamp.when.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) + QStringLiteral("  ") +
                   e.kind.leftJustified(12) + QStringLiteral("  postazione ") + e.stamp.workstation +
                   QStringLiteral(", utente ") + e.stamp.user;
    if (!e.applied && undoneByRestore.isValid())
        line += QStringLiteral("  (tolta dal ripristino di una copia il %1)")
                    .arg(undoneByRestore.toString(QStringLiteral("dd/MM/yyyy 'alle' HH:mm")));
    else if (!e.applied)
        line += QStringLiteral("  (non applicata)");
    return line;
}

QDateTime TfrmStorico::UndoingRestore(const HistoryEntry& e, const QVector<QDateTime>& restores) {
    QDateTime first;
    if (e.applied)
        return first;
    for (const QDateTime& r : restores)
        if (r > e.stamp.when && (!first.isValid() || r < first))
            first = r;
    return first;
}

QString TfrmStorico::EntryDetail(const HistoryEntry& e, const std::function<QString(const QString& field)>& label) {
    QStringList lines;
    for (const FieldChange& c : e.changes) {
        const QString caption = label ? label(c.field) : QString();
        lines << QStringLiteral("%1: \"%2\" → \"%3\"").arg(caption.isEmpty() ? c.field : caption, c.before, c.after);
    }
    if (lines.isEmpty())
        lines << QStringLiteral("(nessun campo cambiato)");
    return lines.join(u'\n');
}

void TfrmStorico::SetEntries(const QVector<HistoryEntry>& entries, qint64 position, const QString& name,
                             const QVector<QDateTime>& restores) {
    m_entries = entries;
    m_restores = restores;
    QStringList lines;
    for (const HistoryEntry& e : entries)
        lines << EntryLine(e, UndoingRestore(e, restores));
    m_model->setStringList(lines);
    const QString what = name.isEmpty() ? QStringLiteral("la posizione %1").arg(position) : name;
    lblTitolo->setText(entries.isEmpty()
                           ? QStringLiteral("Nessuna modifica registrata per %1.").arg(what)
                           : QStringLiteral("Modifiche registrate per %1, dalla più recente:").arg(what));
    btnRipristina->setEnabled(!entries.isEmpty());
    if (!entries.isEmpty())
        lstStorico->setCurrentIndex(m_model->index(0));
}

void TfrmStorico::lstStoricoChange() {
    const int row = lstStorico->currentIndex().row();
    txtDettaglio->setPlainText(row >= 0 && row < m_entries.size() ? EntryDetail(m_entries.at(row), m_label) : QString());
}

void TfrmStorico::btnRipristinaClick() {
    const int row = lstStorico->currentIndex().row();
    if (row < 0 || row >= m_entries.size())
        return;
    m_chosen = row;
    accept();
}
