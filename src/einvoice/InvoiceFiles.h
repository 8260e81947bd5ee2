#pragma once
// The folder FatturaPA of the program folder: the invoice files, their register registro.csv (one
// line per file written, so that a receipt is not invoiced twice by mistake) and the names and
// addresses the office typed for payers without a usable registry card (Anagrafiche.ini).
#include "einvoice/Invoice.h"
#include "storage/RegistryFile.h"
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

inline constexpr const char* InvoiceFolderName = "FatturaPA";

struct RegisterEntry {
    QString file;        // file name inside FatturaPA
    QString year;        // the receipt archive's year
    QString numero;      // receipt number
    qint64 position = 0; // the receipt's position in its archive: the key that never changes
    QString payer;
    QString total;   // "125,50"
    QString written; // date the file was written, dd/mm/yyyy
    // Columns added later; lines written before them read as invoices with an unknown stamp.
    QString tipo;          // TD01 invoice, TD04 credit note
    QString documento;     // the document's number (an invoice's is the receipt's)
    QString dataDocumento; // the document's date, dd/mm/yyyy
    QString collegata;     // TD04: the file it cancels; TD01: the rejected file it replaces
    QString bollo;         // "SI" with virtual stamp duty, "NO" without, empty when not recorded
    QString stato;         // what happened after writing (package, delivery, rejection)

    bool IsCreditNote() const { return tipo == QLatin1String("TD04"); }
    /// The document number, also for lines written before the number had its column.
    QString Number() const { return documento.isEmpty() ? numero : documento; }
    /// The document date; the writing date for lines written before it had its column.
    QDate Date() const;
};

QString InvoiceFolder(const QString& programFolder);
QString RegisterPath(const QString& programFolder);
QString PayerBookPath(const QString& programFolder);

/// Reads the register; a missing file is an empty register. Lines that are not entries are skipped.
bool ReadRegister(const QString& path, QVector<RegisterEntry>& out, QString* error = nullptr);
/// The failure of a batch whose register cannot be read (`why`: the reader's reason).
QString RegisterUnreadable(const QString& why);
/// Adds `entries` at the end, saving the whole file at once (old content or new, never half).
bool AppendRegister(const QString& path, const QVector<RegisterEntry>& entries, QString* error = nullptr);
/// The indexes of the register lines dated in `year` (document date), and in `month` unless it is 0.
QVector<int> RegisterRows(const QVector<RegisterEntry>& reg, int year, int month);
/// Replaces the register with `entries` (a state changed), saving the whole file at once.
bool SaveRegister(const QString& path, const QVector<RegisterEntry>& entries, QString* error = nullptr);

/// The register's lock: one writer of invoices, credit notes, packages or states at a time across the
/// workstations sharing the folder. A crashed writer's lock is taken over after ten minutes.
class RegisterLock {
public:
    explicit RegisterLock(const QString& programFolder);
    ~RegisterLock();
    RegisterLock(const RegisterLock&) = delete;
    RegisterLock& operator=(const RegisterLock&) = delete;
    /// Waits up to `waitMs`; false, with the message for the office in `error`, when another holds it.
    bool Acquire(int waitMs, QString* error);

private:
    struct Impl;
    Impl* m_impl;
};
/// The message when another workstation holds the register.
QString RegisterBusyMessage();

/// The name and address kept for `code`, when the office typed them before.
std::optional<InvoicePayer> LoadPayer(const QString& bookPath, const QString& code);
bool SavePayer(const QString& bookPath, const QString& code, const InvoicePayer& payer, QString* error = nullptr);

/// The two-letter code of a country as the registry card writes it ("Italia", "IT", "Svizzera"); empty
/// when it is not known (then the office is asked).
QString CountryCode(const QString& nazione);
/// What the office must still give before `p` can be invoiced (`firm`: named by a VAT number), as words
/// for a message ("l'indirizzo, il comune"); empty when nothing is missing.
QString MissingPayerData(const InvoicePayer& p, bool firm);
/// The payer as registry card `card` gives them (`firm`: the card's name is the firm's). A name of
/// exactly two words is surname and name; otherwise the whole name stays in the surname and the name is
/// missing. A town written "Milano (MI)" gives the province.
InvoicePayer PayerFromCard(const RegistryRecord& card, bool firm);

/// The payer of an invoice from the card with the receipt's code (null when none) and what the office
/// typed for that code before (`book`). A complete card wins, since the registry is kept up to date;
/// an incomplete one takes the typed split of its own name (only while the card still has that name) and
/// the typed address when its own lacks something. Without a card the typed data serve. `missing` gets
/// MissingPayerData of the result, or, without card and typed data, a text saying so.
InvoicePayer LookUpPayer(const RegistryRecord* card, const std::optional<InvoicePayer>& book, bool firm,
                         QString* missing);

/// One receipt to invoice, with its payer already known.
struct InvoiceJob {
    ReceiptRecord receipt;
    qint64 position = 0;
    InvoicePayer payer;
    QString childTaxCode; // of the receipt's child, named in the fee line; empty when not known
};

/// The next free transmission number from `from` on: numbers whose invoice (.xml) or package (.zip)
/// file is in `folder`, or set aside in its Non_registrate/, are taken.
int FreeProgressivo(const QString& folder, const QString& transmitter, int from);

/// FatturaPA/Non_registrate/ of `programFolder`: invoice files that were written but never registered.
QString UnregisteredFolder(const QString& programFolder);
/// Moves the invoice files of FatturaPA/ that `reg` does not name (a batch stopped between writing a
/// file and registering it) into Non_registrate/, so that the folder holds what the register says and a
/// file never registered is not sent by mistake; their numbers stay taken. Called under the register's
/// lock, by every writer before it writes.
void SetAsideUnregisteredFiles(const QString& programFolder, const QVector<RegisterEntry>& reg);

struct InvoiceBatchResult {
    QStringList files;   // written, in order
    QStringList refused; // one message per receipt that got no file (bad data)
    QStringList notes;   // transliterations, one line each, with the receipt number
    QString failure;     // a file could not be written: the batch stopped there
    int nextProgressivo = 0;
};

/// The file of the last invoice of the receipt at `position` of `year` when the exchange system rejected
/// it (an invoice written again for it replaces that one); empty otherwise.
QString RejectedInvoiceOf(const QVector<RegisterEntry>& reg, const QString& year, qint64 position);
/// True for the state of an invoice the exchange system rejected.
bool IsRejectedState(const QString& stato);

/// Writes one invoice per job in the program folder's FatturaPA folder. The fiscal data and the
/// transmission number come from `settingsPath`. Each file is saved whole before it has its name;
/// a name already taken (by a file an earlier run could not register) is never overwritten. After the
/// files, the register gets their lines and the transmission number moves past the last file written.
/// Only one writer works at a time (a lock file beside the register): another one waits up to
/// `lockWaitMs` and then gives up with a message.
InvoiceBatchResult WriteInvoices(const QString& programFolder, const QString& settingsPath, const QString& year,
                                 const QVector<InvoiceJob>& jobs, const QDate& today, int lockWaitMs = 15000);
