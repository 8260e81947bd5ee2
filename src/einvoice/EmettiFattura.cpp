#include "einvoice/EmettiFattura.h"
#include "app/Carvenna.h"
#include "app/CommonMessages.h"
#include "einvoice/CourtesyCopy.h"
#include "einvoice/DatiCliente.h"
#include "einvoice/FiscalData.h"
#include "einvoice/InvoiceFiles.h"
#include "einvoice/InvoicePlan.h"
#include "app/Printing.h"
#include "report/PreparedReport.h"
#include <QFile>
#include <QFileInfo>

namespace {
QString YearOf(const QString& yearFile) {
    return QFileInfo(yearFile).completeBaseName();
}

int Emit(Carvenna& app, QWidget* parent, const QString& yearFile, const QList<qint64>& chosen, bool single) {
    const QString folder = app.ProgramFolder();
    const FiscalData school = LoadFiscalData(app.SettingsPath());
    if (const QString problem = CheckFiscalData(school); !problem.isEmpty()) {
        app.messages().Warning(QStringLiteral("Attenzione: ") + problem +
                                   QStringLiteral("\n\r\n\rCompletare i dati fiscali con il pulsante \"Dati fiscali\" "
                                                  "della finestra dell'archivio ricevute."),
                               parent);
        return 0;
    }
    if (chosen.isEmpty()) {
        app.messages().Warning(QStringLiteral("Attenzione: nessuna ricevuta da fatturare."), parent);
        return 0;
    }
    InvoicePlan plan;
    switch (plan.Load(folder, yearFile, chosen)) {
    case InvoicePlan::Failure::None:
        break;
    case InvoicePlan::Failure::Archive:
        app.messages().Error(ArchiveAccessError(), parent);
        return 0;
    case InvoicePlan::Failure::Register:
        app.messages().Error(QStringLiteral("Attenzione: il registro delle fatture (FatturaPA/registro.csv) non "
                                            "può essere letto."),
                             parent);
        return 0;
    }
    const QString year = YearOf(yearFile);

    // A receipt already in the register is invoiced again only when the office says so.
    if (const int already = plan.AlreadyInvoiced(); already > 0) {
        bool again;
        if (single) {
            const RegisterEntry e = *plan.PreviousInvoiceOfFirst();
            // A second invoice of one payment is rarely meant: No is the default.
            again = app.messages().Ask(
                QStringLiteral("La ricevuta n. %1 è già stata fatturata (file %2 del %3).\n\r\n\r"
                               "Emettere un'altra fattura per la stessa ricevuta?")
                    .arg(e.numero, e.file, e.written),
                parent);
            if (!again)
                return 0;
        } else {
            again = app.messages().Ask(
                (already == 1 ? QStringLiteral("1 delle %2 ricevute scelte è già stata fatturata.\n\r\n\r"
                                               "Emettere anche per questa un'altra fattura? (No: saltarla)")
                              : QStringLiteral("%1 delle %2 ricevute scelte sono già state fatturate.\n\r\n\r"
                                               "Emettere anche per queste un'altra fattura? (No: saltarle)")
                                    .arg(already))
                    .arg(plan.Size()),
                parent);
        }
        if (!again)
            plan.SkipInvoiced();
    }

    // The office completes, once per batch, each payer that neither a card nor the payer book gives whole.
    while (const std::optional<PayerQuestion> q = plan.NextQuestion()) {
        TfrmDatiCliente dlg(app, q->code, q->reason, q->payer, parent);
        if (dlg.exec() != QDialog::Accepted) {
            if (single)
                return 0;
            plan.Answer(std::nullopt);
            continue;
        }
        plan.Answer(dlg.Payer());
    }
    const QVector<InvoiceJob> jobs = plan.Jobs();
    QStringList refused = plan.Refused();

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
    if (!res.failure.isEmpty()) {
        app.messages().Error(text, parent);
    } else if (res.files.isEmpty()) {
        app.messages().Warning(text, parent);
    } else if (single && res.files.size() == 1) {
        // One message: what was written, and the question about the family's copy.
        if (app.messages().Confirm(
                text + QStringLiteral("\n\r\n\rStampare la copia di cortesia della fattura per la famiglia?"), parent))
            StampaCopiaCortesia(app, parent, yearFile, plan.FirstPosition());
    } else {
        app.messages().Information(text, parent);
    }
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
