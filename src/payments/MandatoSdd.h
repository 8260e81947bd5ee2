#pragma once
// "Mandato SDD": the direct-debit mandate of one payer (by tax code), opened from the registry editor
// for the card on screen. Shows what Mandati_SDD.ini holds and saves it after the checks of core.
#include <QDialog>

class Carvenna;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmMandatoSdd : public QDialog {
    Q_OBJECT
public:
    TfrmMandatoSdd(Carvenna& app, const QString& taxCode, const QString& payer, QWidget* parent = nullptr);

    QLabel* lblPagatore;
    QLineEdit* txtIban;
    QLineEdit* txtMandato;
    QLineEdit* txtDataFirma;
    QCheckBox* chkPrimoAddebito;
    QPushButton* btnSalva;
    QPushButton* btnAnnulla;

private slots:
    void btnSalvaClick();

private:
    Carvenna& m_app;
    QString m_taxCode;
};
