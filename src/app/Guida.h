#pragma once
// The guide window: every work area opens it with a title and a text of its own.
#include "app/GuideSections.h"
#include "ui_Guida.h"
#include <QDialog>

class Carvenna;
class Link;
class QAbstractButton;
class QPushButton;

class TfrmGuida : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGuida(Carvenna& app, QWidget* parent = nullptr);
    Ui::TfrmGuida ui;

    /// Puts the title into lblTitolo and the text into txtGuida, its "\r\n" pairs as line breaks.
    void SetGuide(const QString& title, const QString& text);

private slots:
    void lnkWebClick();
    void btnChiudiClick();

private:
    Carvenna& m_app;
    Link* m_link;
};

/// Opens the guide window modally on the section of `topic`.
void ShowGuide(Carvenna& app, QWidget* parent, GuideTopic topic);

/// Makes F1 anywhere in `window` (and a click on `button`, when given) open the section of `topic`.
/// An added window needs this one call in its constructor.
void AttachGuide(Carvenna& app, QWidget* window, GuideTopic topic, QAbstractButton* button = nullptr);

/// A "Guida" push button named btnGuida for an added window's button bar (Enter never presses it).
QPushButton* NewGuideButton(QWidget* window);

/// Where Guida.pdf is: in the program folder (a copy installed by ./run.sh), else beside the executable,
/// else in the installed package's share/carvenna folder. Empty when none exists.
QString FindGuidePdf(const QString& programFolder, const QString& executableFolder);
