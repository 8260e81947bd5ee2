#pragma once
// The running program: it owns the single-instance windows, creates every window class at
// start-up in a fixed order and gives each window the platform services.
#include "app/Platform.h"
#include "storage/ReceiptFile.h"
#include <QList>
#include <optional>
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

/// The receipt the receipt editor shows, saved or not, with where it is stored.
struct ShownReceipt {
    ReceiptRecord record; ///< the texts as the fields hold them
    qint64 position = 0;  ///< 1-based position in the year's archive; 0 for a receipt not saved yet
    QString yearFile;     ///< the year's archive (the editor's hidden lblFile)
};

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
    ProgramRunner& programs() const { return *m_platform.programs; }
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

    /// The work areas a window may ask for by name instead of including the window of another.
    enum class Area { Home, Receipts, ReceiptEditor, Registry, Takings };
    /// The window of `area` (null before Start()).
    QWidget* AreaWindow(Area area) const;
    /// Shows `area` in place of `from` (the navigation rule of Switch).
    void ShowArea(Area area, QWidget* from) { Switch(AreaWindow(area), from); }
    /// Back to the start window.
    void GoHome(QWidget* from) { ShowArea(Area::Home, from); }

    /// Opens `year` ("2026") in the receipt editor: its archive <folder>/<year>.ric and its title. The file
    /// itself is created by the editor's first file action.
    void OpenReceiptYear(const QString& year);
    /// The receipt archive of the year open in the receipt editor (its hidden lblFile); empty before Start().
    QString ReceiptYearFile() const;
    /// The receipt on the receipt editor's screen, for the windows that print, mail or export it.
    std::optional<ShownReceipt> ReceiptOnScreen() const;

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
