#pragma once
// The yearly payment statements of one year: one row per payer and child with the receipts and the
// amounts paid by traceable means, in cash and by a method not stated; find in the list, print the
// statement of the selected row or of every row, export the table. Opened by the takings summary's
// criteria window for one use, shown modally.
#include "report/ReportTemplate.h"
#include "summary/Statements.h"
#include "ui_Attestazioni.h"
#include <QDialog>
#include <optional>

class AttestazioniModel;
struct StatementHeading;
class Carvenna;

class TfrmAttestazioni : public QDialog {
    Q_OBJECT
public:
    TfrmAttestazioni(Carvenna& app, int year, QWidget* parent);
    ~TfrmAttestazioni() override;
    Ui::TfrmAttestazioni ui;

    int Year() const { return m_year; }
    const YearStatements& Statements() const { return m_statements; }
    /// The rows' texts as "Trova" searches them, in list order.
    QStringList Lines() const { return m_lines; }
    /// The spreadsheet this window writes: Attestazioni_<year>.xls in the program folder.
    QString ExportPath() const;

    /// The warning about receipts left out, or an empty text when none was.
    static QString ExcludedText(const QVector<ExcludedReceipt>& excluded);

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void FormShow();
    void btnTrovaClick();
    void btnStampaClick();
    void btnStampaTutteClick();
    void btnEsportaClick();
    void btnEsportaComeClick();
    void btnEmailClick();

private:
    int SelectedRow() const;
    void MeasureColumns();
    void FitToWidth();
    void PrintGroups(const QVector<StatementGroup>& groups);
    StatementHeading Heading() const;
    Carvenna& m_app;
    int m_year;
    YearStatements m_statements;
    AttestazioniModel* m_rows;
    QStringList m_lines;
    QVector<int> m_contentWidths; // per column: the header's and the widest text's width
    std::optional<report::ReportTemplate> m_report;
};
