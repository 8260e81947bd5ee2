#include "einvoice/InvoiceFiles.h"
#include "einvoice/LatinText.h"
#include "receipts/Cancellation.h"
#include "storage/IniFile.h"
#include "storage/SaveFile.h"
#include "storage/Text.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace {
const char kHeader[] = "File;Anno;Numero;Posizione;Pagatore;Totale;Data;Tipo;Documento;DataDocumento;Collegata;Bollo;Stato";

QString Quote(const QString& s) {
    if (!s.contains(QLatin1Char(';')) && !s.contains(QLatin1Char('"')))
        return s;
    QString q = s;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QStringList SplitCsv(const QString& line) {
    if (!line.contains(QLatin1Char('"')))
        return line.split(QLatin1Char(';'));
    QStringList cells;
    QString cur;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                cur += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                cur += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(';')) {
            cells << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    cells << cur;
    return cells;
}

QByteArray EntryLine(const RegisterEntry& e) {
    QStringList cells = {Quote(e.file),  Quote(e.year),  Quote(e.numero), QString::number(e.position),
                         Quote(e.payer), Quote(e.total), Quote(e.written)};
    for (const QString* s : {&e.tipo, &e.documento, &e.dataDocumento, &e.collegata, &e.bollo, &e.stato}) {
        QString v = *s;
        v.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
        cells << Quote(v);
    }
    return ToWin1252(cells.join(QLatin1Char(';'))) + "\r\n";
}

QString EuroText(qint64 cents) {
    return QString::number(cents / 100) + QLatin1Char(',') + QString::number(cents % 100).rightJustified(2, '0');
}
} // namespace

QString InvoiceFolder(const QString& programFolder) {
    return programFolder + QLatin1String(InvoiceFolderName) + QLatin1Char('/');
}
QString RegisterPath(const QString& programFolder) {
    return InvoiceFolder(programFolder) + QStringLiteral("registro.csv");
}
QString PayerBookPath(const QString& programFolder) {
    return InvoiceFolder(programFolder) + QStringLiteral("Anagrafiche.ini");
}

bool ReadRegister(const QString& path, QVector<RegisterEntry>& out, QString* error) {
    out.clear();
    QFile f(path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    const QByteArray bytes = f.readAll();
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = FromWin1252(raw).remove(QLatin1Char('\r'));
        const QStringList c = SplitCsv(line);
        bool ok = false;
        const qint64 pos = c.size() >= 7 ? c[3].toLongLong(&ok) : 0;
        if (!ok) // the header, a blank or a torn line
            continue;
        RegisterEntry e;
        e.file = c[0];
        e.year = c[1];
        e.numero = c[2];
        e.position = pos;
        e.payer = c[4];
        e.total = c[5];
        e.written = c[6];
        auto cell = [&c](int i) { return i < c.size() ? c[i] : QString(); };
        e.tipo = cell(7).isEmpty() ? QStringLiteral("TD01") : cell(7);
        e.documento = cell(8);
        e.dataDocumento = cell(9);
        e.collegata = cell(10);
        e.bollo = cell(11);
        e.stato = cell(12);
        out << e;
    }
    return true;
}

QString RegisterUnreadable(const QString& why) {
    return QStringLiteral("Il registro delle fatture non può essere letto: %1").arg(why);
}

bool AppendRegister(const QString& path, const QVector<RegisterEntry>& entries, QString* error) {
    QByteArray bytes;
    QFile f(path);
    if (f.exists()) {
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = f.errorString();
            return false;
        }
        bytes = f.readAll();
        f.close();
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += "\r\n"; // close a line torn by an earlier failure
    } else {
        bytes = QByteArray(kHeader) + "\r\n";
    }
    for (const RegisterEntry& e : entries)
        bytes += EntryLine(e);
    return SaveWholeFile(path, bytes, error);
}

