#pragma once
// The school's fiscal and bank data, opened from the receipts year window. Reads and writes the
// "Dati Fiscali" section of Trelvani.ini (for electronic invoices and the school's lines on documents)
// and the "Pagamenti" section (the account and the direct-debit creditor data). "Applica e chiudi"
// keeps every field that is right; a field typed wrongly keeps its stored value and is named in one
// warning, and the window stays open on it.
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
