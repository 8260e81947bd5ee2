#pragma once
// The credit note that goes with "Annulla ricevuta" when the receipt has an electronic invoice: the
// receipt window asks here before cancelling, has the credit note written before it saves the cancelled
// receipt, and takes it back when that save fails, so that neither stands without the other.
#include "einvoice/CreditNote.h"
#include <QString>
#include <memory>
#include <optional>

class Carvenna;
class QWidget;

class CancellationCredit {
public:
    CancellationCredit(Carvenna& app, QWidget* parent, const QString& yearFile, qint64 position);
    ~CancellationCredit();

    /// When the receipt has an invoice that still stands, names it and asks whether to cancel the receipt
    /// together with its credit note. False when the office declined or the register cannot be read
    /// (then nothing may be cancelled).
    bool Ask();
    /// Writes the credit note (nothing to do without an invoice). False, with the message shown, when it
    /// could not be written: then the receipt must not be cancelled.
    bool Write();
    /// The receipt's cancellation failed: the credit note is taken back, unless the receipt is stored
    /// cancelled all the same or cannot be read.
    void Undo();
    /// A sentence for the closing message naming the credit note written; empty without one.
    QString Notice() const;

private:
    Carvenna& m_app;
    QWidget* m_parent;
    QString m_yearFile, m_year;
    qint64 m_position;
    std::optional<RegisterEntry> m_invoice;
    std::unique_ptr<CreditNoteWriter> m_writer;
    bool m_written = false;
};
