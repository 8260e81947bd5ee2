#pragma once
// The logo printed at the top left of each copy of the receipt: Logo.bmp in the program folder,
// or the built-in euro sign when that file is missing or unreadable.
#include "ui_Logo.h"
#include <QDialog>
#include <QImage>

class Carvenna;

class TfrmLogo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLogo(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmLogo ui;

    /// The picture shown, which "Applica e chiudi" stores.
    QImage Picture() const { return m_picture; }

protected:
    void showEvent(QShowEvent* e) override;

private slots:
    void FormShow();
    void btnSfogliaClick();
    void imgEuroClick();
    void btnCancLogoClick();
    void btnApplicaClick();

private:
    void ShowPicture(const QImage& picture);
    /// Shows the picture of `path`, or the default logo when it cannot be read.
    void LoadOrDefault(const QString& path);

    Carvenna& m_app;
    QImage m_picture;
};
