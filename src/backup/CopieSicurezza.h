#pragma once
// "Copie di sicurezza", from the start menu: the days in Backup/ with their files, putting one file
// of one day back ("Ripristina"), and a copy of the whole program folder to a folder the user picks,
// such as a USB stick ("Copia su...").
#include "backup/BackupRestore.h"
#include <QDialog>

class Carvenna;
class QLabel;
class QListView;
class QProgressBar;
class QPushButton;
class QStandardItemModel;
class QStringListModel;
class QTableView;

class TfrmCopieSicurezza : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCopieSicurezza(Carvenna& app, QWidget* parent = nullptr);

    /// Reads Backup/ again and shows the newest day.
    void Refresh();
    /// Selects day `day` (0: the newest) and file `file` of it (-1: none).
    void Select(int day, int file = -1);
    const QVector<BackupDay>& Days() const { return m_days; }

    /// The confirmation asked before putting `file` of `day` back.
    QString RestoreQuestion(const BackupDay& day, const BackupFileInfo& file) const;

    QListView* lstGiorni;
    QTableView* grdFile;
    QPushButton* btnRipristina;
    QPushButton* btnCopiaSu;
    QPushButton* btnChiudi;
    QProgressBar* prgCopia;
    QLabel* lblStato;

public slots:
    void reject() override;

private slots:
    void lstGiorniChange();
    void btnRipristinaClick();
    void btnCopiaSuClick();

private:
    int CurrentDay() const;
    int CurrentFile() const;

    Carvenna& m_app;
    QVector<BackupDay> m_days;
    QStringListModel* m_dayModel;
    QStandardItemModel* m_fileModel;
    bool m_copying = false;
};
