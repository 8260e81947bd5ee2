#pragma once
// The credit note (TD04) that cancels an invoice already written for a receipt: an invoice that went
// to the exchange system is never deleted, a credit note with the same payer, lines and stamp duty
// undoes it. It is made from the invoice file itself, so it repeats exactly what the invoice said.
#include "einvoice/InvoiceFiles.h"
#include <QByteArray>
#include <QDate>
#include <QString>
#include <optional>

/// The invoice of the receipt at `position` of the archive `year` that still stands: the last one
/// written for it, unless a credit note already cancels it or the exchange system rejected it (a
/// rejected invoice never took effect). Nothing when there is none.
std::optional<RegisterEntry> InvoiceToCredit(const QVector<RegisterEntry>& reg, const QString& year,
                                             qint64 position);

/// The number of the next credit note dated in `year`: "NC<n>/<year>", n one more than the credit notes
/// of that year in the register.
QString NextCreditNoteNumber(const QVector<RegisterEntry>& reg, int year);

/// The credit note for `invoiceXml`: the same document with type TD04, transmission number
/// `progressivo`, number `numero`, date `date`, and DatiFattureCollegate naming the invoice's number
/// and date. Nothing, with `error`, when `invoiceXml` is not an invoice this program wrote.
std::optional<QByteArray> CreditNoteXml(const QByteArray& invoiceXml, const QString& progressivo,
                                        const QString& numero, const QDate& date, QString* error = nullptr);

/// A credit note written and registered, that can still be taken back when the receipt's own
/// cancellation fails (so a credit note never stands beside a live receipt by the program's doing).
/// Holds the register's lock from Write until it is destroyed or Undo.
class CreditNoteWriter {
public:
    CreditNoteWriter(const QString& programFolder, const QString& settingsPath);
    ~CreditNoteWriter();
    CreditNoteWriter(const CreditNoteWriter&) = delete;
    CreditNoteWriter& operator=(const CreditNoteWriter&) = delete;

    /// Writes the credit note of `invoice` dated `today` and adds its line to the register. On failure
    /// nothing is left behind and `error` says why.
    bool Write(const RegisterEntry& invoice, const QDate& today, QString* error, int lockWaitMs = 15000);
    /// The register held for the cancellation of the receipt at `position` of `year`: takes the register's
    /// lock, kept until the writer is destroyed (so no invoice is written for the receipt before its
    /// cancellation is saved), checks that the invoice standing for it is still `expected` (what the office
    /// was told of: none, or that invoice) and writes that invoice's credit note, if any. False, with
    /// `error`, when the lock cannot be had, the register cannot be read, an invoice was written or
    /// credited meanwhile, or the credit note cannot be written: then nothing is written.
    bool WriteForCancellation(const QString& year, qint64 position, const std::optional<RegisterEntry>& expected,
                              const QDate& today, QString* error, int lockWaitMs = 15000);
    /// Takes the credit note back: the register as it was before, the file removed. False when that
    /// failed too (then the register keeps the credit note and the next cancellation of the receipt
    /// completes without a second one).
    bool Undo(QString* error = nullptr);
    /// The receipt's cancellation failed: the credit note is taken back, unless the receipt at `position`
    /// (1-based) of `yearFile` is stored cancelled all the same or cannot be read, since a save reported
    /// as failed may still have reached the archive. False when taking it back failed.
    bool UndoUnlessCancelled(const QString& yearFile, qint64 position, QString* error = nullptr);
    /// True once a credit note is written and not taken back.
    bool Written() const { return m_written; }

    /// The credit note as registered (after a successful Write).
    const RegisterEntry& Entry() const { return m_entry; }

private:
    bool HoldRegister(int lockWaitMs, QString* error);

    QString m_folder, m_settings;
    RegisterEntry m_entry;
    QByteArray m_oldRegister;
    bool m_hadRegister = false;
    bool m_written = false;
    RegisterLock* m_lock = nullptr;
};
