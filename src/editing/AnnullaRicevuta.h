#pragma once
// Asks the reason for cancelling a stored receipt; the reason is required.
#include <QDialog>

class Carvenna;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmAnnullaRicevuta : public QDialog {
    Q_OBJECT
public:
    TfrmAnnullaRicevuta(Carvenna& app, QWidget* parent = nullptr);
    /// The reason typed, trimmed (when accepted).
    QString Reason() const;
    static QString ReasonMissing();
    /// Names the receipt about to be cancelled ("ricevuta n. 12 del ..."), at the top of the window.
    void SetReceipt(const QString& identity);

    QLineEdit* txtMotivo;
    QPushButton* btnConferma;
    QPushButton* btnAnnulla;
    QLabel* lblRicevuta;

private slots:
    void btnConfermaClick();

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    Carvenna& m_app;
};
