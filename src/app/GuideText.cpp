// The texts of the guide window: the general guide of the start menu and its receipts part, which
// the receipt windows show on their own, each followed by the sections of the windows added since
// (app/GuideSections). Paragraphs are separated by an empty line ("\r\n\r\n").
#include "app/Carvenna.h"
#include "app/GuideSections.h"
#include <QStringList>

namespace {

const QString kParagraphSeparator = QStringLiteral("\r\n\r\n");

QStringList IntroParagraphs() {
    return {
        QStringLiteral(
            "Carvenna è il programma pensato per la segreteria degli asili nido e delle scuole dell'infanzia "
            "private. Permette di emettere e stampare le ricevute di pagamento delle rette, di tenere "
            "l'archivio anagrafico dei bambini iscritti e dei genitori che pagano, e di ottenere in pochi "
            "istanti il riepilogo degli incassi di un periodo. Tutto il lavoro si svolge in tre ambienti, "
            "che si aprono dal menu principale con un clic sulle rispettive schede: L'app Archivio "
            "Anagrafico, L'app Stampa Ricevute e L'app Riepilogo Incassi."),
    };
}

QStringList ReceiptParagraphs() {
    return {
        QStringLiteral(
            "L'app Stampa Ricevute serve a compilare, archiviare e stampare le ricevute di pagamento. Ogni "
            "ricevuta viene stampata in duplice copia su un unico foglio A4: la parte superiore va "
            "consegnata a chi ha pagato, quella inferiore resta alla scuola. Le ricevute sono conservate in "
            "archivi annuali, uno per ogni anno solare, e all'interno di ciascun anno ricevono una "
            "numerazione progressiva."),
        QStringLiteral(
            "Per iniziare, indicare l'anno desiderato e premere Apri: si apre l'archivio delle ricevute di "
            "quell'anno, che viene creato automaticamente se non esiste ancora. I dati del pagatore e del "
            "bambino non vanno riscritti ogni volta: facendo clic sulla freccia rossa posta accanto alla "
            "riga \"Riceviamo da\" si apre la ricerca nell'archivio anagrafico, e con un doppio clic sulla "
            "scheda trovata il pagatore, il codice fiscale, la causale e i dati del bambino vengono "
            "importati nella ricevuta."),
        QStringLiteral(
            "Per scrivere una nuova ricevuta premere il pulsante Nuovo e compilare i campi. Le date di "
            "emissione e del periodo pagato si scelgono dal calendario, che si apre premendo un tasto "
            "qualsiasi nel campo della data. L'importo va digitato soltanto in cifre nella casella del "
            "Totale, gli euro e i centesimi nelle rispettive caselle separate: l'importo in lettere viene "
            "scritto automaticamente mentre si digita. Il pulsante accanto al codice fiscale ne controlla "
            "la correttezza, e riconosce anche la partita IVA."),
        QStringLiteral(
            "Facendo clic sul logo in alto a sinistra è possibile caricare il logo della propria scuola, "
            "che verrà stampato su entrambe le copie della ricevuta al posto del logo predefinito. Con il "
            "pulsante N si imposta invece il numero da cui deve partire la numerazione automatica."),
        QStringLiteral(
            "La ricevuta stampata riserva uno spazio apposito per applicare la marca da bollo, quando è "
            "dovuta, e uno spazio per la firma di chi riceve il pagamento."),
        QStringLiteral(
            "Le righe con il nome e i dati della scuola che riceve il pagamento, in alto accanto al logo, "
            "si scrivono una volta sola: vengono salvate automaticamente quando si esce dalla finestra e "
            "riproposte a ogni nuova apertura."),
        QStringLiteral(
            "Il numero della ricevuta è proposto automaticamente contando le ricevute già presenti "
            "nell'archivio dell'anno: in un archivio vuoto la numerazione parte da 1, poi prosegue con 2, "
            "3 e così via. Se si desidera partire da un numero più alto, per esempio perché nello stesso "
            "anno sono già state emesse ricevute a mano, premere il pulsante N e indicare il numero "
            "iniziale. Il numero proposto può comunque essere modificato prima del salvataggio."),
        QStringLiteral(
            "Per modificare una ricevuta già archiviata basta visualizzarla con le frecce di scorrimento "
            "oppure con la ricerca, apportare le correzioni e premere Salva: la ricevuta viene aggiornata "
            "nella stessa posizione dell'archivio, senza crearne una nuova."),
        QStringLiteral(
            "Il pulsante Duplica prepara una nuova ricevuta partendo da quella visualizzata: tutti i dati "
            "vengono mantenuti, la data diventa quella odierna e resta da indicare soltanto il nuovo numero. "
            "È il modo più rapido per emettere ogni mese la ricevuta della retta allo stesso pagatore. Al "
            "termine premere Salva per registrarla in archivio."),
        QStringLiteral(
            "Il pulsante Trova apre la ricerca nell'archivio dell'anno: si possono indicare uno o più "
            "criteri insieme, come il numero, la data, il pagatore, il codice fiscale, la causale o il "
            "nome del bambino, anche solo in parte. Con un doppio clic sulla ricevuta trovata, questa viene "
            "caricata nella finestra di lavoro."),
        QStringLiteral(
            "Prima di stampare è possibile controllare la ricevuta con l'anteprima di stampa; il pulsante "
            "Stampa la invia alla stampante scelta. Il pulsante Esporta trasferisce l'intero archivio "
            "annuale delle ricevute in un foglio di lavoro di Microsoft Excel, da aprire con qualsiasi "
            "programma di calcolo."),
    };
}

QStringList OtherParagraphs() {
    return {
        QStringLiteral(
            "L'app Riepilogo Incassi calcola quanto è stato incassato in un intervallo di tempo. Si indicano "
            "l'anno solare e, per l'inizio e per la fine dell'intervallo, il giorno e il mese; per restringere il "
            "riepilogo si possono aggiungere come filtri il cognome e nome del pagatore e la causale di "
            "pagamento, anche solo in parte, mentre lasciandoli in bianco si ottengono tutti gli incassi "
            "dell'intervallo. Il pulsante Visualizza riepilogo mostra l'elenco delle ricevute trovate con il "
            "totale degli importi; nell'elenco si può cercare un testo con Trova, e il riepilogo si può "
            "stampare."),
        QStringLiteral(
            "L'app Archivio Anagrafico raccoglie una scheda per ogni bambino iscritto: i dati anagrafici "
            "del genitore che paga e del bambino, la persona delegata al ritiro, il numero di iscrizione, "
            "la quota, le date di iscrizione e di scadenza e la scadenza del certificato medico. A ogni "
            "scheda si può associare una foto, caricata da un file oppure scattata con la webcam, e "
            "ingrandirla con lo zoom; si possono inoltre allegare fino a tre documenti. Anche qui sono "
            "disponibili i pulsanti Nuovo, Duplica, Salva e Trova, la ricerca con più criteri, gli elenchi "
            "dei certificati medici scaduti e delle iscrizioni scadute, l'anteprima e la stampa della "
            "scheda e l'esportazione dell'intero archivio in un foglio di lavoro di Microsoft Excel."),
        QStringLiteral(
            "Carvenna può essere usato anche in una rete locale: installando il programma in una cartella "
            "condivisa, più postazioni di lavoro possono consultare e aggiornare gli stessi archivi di "
            "ricevute e di schede anagrafiche."),
        QStringLiteral(
            "Il programma non richiede installazioni particolari e può funzionare anche da una chiavetta "
            "USB. Tutti gli archivi si trovano nella cartella del programma: per fare una copia di "
            "sicurezza di tutti i dati è sufficiente copiare l'intera cartella su un altro disco o su una "
            "chiavetta."),
        QStringLiteral(
            "L'accesso al programma è protetto da una password, comune a tutti gli utenti, che può essere "
            "cambiata a piacere in qualsiasi momento con il pulsante Cambia password della finestra di "
            "accesso. Al primo avvio la password da digitare è CARVENNA; si consiglia di sostituirla "
            "subito con una password personale."),
        QStringLiteral(
            "In sintesi: con Carvenna la segreteria emette le ricevute in pochi clic, tiene in ordine "
            "l'archivio degli iscritti con le relative scadenze e conosce in ogni momento l'andamento degli "
            "incassi, il tutto in una sola cartella facile da copiare e da proteggere."),
    };
}

} // namespace

// The areas' own paragraphs come first, unchanged; the sections of the windows added since follow.
QString Carvenna::GeneralGuide() {
    return (IntroParagraphs() + ReceiptParagraphs() + OtherParagraphs()).join(kParagraphSeparator) +
           kParagraphSeparator + GuideSectionsText(AllTopics());
}

QString Carvenna::ReceiptsGuide() {
    return ReceiptParagraphs().join(kParagraphSeparator) + kParagraphSeparator +
           GuideSectionsText(ReceiptAreaTopics());
}
