#include "app/GuideSections.h"

namespace {

QList<GuideSection> BuildSections() {
    return {
        {GuideTopic::CopieSicurezza,
         QStringLiteral("Copie di sicurezza"),
         {QStringLiteral(
              "Ogni giorno, al primo accesso, Carvenna copia da solo gli archivi delle ricevute, l'archivio "
              "anagrafico, le impostazioni, la password e lo storico delle modifiche nella cartella Backup del "
              "programma, in una cartella che porta la data del giorno. Le copie degli ultimi 30 giorni sono "
              "conservate, le più vecchie vengono eliminate. Le foto e i documenti allegati non fanno parte "
              "della copia giornaliera."),
          QStringLiteral(
              "Il pulsante Copie del menu principale apre la finestra Copie di sicurezza: a sinistra i giorni "
              "di cui esiste una copia, a destra i file di quel giorno con la loro dimensione e il loro "
              "contenuto (quante ricevute o quante schede). Per rimettere in uso un file della copia "
              "selezionarlo e premere Ripristina: prima di sostituirlo il programma indica quando è stata "
              "fatta la copia e che cosa è stato scritto dopo, e chiede conferma; il file attuale non viene "
              "perso, ma spostato in una cartella della Backup che termina con \"prima-del-ripristino\"."),
          QStringLiteral(
              "Il pulsante Copia su... copia l'intera cartella del programma, foto e documenti compresi, in "
              "una cartella a scelta, per esempio su una chiavetta USB: la copia finisce in una cartella che "
              "porta la data del giorno. È bene farla almeno una volta alla settimana e conservare la "
              "chiavetta lontano dal computer.")}},
        {GuideTopic::RetteMese,
         QStringLiteral("Rette del mese"),
         {QStringLiteral(
              "Il pulsante Rette del mese della finestra dell'anno elenca le schede dell'archivio anagrafico "
              "iscritte nel mese scelto, con la quota e con quanto risulta già pagato dalle ricevute "
              "dell'anno. Le righe dei bambini che non hanno ancora pagato il mese sono spuntate; i mesi "
              "pagati in parte hanno un colore a sé e propongono soltanto la parte ancora da pagare."),
          QStringLiteral(
              "Scelti il mese, la data di emissione e la causale, il pulsante Emetti ricevute scrive in una "
              "volta sola una ricevuta per ogni riga spuntata, con la numerazione dell'anno, dopo aver "
              "chiesto conferma del numero e del totale. Stampa ricevute stampa le ricevute del mese in un "
              "unico lavoro di stampa; Non pagate stampa l'elenco di chi deve ancora pagare, ed Esporta in "
              "Excel lo trasferisce in un foglio di lavoro. Fatture elettroniche prepara la fattura "
              "elettronica di ogni ricevuta selezionata. Estratto conto, Solleciti, Addebiti SDD e Movimenti "
              "bancari aprono le finestre descritte nelle loro sezioni."),
          QStringLiteral(
              "Le parole delle causali che indicano una retta si scrivono nella casella Causali delle rette: "
              "una ricevuta con una di queste parole nella causale, o con la causale della scheda, conta come "
              "pagamento del mese del suo periodo.")}},
        {GuideTopic::DatiFiscali,
         QStringLiteral("Dati fiscali"),
         {QStringLiteral(
              "Il pulsante Dati fiscali della finestra dell'anno raccoglie i dati della scuola che servono "
              "alla fattura elettronica e alle attestazioni annuali: denominazione, partita IVA e codice "
              "fiscale, regime fiscale, indirizzo, CAP, comune, provincia e nazione, il riferimento "
              "normativo dell'esenzione, l'imposta di bollo e il prossimo numero di trasmissione."),
          QStringLiteral(
              "Applica e chiudi salva ogni dato corretto; partita IVA e codice fiscale vengono controllati come "
              "nelle ricevute. Un dato sbagliato viene segnalato e conserva il valore salvato prima, senza "
              "impedire che gli altri siano salvati; la finestra resta aperta su quel campo. Annulla chiude la "
              "finestra senza salvare. Se le righe del ricevente delle ricevute sono vuote, ricevute, solleciti "
              "ed estratti conto riportano la scuola da questi dati: denominazione, indirizzo, comune, codice "
              "fiscale e partita IVA."),
          QStringLiteral(
              "Nel riquadro Pagamenti indicare l'IBAN del conto della scuola e il suo intestatario (al massimo "
              "70 caratteri): servono per i bonifici, i solleciti e gli addebiti diretti. Per gli addebiti SDD servono anche l'identificativo "
              "creditore SEPA, di 23 caratteri come lo comunica la banca (IT, due cifre di controllo, tre "
              "caratteri, ZZZ se non usati, e 16 caratteri: il codice fiscale della persona, il codice fiscale o "
              "la partita IVA di 11 cifre preceduti da cinque zeri, o il codice dato dalla banca; per esempio "
              "IT15ZZZ0000090012340403), e, per il formato CBI richiesto dalle banche italiane, il codice CUC di 8 "
              "caratteri. Un identificativo abbreviato di 18 caratteri viene completato con i cinque zeri. Se un "
              "dato è sbagliato il programma dice quale e conserva per quel campo il valore di prima.")}},
        {GuideTopic::FatturaElettronica,
         QStringLiteral("Fattura elettronica"),
         {QStringLiteral(
              "Il pulsante Fattura elettronica dell'editor delle ricevute prepara la fattura elettronica "
              "della ricevuta visualizzata e già salvata, nel formato FatturaPA, nella cartella FatturaPA "
              "del programma; il file va poi trasmesso al Sistema di Interscambio con il proprio canale. I "
              "dati della scuola sono quelli della finestra Dati fiscali; nome e indirizzo del pagatore "
              "vengono presi dalla scheda anagrafica con lo stesso codice fiscale, oppure richiesti una "
              "volta sola e ricordati."),
          QStringLiteral(
              "Se la ricevuta ha già una fattura, il programma lo dice e chiede se prepararne un'altra: la "
              "risposta proposta è No. Dopo la fattura si può stampare la copia di cortesia per la famiglia. "
              "Una ricevuta annullata non si fattura.")}},
        {GuideTopic::AnnullaRicevuta,
         QStringLiteral("Annulla ricevuta"),
         {QStringLiteral(
              "Una ricevuta emessa per errore non si cancella: il pulsante Annulla ricevuta dell'editor la "
              "annulla. La finestra mostra numero, data, pagatore e importo della ricevuta e chiede il motivo "
              "dell'annullamento, che è obbligatorio; il pulsante proposto è Indietro, che lascia la ricevuta "
              "com'è."),
          QStringLiteral(
              "La ricevuta annullata resta in archivio con il suo numero, l'importo a zero e la causale che "
              "inizia con ANNULLATA: seguita dal motivo. Non conta più negli incassi, nelle rette del mese e "
              "nelle attestazioni, e non si può fatturare.")}},
        {GuideTopic::Storico,
         QStringLiteral("Storico"),
         {QStringLiteral(
              "Ogni salvataggio di una ricevuta o di una scheda viene annotato nello storico delle modifiche, "
              "con data, ora, postazione e utente. Il pulsante Storico dei due editor elenca le modifiche "
              "della ricevuta o della scheda visualizzata, dalla più recente, e per ognuna i campi cambiati "
              "con il valore prima e dopo, chiamati come sul modulo."),
          QStringLiteral(
              "Rimetti sullo schermo riporta nell'editor la versione precedente alla modifica scelta: per "
              "tenerla basta premere Salva, altrimenti la ricevuta o la scheda in archivio resta com'è. Una "
              "modifica annullata in seguito dal ripristino di una copia di sicurezza è indicata come tale.")}},
        {GuideTopic::Posta,
         QStringLiteral("Invio per e-mail"),
         {QStringLiteral(
              "Le ricevute (dalla finestra di stampa) e le attestazioni annuali si possono inviare per e-mail: "
              "il documento viene salvato in PDF nella cartella PDF del programma e si apre il programma di "
              "posta del computer con un nuovo messaggio al pagatore, il PDF già allegato, da controllare e "
              "spedire. L'indirizzo è quello della scheda anagrafica con il codice fiscale del pagatore; se la "
              "scheda non ne ha, il programma lo chiede."),
          QStringLiteral(
              "Se sul computer non è configurato un programma di posta, o se non si apre entro pochi secondi, "
              "un messaggio lo dice e indica dove si trova il PDF, da allegare a mano.")}},
        {GuideTopic::EsportaCome,
         QStringLiteral("Esporta come..."),
         {QStringLiteral(
              "Oltre al file Excel consueto, il pulsante Esporta come... delle finestre di esportazione, del "
              "riepilogo incassi e delle attestazioni annuali chiede dove salvare il file e con quale nome, "
              "come cartella di lavoro di Excel (.xlsx), che ogni programma di calcolo apre, oppure nel "
              "formato .xls. Se il file esiste già, il programma chiede prima di sostituirlo.")}},
        {GuideTopic::Attestazioni,
         QStringLiteral("Attestazioni annuali"),
         {QStringLiteral(
              "Il pulsante Attestazioni annuali della finestra del riepilogo incassi elenca, per l'anno "
              "indicato, una riga per ogni pagatore e bambino con le ricevute dell'anno e gli importi pagati "
              "con mezzi tracciabili, in contanti e con un mezzo non indicato, come servono alla "
              "dichiarazione dei redditi delle famiglie."),
          QStringLiteral(
              "Stampa attestazione stampa l'attestazione della riga scelta, Stampa tutte quelle di tutte le righe; "
              "l'attestazione riporta in testa la scuola che la rilascia, presa dai Dati fiscali o, in mancanza, dalle righe "
              "della scuola delle ricevute. Esporta in Excel ed Esporta come... trasferiscono la tabella, "
              "Invia per e-mail spedisce l'attestazione al pagatore.")}},
        {GuideTopic::ImportaSchede,
         QStringLiteral("Importa schede"),
         {QStringLiteral(
              "Il pulsante Importa schede dell'archivio anagrafico inserisce in una volta sola le schede di un "
              "foglio di calcolo (CSV, ODS o XLSX), per esempio l'elenco degli iscritti del nuovo anno. Il "
              "percorso del file si può scrivere o incollare nella casella, oppure scegliere con Scegli "
              "file...; la finestra mostra le prime righe del file e, per ogni colonna, il campo della scheda "
              "riconosciuto dall'intestazione, che si può cambiare dall'elenco a discesa."),
          QStringLiteral(
              "Sotto compaiono le righe con errori, che non saranno importate, e quelle con avvisi, per "
              "esempio un codice fiscale con il carattere di controllo errato: prima di importarle il "
              "programma chiede conferma, come fa Salva nella scheda. Le schede già presenti in archivio "
              "possono essere saltate. Importa aggiunge tutte le schede buone in un'unica operazione, che "
              "riesce per intero o non scrive nulla.")}},
        {GuideTopic::EstrattoConto,
         QStringLiteral("Estratto conto"),
         {QStringLiteral(
              "L'estratto conto mostra la situazione delle rette di una famiglia: per il minore della scheda e per "
              "ogni altro minore con lo stesso codice fiscale del pagatore, mese per mese dall'inizio "
              "dell'iscrizione fino al mese corrente (o alla fine dell'iscrizione), la retta dovuta, le ricevute "
              "che la pagano con numero, data e importo, e quanto resta da pagare. In fondo compaiono i totali "
              "(dovuto, pagato, da pagare, eventuale credito), le ricevute non conteggiate perché l'importo o il "
              "periodo non sono leggibili e i solleciti già inviati."),
          QStringLiteral(
              "Si apre con il pulsante Estratto conto dell'anagrafica, per la scheda visualizzata, oppure da Rette "
              "del mese, per la riga selezionata e fino al mese scelto. Anteprima e Stampa producono il documento "
              "(in PDF come Estratto_conto_<cognome nome>_<anno>.pdf); Invia per e-mail lo allega a un nuovo "
              "messaggio per l'indirizzo della scheda.")}},
        {GuideTopic::Solleciti,
         QStringLiteral("Solleciti"),
         {QStringLiteral(
              "Da Rette del mese, il pulsante Solleciti prepara una lettera per ogni pagatore delle righe spuntate "
              "non ancora pagate del tutto: la lettera elenca ogni minore e ogni mese ancora dovuto fino al mese "
              "scelto, con il totale e le istruzioni per il bonifico (IBAN e intestatario inseriti in Dati "
              "fiscali, causale da indicare) e un codice QR che le app bancarie leggono per compilare il "
              "bonifico. Se l'IBAN non è valido le lettere non riportano né l'IBAN né il codice QR e ne indicano "
              "il motivo. Le schede senza codice fiscale, senza minore o con quota zero sono elencate nella "
              "finestra con il motivo."),
          QStringLiteral(
              "Stampa stampa tutte le lettere in un'unica stampa (Solleciti_<anno>_<mese>.pdf); Invia per e-mail "
              "apre un messaggio per ogni pagatore con la lettera allegata e, alla fine, elenca i pagatori senza "
              "indirizzo e-mail, le cui lettere vengono stampate. Ogni sollecito è annotato nel registro "
              "Storico/<anno>.solleciti.log e compare nell'estratto conto.")}},
        {GuideTopic::RegistroFatture,
         QStringLiteral("Fatture elettroniche"),
         {QStringLiteral(
              "Il pulsante Fatture elettroniche della finestra dell'anno elenca le fatture e le note di credito "
              "scritte nella cartella FatturaPA, mese per mese, con il loro stato. Crea pacchetto prepara il file "
              "ZIP da caricare in una sola volta nel portale Fatture e Corrispettivi: contiene le fatture scelte "
              "nell'elenco (anche una sola) oppure, se non se ne sceglie nessuna, quelle del periodo non ancora "
              "inviate. Le fatture del pacchetto restano Nel pacchetto ... (da caricare) finché, dopo averlo "
              "caricato nel portale, si preme Segna come inviate, o finché si leggono le ricevute del Sistema di "
              "Interscambio. La finestra si apre sull'anno intero."),
          QStringLiteral(
              "Leggi ricevute SdI legge le ricevute scaricate dal portale o arrivate per PEC (file che finiscono "
              "con _RC_, _NS_ o _MC_) e aggiorna lo stato: Consegnata il ..., Scartata con i codici di errore, "
              "oppure Non recapitata. Una fattura o una nota di credito scartata si corregge e si emette di nuovo, "
              "con un nuovo numero, con Emetti di nuovo; "
              "per una fattura non recapitata la famiglia deve ricevere la copia di cortesia, da stampare con "
              "Copie di cortesia o da inviare con Invia per e-mail."),
          QStringLiteral(
              "Imposta di bollo mostra per ogni trimestre i documenti con bollo virtuale, l'importo da versare con "
              "il modello F24, il codice tributo e la scadenza, da stampare o esportare in Excel. Annullando una "
              "ricevuta già fatturata, il programma emette insieme la nota di credito che storna la fattura.")}},
        {GuideTopic::MandatoSdd,
         QStringLiteral("Mandato SDD"),
         {QStringLiteral(
              "Nella scheda anagrafica, il pulsante Mandato SDD apre il mandato di addebito del pagatore (un "
              "mandato per codice fiscale, valido per tutti i suoi figli). Indicare l'IBAN del pagatore, il codice "
              "del mandato e la data di firma. La casella Primo addebito già effettuato si spunta da sola quando "
              "il primo file SDD viene creato; spuntarla a mano solo per mandati già usati con un altro "
              "programma.")}},
        {GuideTopic::AddebitiSdd,
         QStringLiteral("Addebiti SDD"),
         {QStringLiteral(
              "In Rette del mese, spuntare le righe da incassare e premere Addebiti SDD: compaiono gli addebiti "
              "delle famiglie con un mandato, con l'importo ancora dovuto del mese, e sotto le righe escluse con "
              "il motivo. Scrivere la data di addebito o sceglierla con Calendario (un giorno lavorativo bancario, "
              "almeno il successivo) e "
              "premere Crea file SDD: il file viene salvato nella cartella SDD (SDD_anno_mese_n.xml) ed è da "
              "caricare nel sito della banca. Stampa elenco stampa l'elenco con gli IBAN mascherati."),
          QStringLiteral(
              "Il messaggio finale indica il percorso completo del file e l'ultimo giorno utile per consegnarlo "
              "alla banca (almeno un giorno lavorativo prima della data di addebito); Apri cartella mostra la "
              "cartella. Il registro SDD/Registro_SDD.txt ricorda quali mesi sono in ogni file: in Rette del mese "
              "quei mesi risultano In addebito SDD, non vengono messi in un altro file, non compaiono nei "
              "solleciti né tra le rette non pagate. Un file non ancora consegnato alla banca si ritira con Ritira "
              "file: i suoi mesi tornano da pagare e i mandati al primo addebito tornano FRST. Un addebito "
              "respinto dalla banca, letto in Movimenti bancari, libera il suo mese.")}},
        {GuideTopic::MovimentiBancari,
         QStringLiteral("Movimenti bancari"),
         {QStringLiteral(
              "In Rette del mese, Movimenti bancari apre l'estratto conto scaricato dalla banca (file XML "
              "camt.053, oppure CSV o foglio di lavoro del servizio home banking; per questi si possono correggere "
              "le colonne con Cambia colonna). Ogni accredito viene abbinato al minore e ai mesi che paga: "
              "abbinato, da verificare, non abbinato o già registrato. Per correggere un abbinamento, selezionare "
              "il movimento, scegliere la scheda e premere Abbina alla scheda. Un bonifico la cui causale nomina "
              "i mesi (RETTA NOVEMBRE, ott 2026, 10/2026) paga prima quei mesi; senza mesi nella causale paga i "
              "più vecchi da pagare. La colonna Abbinato per dice come sono stati scelti scheda e mesi."),
          QStringLiteral(
              "Emetti ricevute emette in una sola volta le ricevute dei movimenti spuntati, datate il giorno "
              "in cui si emettono, nell'archivio di quell'anno; il metodo di pagamento riporta il giorno del "
              "pagamento e il riferimento della banca (Bonifico bancario del 07/12/2026, rif. ...; per un addebito "
              "SDD anche il mandato). Nessuna ricevuta può avere una data precedente all'ultima già in archivio. "
              "Un movimento già trasformato in ricevuta non viene più "
              "proposto. Gli addebiti respinti o stornati sono elencati in basso con il motivo: i loro mesi "
              "restano da pagare.")}},
        {GuideTopic::CodiceFiscaleMinore,
         QStringLiteral("Codice fiscale del minore"),
         {QStringLiteral(
              "Nella scheda anagrafica, accanto alla data di nascita del minore, il campo Codice fiscale minore "
              "raccoglie il codice fiscale del bambino: serve alle attestazioni per il bonus nido, alle ricevute, "
              "alle fatture e alle attestazioni annuali. Il pulsante accanto al campo controlla il codice. Salva "
              "non accetta un codice errato (si può lasciare il campo vuoto); se il codice è giusto ma la data di "
              "nascita che contiene non è quella della scheda, la scheda viene salvata e un avviso lo segnala."),
          QStringLiteral(
              "Il codice resta legato alla sua scheda anche quando si cambiano i dati della scheda o il genitore "
              "che paga; ogni fratello ha il suo, e Duplica lascia il campo vuoto. I codici sono conservati nel "
              "file Codici_Fiscali_Minori.ini accanto all'archivio anagrafico e fanno parte delle copie di "
              "sicurezza. Importa schede legge la colonna \"Codice fiscale minore\".")}},
        {GuideTopic::BonusNido,
         QStringLiteral("Bonus nido"),
         {QStringLiteral(
              "Per il bonus asilo nido l'INPS chiede, per ogni mese, un documento della scuola con: la scuola e il "
              "suo codice fiscale o partita IVA, il minore e il suo codice fiscale, il mese, l'importo pagato per "
              "il mese con gli altri servizi (mensa, pre e post scuola) indicati a parte, il genitore che ha "
              "pagato con il suo codice fiscale e come ha pagato (modalità, data, riferimento)."),
          QStringLiteral(
              "Il pulsante Bonus nido della finestra dell'anno prepara l'Attestazione di pagamento per il bonus "
              "nido di ogni minore con pagamenti nell'anno scritto: una pagina per ogni mese con la retta pagata, "
              "con le ricevute che la pagano (anche in parte o con il credito di un'altra ricevuta), la modalità "
              "di pagamento con la sua data e il riferimento quando la ricevuta li riporta, e la firma della "
              "scuola. I dati della scuola vengono da Dati fiscali. Un mese pagato in contanti è indicato come "
              "tale: l'INPS non accetta i pagamenti non tracciabili. Un mese non pagato non ha pagina."),
          QStringLiteral(
              "Crea PDF salva un file per famiglia nella cartella PDF/Bonus_nido/<anno> del programma; Stampa "
              "stampa tutte le attestazioni in un unico lavoro; Invia per e-mail prepara un messaggio per ogni "
              "pagatore con la sua attestazione allegata (chi non ha l'indirizzo viene stampato). I minori senza "
              "codice fiscale, o con un codice errato, sono elencati in rosso: l'attestazione viene fatta lo "
              "stesso e dice \"codice fiscale del minore mancante\"; completare la scheda e rifarla."),
          QStringLiteral(
              "Da Estratto conto, il pulsante Bonus nido mostra le attestazioni dei minori della famiglia per "
              "l'anno indicato accanto, da stampare o inviare.")}},
    };
}

} // namespace

