#pragma once
// The program's messages that several write-failure tests expect, word for word.
#include <QString>

inline const QString kInserted = QStringLiteral("La scheda corrente è stata inserita in archivio.");
inline const QString kPasswordDone = QStringLiteral("Modifica della password completata con successo.");
inline const QString kPasswordFailed =
    QStringLiteral("Attenzione: si è verificato un errore durante la procedura di modifica della password. "
                   "Si consiglia di reinstallare il software.");
inline const QString kBackupFailed =
    QStringLiteral("Attenzione: non è stato possibile eseguire la copia di sicurezza giornaliera degli archivi "
                   "nella cartella Backup.\n\r\n\rAccertarsi di possedere i privilegi di scrittura nella cartella "
                   "di installazione del programma e che il disco non sia pieno.");
