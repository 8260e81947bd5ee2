#pragma once
// "Fatture elettroniche": the register of the invoices and credit notes written (FatturaPA/registro.csv)
// for one year, filtered by month, with what happened to each after writing. From here the office makes
// the upload package, reads the exchange system's notifications, prints or mails courtesy copies, writes
// a rejected invoice again and sees the quarterly stamp duty. Opened modally by the receipts' year window.
#include "einvoice/InvoiceFiles.h"
#include "einvoice/StampDuty.h"
#include <QAbstractTableModel>
#include <QDialog>

class Carvenna;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

/// The register's lines of the chosen month as table rows.
class RegisterModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Numero, Data, Tipo, Ricevuta, Pagatore, Importo, File, Stato, ColumnCount };
    using QAbstractTableModel::QAbstractTableModel;
    void Reset(const QVector<RegisterEntry>& reg, int year, int month);
    void Filter(int year, int month);
    const RegisterEntry& Entry(int row) const { return m_reg[m_rows[row]]; }
    const QVector<RegisterEntry>& All() const { return m_reg; }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_rows.size(); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVector<RegisterEntry> m_reg;
    QVector<int> m_rows;
};

class TfrmFattureElettroniche : public QDialog {
    Q_OBJECT
public:
    /// `year`: the four digits typed in the year window.
    TfrmFattureElettroniche(Carvenna& app, const QString& year, QWidget* parent);

    QComboBox* txtMese;
    QTableView* grdFatture;
    QLabel* lblConteggio;
    QLabel* lblStato; // the whole state of the current line (every error of a rejection)
    QPushButton* btnPacchetto;
    QPushButton* btnLeggiRicevute;
    QPushButton* btnCopie;
    QPushButton* btnEmail;
    QPushButton* btnRiemetti;
    QPushButton* btnInviate; // "Segna come inviate"
    QPushButton* btnBollo;
    QPushButton* btnApriCartella;
    QPushButton* btnChiudi;

    RegisterModel& Model() const { return *m_model; }
    int Year() const { return m_year; }
    /// The register's files of the selected lines, in list order.
    QStringList SelectedFiles() const;
    /// Reads the register again, keeping the month.
    void Reload();

private slots:
    void txtMeseChange();
    void CurrentChanged();
    void btnPacchettoClick();
    void btnLeggiRicevuteClick();
    void btnCopieClick();
    void btnEmailClick();
    void btnRiemettiClick();
    void btnInviateClick();
    void btnBolloClick();
    void btnApriCartellaClick();

private:
    /// The counts of the lines shown, and the first line made current.
    void ShowCount();
    /// A new credit note for the invoice of the rejected credit note `note`, after asking.
    void RiemettiNotaDiCredito(const RegisterEntry& note);
    /// The lines chosen for courtesy copies: the selection, else the month's undeliverable invoices.
    QVector<RegisterEntry> ChosenForCopies() const;
    Carvenna& m_app;
    int m_year;
    RegisterModel* m_model;
};

/// The quarterly stamp duty of one year: the quarters, printable and exportable to a workbook.
class TfrmImpostaBollo : public QDialog {
    Q_OBJECT
public:
    TfrmImpostaBollo(Carvenna& app, int year, const QVector<RegisterEntry>& reg, QWidget* parent);
    QTableView* grdTrimestri;
    QPushButton* btnStampa;
    QPushButton* btnEsporta;
    QPushButton* btnChiudi;

private slots:
    void btnStampaClick();
    void btnEsportaClick();

private:
    Carvenna& m_app;
    int m_year;
    QVector<StampQuarter> m_quarters;
};
