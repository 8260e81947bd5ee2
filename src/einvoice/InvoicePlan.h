#pragma once
// The plan of an invoice batch before any file is written: which of the chosen receipts get an
// invoice, which are refused and why, which were invoiced before, and whose name and address the
// office must still give. The window only asks the questions the plan puts and shows the outcome.
#include "registry/ChildTaxCodes.h"
#include "einvoice/InvoiceFiles.h"
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

/// What the office must complete before a payer can be invoiced.
struct PayerQuestion {
    QString code;      ///< the payer's code, in capitals
    QString reason;    ///< why the office is asked (names the card, or says there is none)
    InvoicePayer payer; ///< what is known so far, for the office to complete
    bool firm = false; ///< named by a VAT number
};

class InvoicePlan {
public:
    enum class Failure {
        None,
        Archive,  ///< the year's receipts or the registry cannot be read, or a position is beyond the year
        Register, ///< the invoice register cannot be read
    };

    /// Reads the receipts at `chosen` (1-based; one listed twice is one invoice) of `yearFile`, the
    /// register and the registry cards of `programFolder`, and says at once which receipts cannot be
    /// invoiced (cancelled, no amount, wrong payer code).
    Failure Load(const QString& programFolder, const QString& yearFile, const QList<qint64>& chosen);

    /// The distinct receipts chosen.
    int Size() const { return int(m_items.size()); }
    /// The first chosen position.
    qint64 FirstPosition() const { return m_items.isEmpty() ? 0 : m_items.first().position; }
    /// How many chosen receipts are already in the register for this year.
    int AlreadyInvoiced() const;
    /// The register's last line for the first chosen receipt, when it was invoiced before.
    std::optional<RegisterEntry> PreviousInvoiceOfFirst() const;
    /// Leaves out the receipts invoiced before (the office said not to invoice them again).
    void SkipInvoiced();

    /// Walks the receipts in order and returns the next payer whose data the office must complete
    /// (cards and the typed book are used first; each payer is looked up once per batch), or nothing
    /// when every receipt left has its payer.
    std::optional<PayerQuestion> NextQuestion();
    /// The answer to the last question: the data given (kept in the payer book for next time) or
    /// nothing, which refuses that receipt.
    void Answer(const std::optional<InvoicePayer>& payer);

    /// The invoices to write, in the order chosen.
    QVector<InvoiceJob> Jobs() const;
    /// One line per receipt left without invoice ("Ricevuta n. 31: ..."), in the order chosen.
    QStringList Refused() const;

private:
    struct Item {
        ReceiptRecord receipt;
        qint64 position = 0;
        QString code;
        QString refused;   // non-empty: no invoice, and why
        bool skipped = false;
        bool ready = false; // its payer is known
    };
    QString m_folder;
    QString m_year;
    QVector<Item> m_items;
    QHash<qint64, RegisterEntry> m_invoiced; // register lines of this year by position (the last one)
    QHash<QString, RegistryRecord> m_cards;  // the newest card of each payer code
    QHash<QString, InvoicePayer> m_payers;   // payers known in this batch
    ChildCodeIndex m_childCodes;             // the children's tax codes, for the fee lines
    int m_cursor = 0;
};
