#include "einvoice/EmettiFattura.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "einvoice/CourtesyCopy.h"
#include "einvoice/DatiCliente.h"
#include "einvoice/FiscalData.h"
#include "einvoice/InvoiceFiles.h"
#include "app/Printing.h"
#include "report/PreparedReport.h"
#include "storage/ReceiptFile.h"
#include "storage/RegistryFile.h"
#include "storage/Text.h"
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {
QString YearOf(const QString& yearFile) {
    return QFileInfo(yearFile).completeBaseName();
}

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

// The last card of each tax code (the newest data when a family was entered again).
bool ReadCards(const QString& folder, QHash<QString, RegistryRecord>& out) {
    RegistryFile file;
    if (!file.OpenOrCreate(folder))
        return false;
    QVector<RegistryRecord> cards;
    const bool ok = file.ReadAll(cards);
    file.Close();
    for (const RegistryRecord& c : cards)
        if (!TrimText(c.CodFisc).isEmpty())
            out.insert(UpperAZ(TrimText(c.CodFisc)), c);
    return ok;
}

int Emit(Carvenna& app, QWidget* parent, const QString& yearFile, const QList<qint64>& chosen, bool single) {
    const QString folder = app.ProgramFolder();
    // A receipt listed twice is still one invoice.
    QList<qint64> positions;
    QSet<qint64> listed;
    for (qint64 pos : chosen)
        if (!listed.contains(pos)) {
            listed.insert(pos);
            positions << pos;
        }
    const FiscalData school = LoadFiscalData(app.SettingsPath());
    if (const QString problem = CheckFiscalData(school); !problem.isEmpty()) {
        app.messages().Warning(QStringLiteral("Attenzione: ") + problem +
                                   QStringLiteral("\n\r\n\rCompletare i dati fiscali con il pulsante \"Dati fiscali\" "
                                                  "della finestra dell'archivio ricevute."),
                               parent);
        return 0;
    }
    if (positions.isEmpty()) {
        app.messages().Warning(QStringLiteral("Attenzione: nessuna ricevuta da fatturare."), parent);
        return 0;
    }
    QVector<ReceiptRecord> receipts;
    if (!ReadReceipts(yearFile, positions, receipts)) {
        app.messages().Error(ArchiveAccessError(), parent);
        return 0;
    }
    const QString year = YearOf(yearFile);

    // A receipt already in the register is invoiced again only when the office says so.
    QVector<RegisterEntry> reg;
    if (!ReadRegister(RegisterPath(folder), reg)) {
        app.messages().Error(QStringLiteral("Attenzione: il registro delle fatture (FatturaPA/registro.csv) non "
                                            "può essere letto."),
                             parent);
        return 0;
    }
    QHash<qint64, RegisterEntry> done;
    for (const RegisterEntry& e : reg)
        if (e.year == year)
            done.insert(e.position, e);
    QSet<qint64> skip;
    int already = 0;
    for (qint64 pos : positions)
        already += done.contains(pos) ? 1 : 0;
    if (already > 0) {
        bool again;
        if (single) {
            const RegisterEntry& e = done[positions.first()];
            // A second invoice of one payment is rarely meant: No is the default.
            again = app.messages().Ask(
                QStringLiteral("La ricevuta n. %1 è già stata fatturata (file %2 del %3).\n\r\n\r"
                               "Emettere un'altra fattura per la stessa ricevuta?")
                    .arg(e.numero, e.file, e.written),
                parent);
            if (!again)
                return 0;
        } else {
            again =
                app.messages().Ask(
                    (already == 1 ? QStringLiteral("1 delle %2 ricevute scelte è già stata fatturata.\n\r\n\r"
                                                   "Emettere anche per questa un'altra fattura? (No: saltarla)")
                                  : QStringLiteral("%1 delle %2 ricevute scelte sono già state fatturate.\n\r\n\r"
                                                   "Emettere anche per queste un'altra fattura? (No: saltarle)")
                                        .arg(already))
                        .arg(positions.size()),
                                       parent);
        }
        if (!again)
            for (qint64 pos : positions)
                if (done.contains(pos))
                    skip.insert(pos);
    }

    QHash<QString, RegistryRecord> cards;
    if (!ReadCards(folder, cards)) {
        app.messages().Error(ArchiveAccessError(), parent);
        return 0;
    }
    QStringList refused;
    QHash<QString, InvoicePayer> payers; // asked or found once per batch
    QVector<InvoiceJob> jobs;
    for (int i = 0; i < receipts.size(); ++i) {
        const ReceiptRecord& r = receipts[i];
        const qint64 pos = positions[i];
        if (skip.contains(pos))
            continue;
        const QString number = TrimText(r.NumRic);
        const QString code = UpperAZ(TrimText(r.CodFisc));
        // What makes a receipt unfit is said before the office is asked anything about its payer.
        if (const QString unfit = InvoiceRefusal(r); !unfit.isEmpty()) {
            refused << QStringLiteral("Ricevuta n. %1: %2").arg(number, unfit);
            continue;
        }
        if (!payers.contains(code)) {
            const bool firm = code.size() == 11;
            const auto card = cards.constFind(code);
            const RegistryRecord* cardPtr = card != cards.constEnd() ? &*card : nullptr;
            QString missing;
            InvoicePayer payer = LookUpPayer(cardPtr, LoadPayer(PayerBookPath(folder), code), firm, &missing);
            if (!missing.isEmpty()) {
                QString reason;
                if (cardPtr) {
                    reason = QStringLiteral("La scheda anagrafica di %1 non basta per la fattura: indicare %2.")
                                 .arg(TrimText(cardPtr->Tiratore), missing);
                } else {
                    reason = QStringLiteral("Nessuna scheda anagrafica ha il codice %1 (ricevuta n. %2, pagatore %3): "
                                            "indicare nome e indirizzo del pagatore.")
                                 .arg(code, number, TrimText(r.Pagatore));
                    if (payer.cognome.isEmpty() && payer.denominazione.isEmpty()) {
                        if (firm) {
                            payer.denominazione = TrimText(r.Pagatore);
                        } else if (auto split = SplitSurnameName(r.Pagatore)) {
                            payer.cognome = split->first;
                            payer.nome = split->second;
                        } else {
                            payer.cognome = TrimText(r.Pagatore);
                        }
                    }
                }
                TfrmDatiCliente dlg(app, code, reason, payer, parent);
                if (dlg.exec() != QDialog::Accepted) {
                    if (single)
                        return 0;
                    refused << QStringLiteral("Ricevuta n. %1: dati del pagatore non indicati.").arg(number);
                    continue;
                }
                payer = dlg.Payer();
                SavePayer(PayerBookPath(folder), code, payer); // only saves asking again
            }
            payers.insert(code, payer);
        }
        jobs << InvoiceJob{r, pos, payers.value(code)};
    }

    InvoiceBatchResult res;
    if (!jobs.isEmpty())
        res = WriteInvoices(folder, app.SettingsPath(), year, jobs, app.clock().Today());
    refused << res.refused;

    QString text;
    if (!res.files.isEmpty()) {
        text = res.files.size() == 1
                   ? QStringLiteral("Fattura elettronica scritta nella cartella FatturaPA: %1").arg(res.files.first())
                   : QStringLiteral("Fatture elettroniche scritte nella cartella FatturaPA: %1 (da %2 a %3).")
                         .arg(res.files.size())
                         .arg(res.files.first(), res.files.last());
    } else {
        text = QStringLiteral("Attenzione: nessuna fattura elettronica è stata scritta.");
    }
    if (!res.notes.isEmpty())
        text += QStringLiteral("\n\r\n\rCaratteri che la fattura elettronica non ammette, scritti così:\n\r") +
                res.notes.join(QStringLiteral("\n\r"));
    if (!refused.isEmpty())
        text += QStringLiteral("\n\r\n\rRicevute senza fattura:\n\r") + refused.join(QStringLiteral("\n\r"));
    if (!res.failure.isEmpty())
        text += QStringLiteral("\n\r\n\r") + res.failure;
    if (!res.failure.isEmpty())
        app.messages().Error(text, parent);
    else if (res.files.isEmpty())
        app.messages().Warning(text, parent);
    else
        app.messages().Information(text, parent);

    if (single && res.files.size() == 1 &&
        app.messages().Confirm(QStringLiteral("Stampare la copia di cortesia della fattura per la famiglia?"), parent))
        StampaCopiaCortesia(app, parent, yearFile, positions.first());
    return int(res.files.size());
}
} // namespace

