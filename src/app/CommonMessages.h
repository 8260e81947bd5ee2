#pragma once
// Messages that several windows show word for word.
#include <QString>

/// Any failure of an action on an archive file (open, create, read, write, close).
inline QString ArchiveAccessError() {
    return QStringLiteral("Attenzione: il sistema non permette di accedere all'archivio.\n\r\n\r"
                          "Accertarsi di possedere i privilegi di scrittura nella cartella di installazione del "
                          "programma.");
}

/// The settings file of the program folder could not be written.
inline QString SettingsNotSaved() {
    return QStringLiteral("Attenzione: impossibile salvare le impostazioni nella cartella del programma.");
}
