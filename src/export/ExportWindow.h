#pragma once
// What the receipt and registry export windows share: the grid over the archive's records, the
// hints of the information bar, the export with its two questions, and the guide.
#include "export/ExportTables.h"
#include <QDialog>

class Carvenna;
class ExportGridModel;
class QLabel;
class QTableView;
class QToolButton;
class QProgressDialog;

class ExportWindow : public QDialog {
    Q_OBJECT
public:
    ExportGridModel& Grid() const { return *m_model; }
    /// Full path of the document this window writes.
    QString ExportPath() const;
    /// The file the save dialog of "Esporta come..." proposes: the same name as a workbook (.xlsx).
    QString ProposedSaveAsPath() const;

    static QString ExportQuestion();
    /// The question after an export names what was written: `what` is the subject of "sono state esportate"
    /// ("Le schede in archivio" for the registry, "Le ricevute in archivio" for a year of receipts).
    static QString ExportedQuestion(const QString& what = CardsExported());
    static QString CardsExported() { return QStringLiteral("Le schede in archivio"); }
    static QString ExportFailed();
    /// After an export: the failure message, or the question whether to open `path` in the spreadsheet.
    static void ReportExport(Carvenna& app, QWidget* parent, bool ok, const QString& path,
                             const QString& what = CardsExported());
    /// Shown when the grid could not take every record of the archive.
    static QString PartialLoadWarning(qint64 loaded);

protected:
    struct Texts {
        QString fileName, sheetName, guideTitle, guideText;
        QString exported = CardsExported(); // what the question after the export names
    };
    ExportWindow(Carvenna& app, QWidget* parent);
    /// Called by the window's constructor once its form is set up.
    void Setup(ExportGridModel* model, QTableView* grid, QLabel* panInfo, QToolButton* cmdEsporta,
               QToolButton* cmdGuida, QToolButton* cmdEsci, const Texts& texts);
    /// Wires the button that exports to a file chosen in a save dialog, as .xlsx or .xls.
    void SetupSaveAs(QToolButton* cmdEsportaCome);
    /// Loads the archive into the grid, telling `progress` how far it got.
    virtual GridLoad LoadGrid(const GridLoadProgress& progress) = 0;

    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    Carvenna& m_app;

private slots:
    void FormShow();
    void cmdEsportaClick();
    void cmdGuidaClick();
    void cmdEsportaComeClick();

private:
    void CommitEdit();
    void SetUpProgress(QProgressDialog& progress) const;
    /// Writes the grid to `path` (an .xls document, otherwise .xlsx) with the progress shown.
    bool WriteExport(const QString& path, QString* error);

    ExportGridModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QLabel* m_panInfo = nullptr;
    Texts m_texts;
    bool m_loaded = false;
};