bool SaveRegister(const QString& path, const QVector<RegisterEntry>& entries, QString* error) {
    QByteArray bytes = QByteArray(kHeader) + "\r\n";
    for (const RegisterEntry& e : entries)
        bytes += EntryLine(e);
    return SaveWholeFile(path, bytes, error);
}

QVector<int> RegisterRows(const QVector<RegisterEntry>& reg, int year, int month) {
    QVector<int> rows;
    for (int i = 0; i < reg.size(); ++i) {
        const QDate d = reg[i].Date();
        if (d.year() == year && (month == 0 || d.month() == month))
            rows << i;
    }
    return rows;
}

QDate RegisterEntry::Date() const {
    const QDate d = QDate::fromString(dataDocumento, QStringLiteral("dd/MM/yyyy"));
    return d.isValid() ? d : QDate::fromString(written, QStringLiteral("dd/MM/yyyy"));
}

struct RegisterLock::Impl {
    QLockFile lock;
    explicit Impl(const QString& path) : lock(path) {}
};

RegisterLock::RegisterLock(const QString& programFolder)
    : m_impl(new Impl(InvoiceFolder(programFolder) + QStringLiteral("registro.lock"))) {
    m_impl->lock.setStaleLockTime(10 * 60 * 1000); // longer than any batch
}

RegisterLock::~RegisterLock() {
    delete m_impl;
}

bool RegisterLock::Acquire(int waitMs, QString* error) {
    if (m_impl->lock.tryLock(waitMs))
        return true;
    if (error)
        *error = RegisterBusyMessage();
    return false;
}

QString RegisterBusyMessage() {
    return QStringLiteral("Un'altra postazione sta scrivendo fatture elettroniche: riprovare tra poco.");
}

int FreeProgressivo(const QString& folder, const QString& transmitter, int from) {
    int next = from;
    while (next <= 99999) {
        const QString base = folder + QStringLiteral("IT%1_%2").arg(transmitter, ProgressivoText(next));
        // A file set aside as never registered keeps its number.
        const QString aside = folder + QStringLiteral("Non_registrate/") + QFileInfo(base).fileName() +
                              QStringLiteral(".xml");
        if (!QFileInfo::exists(base + QStringLiteral(".xml")) && !QFileInfo::exists(base + QStringLiteral(".zip")) &&
            !QFileInfo::exists(aside))
            break;
        ++next;
    }
    return next;
}

QString UnregisteredFolder(const QString& programFolder) {
    return InvoiceFolder(programFolder) + QStringLiteral("Non_registrate/");
}

void SetAsideUnregisteredFiles(const QString& programFolder, const QVector<RegisterEntry>& reg) {
    static const QRegularExpression invoiceName(QStringLiteral("^IT[A-Z0-9]+_[0-9A-Za-z]{5}\\.xml$"));
    QSet<QString> registered;
    for (const RegisterEntry& e : reg)
        registered.insert(e.file);
    const QDir folder(InvoiceFolder(programFolder));
    for (const QString& name : folder.entryList({QStringLiteral("*.xml")}, QDir::Files)) {
        if (registered.contains(name) || !invoiceName.match(name).hasMatch())
            continue;
        // Kept, not removed: what an interrupted batch wrote can still be looked at.
        const QString aside = UnregisteredFolder(programFolder);
        if (QDir().mkpath(aside) && !QFileInfo::exists(aside + name))
            QFile::rename(folder.filePath(name), aside + name);
    }
}

