#pragma once
// Asks the office for a payer's name and address when no registry card gives them in full: no card
// with the receipt's tax code, a name that cannot be split into surname and name, or an address
// without CAP or town. The answer is kept in FatturaPA/Anagrafiche.ini, so it is asked only once.
#include "einvoice/Invoice.h"
#include <QDialog>

class Carvenna;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmDatiCliente : public QDialog {
    Q_OBJECT
public:
    /// `reason` says why the window asks; `proposal` fills the fields.
    TfrmDatiCliente(Carvenna& app, const QString& code, const QString& reason, const InvoicePayer& proposal,
                    QWidget* parent = nullptr);
    InvoicePayer Payer() const;

    QLabel* lblMotivo;
    QLabel* lblCodice;
    QLineEdit* txtCognome;
    QLineEdit* txtNome;
    QLineEdit* txtDenominazione;
    QLineEdit* txtIndirizzo;
    QLineEdit* txtCap;
    QLineEdit* txtComune;
    QLineEdit* txtProvincia;
    QLineEdit* txtNazione;
    QPushButton* btnConferma;
    QPushButton* btnAnnulla;

private slots:
    void btnConfermaClick();

private:
    Carvenna& m_app;
    bool m_firm;
};
