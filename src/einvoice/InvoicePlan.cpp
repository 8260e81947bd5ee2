#include "einvoice/InvoicePlan.h"
#include "registry/ChildTaxCodes.h"
#include "storage/ReceiptFile.h"
#include "storage/Text.h"
#include "validators/PayerCode.h"
#include <QFileInfo>
#include <QSet>

namespace {
// Reads the receipts at `positions`; false when the archive cannot be read or a position is beyond it.
bool ReadReceipts(const QString& yearFile, const QList<qint64>& positions, QVector<ReceiptRecord>& out) {
    ReceiptFile file;
    if (!file.OpenOrCreate(yearFile))
        return false;
    const qint64 count = file.RecordCount();
    for (qint64 pos : positions) {
        ReceiptRecord r;
        if (pos < 1 || pos > count || !file.ReadRecord(pos - 1, r)) {
            file.Close();
            return false;
        }
        out << r;
    }
    return file.Close();
}

// The last card of each payer code (the newest data when a family was entered again).
bool ReadCards(const QString& folder, QHash<QString, RegistryRecord>& out) {
    RegistryFile file;
    if (!file.OpenOrCreate(folder))
        return false;
    QVector<RegistryRecord> cards;
    const bool ok = file.ReadAll(cards);
    file.Close();
    for (const RegistryRecord& c : cards)
        if (const PayerCode code = ReadPayerCode(c.CodFisc); code.kind != PayerCodeKind::None)
            out.insert(code.code, c);
    return ok;
}
} // namespace

InvoicePlan::Failure InvoicePlan::Load(const QString& programFolder, const QString& yearFile,
                                       const QList<qint64>& chosen) {
    *this = InvoicePlan();
    m_folder = programFolder;
    m_year = QFileInfo(yearFile).completeBaseName();
    QList<qint64> positions;
    QSet<qint64> listed;
    for (qint64 pos : chosen)
        if (!listed.contains(pos)) {
            listed.insert(pos);
            positions << pos;
        }
    if (positions.isEmpty())
        return Failure::None;
    QVector<ReceiptRecord> receipts;
    if (!ReadReceipts(yearFile, positions, receipts))
        return Failure::Archive;
    // The children's codes for the fee lines: a registry or codes file that cannot be read leaves them out.
    m_childCodes.Load(programFolder);
    QVector<RegisterEntry> reg;
    if (!ReadRegister(RegisterPath(programFolder), reg))
        return Failure::Register;
    for (const RegisterEntry& e : reg)
        if (e.year == m_year)
            m_invoiced.insert(e.position, e);
    if (!ReadCards(programFolder, m_cards))
        return Failure::Archive;
    for (int i = 0; i < receipts.size(); ++i) {
        Item item;
        item.receipt = receipts[i];
        item.position = positions[i];
        item.code = ReadPayerCode(receipts[i].CodFisc).code;
        // What makes a receipt unfit is said before the office is asked anything about its payer.
        if (const QString unfit = InvoiceRefusal(item.receipt); !unfit.isEmpty())
            item.refused = unfit;
        m_items << item;
    }
    return Failure::None;
}

int InvoicePlan::AlreadyInvoiced() const {
    int n = 0;
    for (const Item& item : m_items)
        n += m_invoiced.contains(item.position) ? 1 : 0;
    return n;
}

std::optional<RegisterEntry> InvoicePlan::PreviousInvoiceOfFirst() const {
    if (m_items.isEmpty() || !m_invoiced.contains(m_items.first().position))
        return std::nullopt;
    return m_invoiced.value(m_items.first().position);
}

void InvoicePlan::SkipInvoiced() {
    for (Item& item : m_items)
        if (m_invoiced.contains(item.position))
            item.skipped = true;
}

std::optional<PayerQuestion> InvoicePlan::NextQuestion() {
    for (; m_cursor < m_items.size(); ++m_cursor) {
        Item& item = m_items[m_cursor];
        if (item.skipped || !item.refused.isEmpty() || item.ready)
            continue;
        if (m_payers.contains(item.code)) {
            item.ready = true;
            continue;
        }
        const bool firm = ReadPayerCode(item.code).kind == PayerCodeKind::VatNumber;
        const auto card = m_cards.constFind(item.code);
        const RegistryRecord* cardPtr = card != m_cards.constEnd() ? &*card : nullptr;
        QString missing;
        InvoicePayer payer = LookUpPayer(cardPtr, LoadPayer(PayerBookPath(m_folder), item.code), firm, &missing);
        if (missing.isEmpty()) {
            m_payers.insert(item.code, payer);
            item.ready = true;
            continue;
        }
        PayerQuestion q;
        q.code = item.code;
        q.firm = firm;
        const QString number = TrimText(item.receipt.NumRic);
        if (cardPtr) {
            q.reason = QStringLiteral("La scheda anagrafica di %1 non basta per la fattura: indicare %2.")
                           .arg(TrimText(cardPtr->Tiratore), missing);
        } else {
            q.reason = QStringLiteral("Nessuna scheda anagrafica ha il codice %1 (ricevuta n. %2, pagatore %3): "
                                      "indicare nome e indirizzo del pagatore.")
                           .arg(item.code, number, TrimText(item.receipt.Pagatore));
            // The receipt's payer name is offered as a start, split as a person's name when it can be.
            if (payer.cognome.isEmpty() && payer.denominazione.isEmpty()) {
                if (firm) {
                    payer.denominazione = TrimText(item.receipt.Pagatore);
                } else if (auto split = SplitSurnameName(item.receipt.Pagatore)) {
                    payer.cognome = split->first;
                    payer.nome = split->second;
                } else {
                    payer.cognome = TrimText(item.receipt.Pagatore);
                }
            }
        }
        q.payer = payer;
        return q;
    }
    return std::nullopt;
}

void InvoicePlan::Answer(const std::optional<InvoicePayer>& payer) {
    if (m_cursor >= m_items.size())
        return;
    Item& item = m_items[m_cursor];
    if (payer) {
        SavePayer(PayerBookPath(m_folder), item.code, *payer); // only saves asking again
        m_payers.insert(item.code, *payer);
        item.ready = true;
    } else {
        item.refused = QStringLiteral("dati del pagatore non indicati.");
    }
    ++m_cursor;
}

QVector<InvoiceJob> InvoicePlan::Jobs() const {
    QVector<InvoiceJob> jobs;
    for (const Item& item : m_items)
        if (item.ready && !item.skipped && item.refused.isEmpty())
            jobs << InvoiceJob{item.receipt, item.position, m_payers.value(item.code),
                               m_childCodes.Of(item.receipt.CodFisc, item.receipt.Praticante)};
    return jobs;
}

QStringList InvoicePlan::Refused() const {
    QStringList out;
    for (const Item& item : m_items)
        if (!item.skipped && !item.refused.isEmpty())
            out << QStringLiteral("Ricevuta n. %1: %2").arg(TrimText(item.receipt.NumRic), item.refused);
    return out;
}