std::optional<InvoicePayer> LoadPayer(const QString& bookPath, const QString& code) {
    if (code.isEmpty() || !QFileInfo::exists(bookPath))
        return std::nullopt;
    InvoicePayer p;
    p.cognome = IniRead(bookPath, code, QStringLiteral("Cognome"));
    p.nome = IniRead(bookPath, code, QStringLiteral("Nome"));
    p.denominazione = IniRead(bookPath, code, QStringLiteral("Denominazione"));
    p.indirizzo = IniRead(bookPath, code, QStringLiteral("Indirizzo"));
    p.cap = IniRead(bookPath, code, QStringLiteral("CAP"));
    p.comune = IniRead(bookPath, code, QStringLiteral("Comune"));
    p.provincia = IniRead(bookPath, code, QStringLiteral("Provincia"));
    p.nazione = IniRead(bookPath, code, QStringLiteral("Nazione"));
    if (p.indirizzo.isEmpty() || (p.cognome.isEmpty() && p.denominazione.isEmpty()))
        return std::nullopt;
    if (p.nazione.isEmpty())
        p.nazione = QStringLiteral("IT");
    return p;
}

bool SavePayer(const QString& bookPath, const QString& code, const InvoicePayer& p, QString* error) {
    if (!QDir().mkpath(QFileInfo(bookPath).absolutePath())) {
        if (error)
            *error = QStringLiteral("cartella non creata");
        return false;
    }
    const QVector<QPair<const char*, QString>> keys = {
        {"Cognome", p.cognome}, {"Nome", p.nome},     {"Denominazione", p.denominazione}, {"Indirizzo", p.indirizzo},
        {"CAP", p.cap},         {"Comune", p.comune}, {"Provincia", p.provincia},         {"Nazione", p.nazione}};
    // Kept as the invoice writes it: the file's code page lacks most letters the schema spells out.
    for (const auto& [key, value] : keys)
        if (!IniWrite(bookPath, code, QString::fromLatin1(key), ToSchemaLatin(value).text, error))
            return false;
    return true;
}

QString CountryCode(const QString& nazione) {
    const QString n = UpperAZ(TrimText(nazione));
    if (n.isEmpty() || n == QLatin1String("ITALIA"))
        return QStringLiteral("IT");
    static const QVector<QPair<const char*, const char*>> names = {
        {"SAN MARINO", "SM"}, {"SVIZZERA", "CH"},    {"FRANCIA", "FR"}, {"GERMANIA", "DE"},   {"AUSTRIA", "AT"},
        {"SPAGNA", "ES"},     {"SLOVENIA", "SI"},    {"ROMANIA", "RO"}, {"ALBANIA", "AL"},    {"REGNO UNITO", "GB"},
        {"BELGIO", "BE"},     {"PAESI BASSI", "NL"}, {"POLONIA", "PL"}, {"PORTOGALLO", "PT"}, {"GRECIA", "GR"}};
    for (const auto& [name, code] : names)
        if (n == QLatin1String(name))
            return QLatin1String(code);
    if (n.size() == 2 && n[0].isLetter() && n[1].isLetter() && n[0].unicode() < 128 && n[1].unicode() < 128)
        return n;
    return QString();
}

namespace {
QString NameKey(const QString& s) {
    return UpperAZ(TrimText(s).simplified());
}
} // namespace

QString MissingPayerData(const InvoicePayer& p, bool firm) {
    QStringList missing;
    if (firm) {
        if (TrimText(p.denominazione).isEmpty())
            missing << QStringLiteral("la denominazione");
    } else if (TrimText(p.nome).isEmpty() && TrimText(p.cognome).contains(QLatin1Char(' '))) {
        missing << QStringLiteral("la divisione tra cognome e nome di \"%1\"").arg(TrimText(p.cognome));
    } else {
        if (TrimText(p.cognome).isEmpty())
            missing << QStringLiteral("il cognome");
        if (TrimText(p.nome).isEmpty())
            missing << QStringLiteral("il nome");
    }
    if (TrimText(p.indirizzo).isEmpty())
        missing << QStringLiteral("l'indirizzo");
    if (TrimText(p.comune).isEmpty())
        missing << QStringLiteral("il comune");
    if (p.nazione.isEmpty())
        missing << QStringLiteral("la nazione (codice di due lettere)");
    else if (p.nazione == QLatin1String("IT") && (TrimText(p.cap).size() != 5 || !OnlyDigits(TrimText(p.cap))))
        missing << QStringLiteral("il CAP di cinque cifre");
    return missing.join(QStringLiteral(", "));
}

