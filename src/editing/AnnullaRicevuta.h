#pragma once
// Asks the reason for cancelling a stored receipt; the reason is required.
#include <QDialog>

class Carvenna;
class QLineEdit;
class QPushButton;

class TfrmAnnullaRicevuta : public QDialog {
    Q_OBJECT
public:
    TfrmAnnullaRicevuta(Carvenna& app, QWidget* parent = nullptr);
    /// The reason typed, trimmed (when accepted).
    QString Reason() const;
    static QString ReasonMissing();

    QLineEdit* txtMotivo;
    QPushButton* btnConferma;
    QPushButton* btnAnnulla;

private slots:
    void btnConfermaClick();

private:
    Carvenna& m_app;
};
