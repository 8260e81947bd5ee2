#pragma once
// The register of the direct-debit files, SDD/Registro_SDD.txt beside them: which file asks which
// child's month for how much, under which end-to-end id and sequence; which files were withdrawn before
// reaching the bank; and what the statements said of each debit (collected or returned). Every window
// that decides what is still owed asks it through the month rule (fees::DebitHolds), so a month asked
// by a pending file is neither issued, debited again nor reminded.
//
// One sealed line per entry (JournalLines), so a damaged line is found and named; the whole register is
// replaced at once. Every change of the register, its XML file and the mandates' first-collection flags
// is made under the register's lock and is all or nothing.
#include "fees/FeeLedger.h"
#include "payments/SddFile.h"
#include "payments/Statement.h"
#include <QDateTime>
#include <QVector>

namespace payments {

/// The register, relative to the program folder.
inline constexpr const char* SddRegisterName = "SDD/Registro_SDD.txt";

struct SddRegisterFile {
    QString name; // "SDD_2026_11_1.xml"
    QDate due;
    QDateTime created;
    bool withdrawn = false;
    QDate withdrawnOn;
};

struct SddRegisterDebit {
    QString file;
    qint64 card = 0;
    QString child, taxCode;
    fees::FeeMonth month;
    qint64 amount = 0; // ten-thousandths, to the cent
    QString endToEnd;
    Sequence sequence = Sequence::Recurring;
};

/// What a statement said of one of our debits.
struct SddOutcome {
    QString endToEnd;
    bool returned = false; // false: collected
    QDate booked;
    QString reason;        // of a return: the code's meaning
};

enum class DebitStatus {
    Pending,   // the file asks it and nothing is known yet
    Collected, // the statement shows the money: its receipt is what pays the month
    Returned,  // returned or rejected: the month is owed again
    Withdrawn, // its file was withdrawn before reaching the bank
    Lapsed,    // statements showing our debits, read past its due date, have neither its collection nor its return
};
/// "in attesa", "incassato", "respinto", "ritirato", "non incassato".
QString DebitStatusText(DebitStatus s);

class SddRegister {
public:
    QVector<SddRegisterFile> files;
    QVector<SddRegisterDebit> debits;
    QVector<SddOutcome> outcomes;
    QDate statementThrough; // the latest booking date of the statements read

    /// Reads the register of `programFolder` (with a trailing '/'); a missing register is empty. False,
    /// with the line that cannot be read named in `error`, when it is damaged: nothing is guessed.
    bool Load(const QString& programFolder, QString* error = nullptr);
    /// The register from its bytes; `error` names the first line that cannot be read.
    bool Parse(const QByteArray& bytes, QString* error = nullptr);
    QByteArray Bytes() const;

    const SddRegisterFile* File(const QString& name) const;
    DebitStatus StatusOf(const SddRegisterDebit& d) const;
    /// The debits of file `name`, in file order.
    QVector<SddRegisterDebit> DebitsOf(const QString& name) const;
    /// The months pending or collected debits still ask, by child: what the month rule holds.
    fees::DebitHolds Holds() const;
    /// The files whose debits ask for month `m`, oldest first.
    QVector<SddRegisterFile> FilesOf(const fees::FeeMonth& m) const;
    /// Whether a file may still be withdrawn: not withdrawn, no debit of it seen on a statement, and
    /// its due date not passed on `today`. Otherwise the reason.
    QString WithdrawProblem(const QString& name, const QDate& today) const;
};

/// The holds of the register of `programFolder`; false with `error` (naming the damaged line) when the
/// register cannot be read.
bool LoadDebitHolds(const QString& programFolder, fees::DebitHolds& holds, QString* error = nullptr);

/// Withdraws file `name`: the XML is renamed "..._ritirato.xml", its debits free their months, and the
/// payers collected FRST in it are FRST again. All or nothing, under the register's lock.
bool WithdrawSddFile(const QString& programFolder, const QString& name, const QDate& today, QString* error = nullptr);

/// What a statement changed in the register.
struct StatementNote {
    int collected = 0, returned = 0;
    QStringList firstAgain; // payers whose returned FRST makes the next debit FRST again
};
/// Notes what `data` says of our debits: collections (credits with our end-to-end id) and returns, and
/// the latest booking date read when the statement shows our debits one by one (any of our ids on it):
/// a debit due before that date and neither collected nor returned has lapsed. A returned FRST sets its payer's mandate back to FRST. Entries already
/// noted are not noted twice. All or nothing, under the register's lock; nothing is written when nothing
/// changed.
bool NoteStatement(const QString& programFolder, const StatementData& data, StatementNote* note = nullptr,
                   QString* error = nullptr);

} // namespace payments