InvoicePayer PayerFromCard(const RegistryRecord& card, bool firm) {
    InvoicePayer p;
    if (firm) {
        p.denominazione = TrimText(card.Tiratore);
    } else if (const auto split = SplitSurnameName(card.Tiratore)) {
        p.cognome = split->first;
        p.nome = split->second;
    } else {
        // The whole name in the surname field: the office moves the given names across.
        p.cognome = TrimText(card.Tiratore).simplified();
    }
    p.indirizzo = TrimText(card.Indirizzo);
    p.cap = TrimText(card.Cap);
    p.comune = TrimText(card.Citta);
    static const QRegularExpression withProvince(QStringLiteral("^(.*\\S)\\s*\\(([A-Za-z]{2})\\)$"));
    if (const QRegularExpressionMatch m = withProvince.match(p.comune); m.hasMatch()) {
        p.comune = m.captured(1);
        p.provincia = UpperAZ(m.captured(2));
    }
    p.nazione = CountryCode(card.Nazione);
    return p;
}

InvoicePayer LookUpPayer(const RegistryRecord* card, const std::optional<InvoicePayer>& book, bool firm,
                         QString* missing) {
    if (!card) {
        if (missing)
            *missing = book ? MissingPayerData(*book, firm) : QStringLiteral("nome e indirizzo del pagatore");
        return book ? *book : InvoicePayer();
    }
    InvoicePayer p = PayerFromCard(*card, firm);
    if (book && !MissingPayerData(p, firm).isEmpty()) {
        // The typed name serves only while the card still has that name.
        if (firm) {
            if (p.denominazione.isEmpty())
                p.denominazione = book->denominazione;
        } else if (p.nome.isEmpty() &&
                   NameKey(book->cognome + QLatin1Char(' ') + book->nome) == NameKey(card->Tiratore)) {
            p.cognome = book->cognome;
            p.nome = book->nome;
        }
        InvoicePayer addressOnly = p;
        addressOnly.cognome = addressOnly.nome = addressOnly.denominazione = QStringLiteral("x");
        if (!MissingPayerData(addressOnly, false).isEmpty()) {
            p.indirizzo = book->indirizzo;
            p.cap = book->cap;
            p.comune = book->comune;
            p.provincia = book->provincia;
            p.nazione = book->nazione;
        }
    }
    if (missing)
        *missing = MissingPayerData(p, firm);
    return p;
}

QString RejectedInvoiceOf(const QVector<RegisterEntry>& reg, const QString& year, qint64 position) {
    QString rejected;
    for (const RegisterEntry& e : reg)
        if (e.year == year && e.position == position && !e.IsCreditNote())
            rejected = IsRejectedState(e.stato) ? e.file : QString();
    return rejected;
}

bool IsRejectedState(const QString& stato) {
    return stato.startsWith(QLatin1String("Scartata"));
}

