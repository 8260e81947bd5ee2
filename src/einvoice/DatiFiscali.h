#pragma once
// The school's fiscal data for electronic invoices, opened from the receipts year window. Reads
// and writes the "Dati Fiscali" section of Trelvani.ini; "Applica e chiudi" saves only complete,
// valid data (the VAT number and tax code through the existing checks). The "Pagamenti" group keeps
// the school's account and direct-debit creditor data in the section of that name.
#include <QDialog>

class Carvenna;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TfrmDatiFiscali : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDatiFiscali(Carvenna& app, QWidget* parent = nullptr);

    QLineEdit* txtDenominazione;
    QLineEdit* txtPartitaIva;
    QLineEdit* txtCodiceFiscale;
    QComboBox* cmbRegimeFiscale;
    QLineEdit* txtIndirizzo;
    QLineEdit* txtCap;
    QLineEdit* txtComune;
    QLineEdit* txtProvincia;
    QLineEdit* txtNazione;
    QLineEdit* txtRiferimento;
    QCheckBox* chkBolloVirtuale;
    QRadioButton* optBolloScuola;
    QRadioButton* optBolloCliente;
    QLineEdit* txtProgressivo;
    QLineEdit* txtIban;
    QLineEdit* txtIntestatario;
    QLineEdit* txtCreditore;
    QLineEdit* txtCuc;
    QComboBox* cmbFormatoSdd;
    QPushButton* btnApplica;
    QPushButton* btnAnnulla;

private slots:
    void FormShow();
    void btnApplicaClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    Carvenna& m_app;
};
