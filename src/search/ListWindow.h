#pragma once
// What the search and expiry windows share: the results panel with its fixed-pitch list, the
// find-in-list command ("Trova"), the list print and the double-click that loads the record a line
// was built from. Each line keeps its record's 1-based position, so two records with equal lines
// are never confused.
#include "report/ReportTemplate.h"
#include "search/ListLines.h"
#include "storage/Lists.h"
#include <QDialog>
#include <optional>

class Carvenna;
class FieldKeys;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStringListModel;

class ListWindow : public QDialog {
    Q_OBJECT
public:
    /// `objectName` is the window class's name; `printTitle` heads the list print; `pdfName` begins the
    /// file name proposed when the list is printed to PDF (the date follows); `hint` is the red line
    /// under the list.
    ListWindow(Carvenna& app, QWidget* parent, const QString& objectName, const QString& caption,
               const QString& printTitle, const QString& pdfName, const QString& hint);

    // Results panel.
    QWidget* panContainer;
    QLabel* imgLogo;
    QLabel* icoIstruzioni;
    QLineEdit* txtTrova;
    QPushButton* btnTrova;
    QListView* lstRecords;
    QLabel* lblRigo03;
    QPushButton* btnChiudi;
    QPushButton* btnStampa;
    QLabel* lblMemory; // who opened the window

    /// The lines shown and the record of each.
    const RecordList& Records() const { return m_records; }
    /// The line selected in the list, or -1.
    int SelectedRow() const;
    /// The record (1-based position) whose line was double-clicked, which closed the window; nothing
    /// when the window was closed otherwise. The window that opened the list acts on it.
    std::optional<qint64> Chosen() const { return m_chosen; }
    /// A criterion or find field in the list windows' font.
    static void StyleField(QLineEdit* field);

protected:
    /// Shows `records` in the list, in their order, and selects the first line.
    void ShowRecords(RecordList records);
    /// Forgets the last find key, selects the first line and empties the find field.
    void ResetFind();
    /// Runs `work` with a busy cursor and `waitLabel` (if any) shown, after repainting the window.
    void Busy(QLabel* waitLabel, const std::function<void()>& work);
    /// The banner picture: `title` in large capitals between two small pictures (`svg`, a resource path).
    void SetBanner(const QString& title, const QString& svg = QStringLiteral(":/search/art/lente.svg"));

    void closeEvent(QCloseEvent* e) override;
    Carvenna& m_app;
    FieldKeys* m_keys;

private slots:
    void btnTrovaClick();
    void btnStampaClick();
    void lstRecordsDoubleClick();

private:
    QStringListModel* m_model;
    RecordList m_records;
    std::optional<qint64> m_chosen;
    ListFinder m_finder;
    QString m_printTitle;
    QString m_pdfName;
    std::optional<report::ReportTemplate> frxReport;
};

/// The criteria panel of the two search windows: ten edit fields under their labels, each with its
/// highlight frame, Enter running round them, and the "Chiudi" / "Cerca" buttons.
class CriteriaPanel : public QWidget {
    Q_OBJECT
public:
    struct Field {
        const char* label;
        const char* edit;
        const char* frame;
        int x, y, width;
    };
    CriteriaPanel(QWidget* parent, FieldKeys* keys, const std::vector<Field>& fields);
    QLineEdit* Edit(int i) const { return m_edits.at(i); }
    QPushButton* btnAnnulla;
    QPushButton* btnCerca;
    QLabel* lblAttendere;
    QLabel* lblConta;
    QLabel* imgSpiega;
    QLabel* icoTrova01;

private:
    std::vector<QLineEdit*> m_edits;
};
