#pragma once
// The history of the record shown in an editor: its journal entries, newest first, with the fields
// each one changed; the version before a chosen change can be put back on screen.
#include "storage/HistoryJournal.h"
#include <QDialog>
#include <functional>

class Carvenna;
class QLabel;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QStringListModel;

class TfrmStorico : public QDialog {
    Q_OBJECT
public:
    TfrmStorico(Carvenna& app, QWidget* parent = nullptr);

    /// How the detail names a field: its caption on the form (an empty answer keeps the field's name).
    void SetFieldLabel(std::function<QString(const QString& field)> label) { m_label = std::move(label); }
    /// The entries of record `position`, newest first. `name` names the record in the title ("la ricevuta
    /// n. 12"; empty: "la posizione 12"). `restores` are the moments a copy of the archive was put back:
    /// a change not in the archive that one of them followed is shown as taken back by it.
    void SetEntries(const QVector<HistoryEntry>& entries, qint64 position, const QString& name = QString(),
                    const QVector<QDateTime>& restores = {});
    /// The entry whose earlier version the user chose to put back; -1 when none.
    int Chosen() const { return m_chosen; }
    /// One line of the list for `e`.
    static QString EntryLine(const HistoryEntry& e, const QDateTime& undoneByRestore = QDateTime());
    /// The first of `restores` after `e` when `e` is not in the archive (taken back by that restore).
    static QDateTime UndoingRestore(const HistoryEntry& e, const QVector<QDateTime>& restores);
    /// The changed fields of `e`, one a line, each named by `label` when it gives a caption.
    static QString EntryDetail(const HistoryEntry& e,
                               const std::function<QString(const QString& field)>& label = {});
    static QString DamagedLinesWarning(int lines);

    QLabel* lblTitolo;
    QListView* lstStorico;
    QPlainTextEdit* txtDettaglio;
    QPushButton* btnRipristina;
    QPushButton* btnChiudi;

private slots:
    void lstStoricoChange();
    void btnRipristinaClick();

private:
    Carvenna& m_app;
    QStringListModel* m_model;
    QVector<HistoryEntry> m_entries;
    QVector<QDateTime> m_restores;
    int m_chosen = -1;
    std::function<QString(const QString& field)> m_label;
};