bool EmettiFatturaRicevuta(Carvenna& app, QWidget* parent, const QString& yearFile, qint64 position) {
    return Emit(app, parent, yearFile, {position}, true) == 1;
}

int EmettiFatture(Carvenna& app, QWidget* parent, const QString& yearFile, const QList<qint64>& positions) {
    return Emit(app, parent, yearFile, positions, false);
}

bool StampaCopiaCortesia(Carvenna& app, QWidget* parent, const QString& yearFile, qint64 position) {
    QVector<RegisterEntry> reg;
    ReadRegister(RegisterPath(app.ProgramFolder()), reg);
    const QString year = YearOf(yearFile);
    const RegisterEntry* last = nullptr;
    for (const RegisterEntry& e : reg)
        if (e.year == year && e.position == position)
            last = &e;
    if (!last) {
        app.messages().Warning(QStringLiteral("Attenzione: per questa ricevuta non è stata scritta alcuna fattura "
                                              "elettronica."),
                               parent);
        return false;
    }
    QFile f(InvoiceFolder(app.ProgramFolder()) + last->file);
    QString error;
    std::optional<report::PreparedReport> copy;
    if (f.open(QIODevice::ReadOnly))
        copy = PrepareCourtesyCopy(f.readAll(), year, &error);
    else
        error = f.errorString();
    if (!copy) {
        app.messages().Error(
            QStringLiteral("Attenzione: la fattura %1 non può essere letta: %2").arg(last->file, error), parent);
        return false;
    }
    const Printing::Result r = app.printing().Print(*copy, parent, &error);
    if (r == Printing::Result::Failed)
        app.messages().Error(QStringLiteral("Attenzione: stampa non riuscita: ") + error, parent);
    return r == Printing::Result::Done || r == Printing::Result::Printed;
}
