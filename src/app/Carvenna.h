#pragma once
// The running program: it owns the single-instance windows, creates every window class at
// start-up in a fixed order and gives each window the platform services.
#include "app/Platform.h"
#include <QList>
#include <QObject>
#include <QString>

class TfrmPassword;
class TfrmCambiaPassword;
class TfrmAvvio;
class TfrmMenuRicevute;
class TfrmRicevuta;
class TfrmTiratori;
class TfrmMenuRiepCosti;
class QWidget;

class Carvenna : public QObject {
    Q_OBJECT
public:
    explicit Carvenna(const Platform& platform, QObject* parent = nullptr);
    ~Carvenna() override;

    /// Sets the process-wide formats, creates the windows and shows the password window.
    void Start();
    /// Ends the program: hides every window and leaves the event loop.
    void Quit();
    bool HasQuit() const { return m_quit; }

    const Platform& platform() const { return m_platform; }
    /// The program folder with a trailing '/'.
    QString ProgramFolder() const { return m_platform.programFolder; }
    QString Path(const QString& fileName) const { return m_platform.programFolder + fileName; }
    Messages& messages() const { return *m_platform.messages; }
    Clock& clock() const { return *m_platform.clock; }
    Shell& shell() const { return *m_platform.shell; }
    FileDialogs& fileDialogs() const { return *m_platform.fileDialogs; }
    Printing& printing() const { return *m_platform.printing; }

    /// Settings file and password file of the program folder.
    QString SettingsPath() const { return Path(QStringLiteral("Trelvani.ini")); }
    QString PasswordPath() const { return Path(QStringLiteral("unins000.dll")); }

    // Single-instance windows (null before Start()).
    TfrmPassword* password() const { return m_password; }
    TfrmCambiaPassword* cambiaPassword() const { return m_cambiaPassword; }
    TfrmAvvio* avvio() const { return m_avvio; }
    TfrmMenuRicevute* menuRicevute() const { return m_menuRicevute; }
    TfrmRicevuta* ricevuta() const { return m_ricevuta; }
    TfrmTiratori* tiratori() const { return m_tiratori; }
    TfrmMenuRiepCosti* menuRiepCosti() const { return m_menuRiepCosti; }

    /// The receipt archive of the year open in the receipt editor (its hidden lblFile); empty before Start().
    QString ReceiptYearFile() const;

    /// Shows `show` and hides `hide` in one step (the navigation rule: one top-level window at a time).
    void Switch(QWidget* show, QWidget* hide);

    /// The general guide text and the receipts paragraphs (also used by the receipt windows).
    static QString GeneralGuide();
    static QString ReceiptsGuide();

private:
    Platform m_platform;
    bool m_quit = false;
    QList<QWidget*> m_windows; // owned single-instance windows, in order of creation
    TfrmPassword* m_password = nullptr;
    TfrmCambiaPassword* m_cambiaPassword = nullptr;
    TfrmAvvio* m_avvio = nullptr;
    TfrmMenuRicevute* m_menuRicevute = nullptr;
    TfrmRicevuta* m_ricevuta = nullptr;
    TfrmTiratori* m_tiratori = nullptr;
    TfrmMenuRiepCosti* m_menuRiepCosti = nullptr;
};

/// Sets the process-wide short date format and decimal separator (Italian locale, dd/mm/yyyy, ',').
void SetFormatSettings();