const QList<GuideSection>& GuideSections() {
    static const QList<GuideSection> sections = BuildSections();
    return sections;
}

const GuideSection& GuideSectionOf(GuideTopic topic) {
    for (const GuideSection& s : GuideSections())
        if (s.topic == topic)
            return s;
    Q_UNREACHABLE();
}

QString GuideSectionText(GuideTopic topic) {
    return GuideSectionOf(topic).paragraphs.join(QStringLiteral("\r\n\r\n"));
}

QString GuideHeading(const QString& title) {
    return QStringLiteral("— %1 —").arg(title);
}

QString GuideSectionsText(const QList<GuideTopic>& topics) {
    QStringList paragraphs;
    for (GuideTopic t : topics) {
        const GuideSection& s = GuideSectionOf(t);
        paragraphs << GuideHeading(s.title) << s.paragraphs;
    }
    return paragraphs.join(QStringLiteral("\r\n\r\n"));
}

QList<GuideTopic> ReceiptAreaTopics() {
    return {GuideTopic::RetteMese,        GuideTopic::EstrattoConto,    GuideTopic::Solleciti,
            GuideTopic::AddebitiSdd,      GuideTopic::MovimentiBancari, GuideTopic::DatiFiscali,
            GuideTopic::FatturaElettronica, GuideTopic::RegistroFatture, GuideTopic::BonusNido,
            GuideTopic::AnnullaRicevuta,  GuideTopic::Storico,          GuideTopic::Posta,
            GuideTopic::EsportaCome};
}

QList<GuideTopic> RegistryAreaTopics() {
    return {GuideTopic::ImportaSchede, GuideTopic::CodiceFiscaleMinore, GuideTopic::EstrattoConto,
            GuideTopic::MandatoSdd, GuideTopic::Storico, GuideTopic::EsportaCome};
}

QList<GuideTopic> SummaryAreaTopics() {
    return {GuideTopic::Attestazioni, GuideTopic::EsportaCome};
}

QList<GuideTopic> AllTopics() {
    QList<GuideTopic> all;
    for (const GuideSection& s : GuideSections())
        all << s.topic;
    return all;
}
