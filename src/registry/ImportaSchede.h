#pragma once
// "Importa schede": cards from a spreadsheet (CSV, or .ods/.xlsx through LibreOffice) into the
// registry. The window shows the first rows, the card field guessed for each column (which the
// user may change), every rejected row with its reason and a summary; "Importa" appends the good
// rows in one locked, all-or-nothing action.
//
// The registry editor opens it modally: TfrmImportaSchede dlg(app, this); dlg.exec();
// Cards are only appended, so a card shown in the editor keeps its number: nothing there needs
// refreshing. Imported() tells how many cards were added and FirstImported() the first number.
#include "registry/CardImport.h"
#include "registry/ColumnGuess.h"
#include "registry/SheetRead.h"
#include <QDialog>

class Carvenna;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStandardItemModel;
class QStringListModel;
class QTableView;
class QComboBox;

class TfrmImportaSchede : public QDialog {
    Q_OBJECT
public:
    explicit TfrmImportaSchede(Carvenna& app, QWidget* parent = nullptr);

    /// Reads `path` and shows it; a file that cannot be read is told with a warning (false).
    bool LoadFile(const QString& path);
    /// The path in a typed or pasted text: quotes and a file:// address taken off.
    static QString TypedPath(const QString& typed);
    /// The LibreOffice program used for .ods and .xlsx (found on the search path; empty: none).
    void SetOffice(const QString& office) { m_office = office; }
    /// The card field chosen for column `column` (kNoField: not imported).
    int Mapping(int column) const { return m_mapping.value(column, kNoField); }
    void SetMapping(int column, int field);
    const QVector<ImportRow>& Rows() const { return m_rows; }
    int Imported() const { return m_imported; }
    qint64 FirstImported() const { return m_first; }

    QLineEdit* txtFile;
    QPushButton* btnSfoglia;
    QCheckBox* chkIntestazione;
    QTableView* grdAnteprima;
    QTableView* grdColonne;
    QLabel* lblRiepilogo;
    QListView* lstEsito;
    QCheckBox* chkSaltaPresenti;
    QPushButton* btnImporta;
    QPushButton* btnChiudi;

protected:
    void showEvent(QShowEvent* e) override;

private slots:
    void btnSfogliaClick();
    void txtFileEnter();
    void btnImportaClick();
    void chkIntestazioneClick();

private:
    void ShowSheet();
    void Recheck();
    QStringList Header() const;

    Carvenna& m_app;
    QString m_office;
    CsvSheet m_sheet;
    QVector<int> m_mapping;
    QVector<ImportRow> m_rows;
    QVector<QComboBox*> m_combos;
    QStandardItemModel* m_preview;
    QStandardItemModel* m_columns;
    QStringListModel* m_outcome;
    int m_imported = 0;
    qint64 m_first = 0;
    bool m_asked = false;
};