InvoiceBatchResult WriteInvoices(const QString& programFolder, const QString& settingsPath, const QString& year,
                                 const QVector<InvoiceJob>& jobs, const QDate& today, int lockWaitMs) {
    InvoiceBatchResult result;
    if (QString e = CheckFiscalData(LoadFiscalData(settingsPath)); !e.isEmpty()) {
        result.failure = e;
        return result;
    }
    const QString folder = InvoiceFolder(programFolder);
    if (!QDir().mkpath(folder)) {
        result.failure = QStringLiteral("La cartella %1 non può essere creata.").arg(folder);
        return result;
    }
    // One writer at a time across the workstations that share the folder: the number read, the names
    // taken and the register's lines belong together.
    RegisterLock lock(programFolder);
    if (!lock.Acquire(lockWaitMs, &result.failure))
        return result;
    // Read again under the lock: the number as the last writer left it.
    const FiscalData school = LoadFiscalData(settingsPath);
    if (QString e = CheckFiscalData(school); !e.isEmpty()) {
        result.failure = e;
        return result;
    }
    int next = school.progressivo;
    result.nextProgressivo = next;
    QVector<RegisterEntry> registered; // a rejected invoice written again is linked to its new file
    if (ReadRegister(RegisterPath(programFolder), registered))
        SetAsideUnregisteredFiles(programFolder, registered);
    // The receipts as stored now, under the lock that a cancellation holds until it is saved: a receipt
    // cancelled since the batch was planned gets no invoice.
    QVector<ReceiptRecord> stored;
    const QString yearFile = programFolder + year + QStringLiteral(".ric");
    if (QFileInfo::exists(yearFile)) {
        ReceiptFile receipts;
        if (receipts.OpenOrCreate(yearFile))
            receipts.ReadAll(stored);
        receipts.Close();
    }
    QVector<RegisterEntry> entries;
    for (const InvoiceJob& job : jobs) {
        QString error;
        if (job.position >= 1 && job.position <= stored.size()) {
            const ReceiptRecord& now = stored[job.position - 1];
            if (TrimText(now.NumRic) == TrimText(job.receipt.NumRic) && IsCancelled(now)) {
                result.refused << QStringLiteral("Ricevuta n. %1: annullata nel frattempo da un'altra postazione, la fattura "
                                                 "non è stata emessa.")
                                      .arg(TrimText(job.receipt.NumRic));
                continue;
            }
        }
        // A name already taken belongs to a file that an interrupted run wrote but did not register,
        // or to a package.
        next = FreeProgressivo(folder, school.TransmitterCode(), next);
        std::optional<Invoice> inv = BuildInvoice(school, job.receipt, job.payer, next, &error, job.childTaxCode);
        if (!inv) {
            result.refused << error;
            continue;
        }
        const QString name = inv->FileName();
        QString saveError;
        if (!SaveWholeFile(folder + name, InvoiceXml(*inv), &saveError)) {
            result.failure = QStringLiteral("Il file %1 non può essere scritto: %2").arg(name, saveError);
            break;
        }
        ++next;
        result.files << name;
        for (const QString& note : inv->transliterated)
            result.notes << QStringLiteral("Ricevuta n. %1 - %2").arg(inv->numero, note);
        const QString payer = inv->payer.denominazione.isEmpty()
                                  ? inv->payer.cognome + QLatin1Char(' ') + inv->payer.nome
                                  : inv->payer.denominazione;
        RegisterEntry entry;
        entry.file = name;
        entry.year = year;
        entry.numero = TrimText(job.receipt.NumRic);
        entry.position = job.position;
        entry.payer = payer;
        entry.total = EuroText(inv->totalCents);
        entry.written = today.toString(QStringLiteral("dd/MM/yyyy"));
        entry.tipo = QStringLiteral("TD01");
        entry.documento = inv->numero;
        entry.dataDocumento = inv->data.toString(QStringLiteral("dd/MM/yyyy"));
        entry.bollo = inv->datiBollo ? QStringLiteral("SI") : QStringLiteral("NO");
        entry.collegata = RejectedInvoiceOf(registered, year, job.position);
        entries << entry;
    }
    if (!entries.isEmpty()) {
        QString error;
        if (!AppendRegister(RegisterPath(programFolder), entries, &error) && result.failure.isEmpty())
            result.failure = QStringLiteral("Il registro delle fatture non può essere aggiornato: %1").arg(error);
        if (!SaveNextProgressivo(settingsPath, next, &error) && result.failure.isEmpty())
            result.failure = QStringLiteral("Il numero di trasmissione non può essere aggiornato: %1").arg(error);
    }
    result.nextProgressivo = next;
    return result;
}
