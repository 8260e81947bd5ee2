#include "SoakWorld.h"
#include "einvoice/FiscalData.h"
#include "payments/Mandates.h"
#include "payments/PaymentSettings.h"
#include "receipts/ReceiptSettings.h"
#include "storage/IniFile.h"
#include "validators/Iban.h"
#include "validators/TaxCode.h"
#include <QDir>
#include <QFile>

namespace soak {

int Uniform(std::mt19937_64& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

bool Chance(std::mt19937_64& rng, double p) {
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < p;
}

QDate FirstDay() {
    return QDate(2026, 9, 1);
}

QDate RoundDay(int round) {
    return FirstDay().addDays(2 * qMax(0, round - 1));
}

QString RandomTaxCode(std::mt19937_64& rng) {
    static const char months[] = "ABCDEHLMPRST";
    QString code;
    for (int i = 0; i < 6; ++i)
        code += QChar(u'A' + Uniform(rng, 0, 25));
    code += QStringLiteral("%1").arg(Uniform(rng, 60, 99), 2, 10, QLatin1Char('0'));
    code += QChar::fromLatin1(months[Uniform(rng, 0, 11)]);
    code += QStringLiteral("%1").arg(Uniform(rng, 1, 28) + (Chance(rng, 0.5) ? 40 : 0), 2, 10, QLatin1Char('0'));
    code += QStringLiteral("F205");
    return code + *TaxCodeCheckLetter(code);
}

QString MakeItalianIban(qint64 account) {
    const QString bban = QStringLiteral("X0542811101") + QStringLiteral("%1").arg(account, 12, 10, QLatin1Char('0'));
    const int check = 98 - Mod97(bban + QStringLiteral("IT00"));
    return QStringLiteral("IT%1").arg(check, 2, 10, QLatin1Char('0')) + bban;
}

RegistryRecord RandomCard(std::mt19937_64& rng, int serial) {
    static const char* surnames[] = {"ROSSI", "BIANCHI", "VERDI", "NERI", "GALLI", "COSTA", "FONTANA", "MARINO",
                                     "GRECO", "BRUNO", "CONTI", "RICCI", "LOMBARDI", "MORETTI", "BARBIERI", "FERRI"};
    static const char* adults[] = {"MARIO", "LAURA", "PAOLO", "ANNA", "LUCA", "SARA", "MARCO", "ELENA"};
    static const char* kids[] = {"LEO", "EMMA", "ZOE", "UGO", "EVA", "TEO", "ADA", "IDA", "PIA", "LIA"};
    static const char* fees[] = {"180,00", "250,00", "320,50", "275,00"};
    const QString surname = QString::fromLatin1(surnames[Uniform(rng, 0, 15)]);
    RegistryRecord c;
    c.Tiratore = surname + u' ' + QString::fromLatin1(adults[Uniform(rng, 0, 7)]);
    c.CodFisc = RandomTaxCode(rng);
    // The serial keeps two children of the run apart: the month rule tells children by name.
    c.Armi = surname + u' ' + QString::fromLatin1(kids[Uniform(rng, 0, 9)]) + QStringLiteral(" N%1").arg(serial);
    c.Quota = QString::fromLatin1(fees[Uniform(rng, 0, 3)]);
    c.InizioTes = QStringLiteral("01/09/2026");
    c.FineTes = QStringLiteral("31/07/2027");
    c.Tessera = QString::number(serial);
    c.Studio = QStringLiteral("30/06/2027");
    c.Ente = QStringLiteral("Retta mensile");
    c.Indirizzo = QStringLiteral("Via Verdi %1").arg(Uniform(rng, 1, 99));
    c.Citta = QStringLiteral("Milano (MI)");
    c.Cap = QStringLiteral("20100");
    c.Nazione = QStringLiteral("Italia");
    c.Tel = QStringLiteral("02%1").arg(Uniform(rng, 1000000, 9999999));
    c.FinePor = QStringLiteral("Bonifico");
    c.Porto = QStringLiteral("Milano");
    c.InizioPor = QStringLiteral("%1/0%2/2024").arg(Uniform(rng, 10, 28)).arg(Uniform(rng, 1, 9));
    return c;
}

bool SeedProgramFolder(const QString& folder, std::mt19937_64& rng, QString* error) {
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create ") + folder;
        return false;
    }
    const QString ini = folder + QStringLiteral("Trelvani.ini");
    IniDocument doc;
    doc.Set(ReceiptSettings::NumberingSection(), ReceiptSettings::NumberingStartKey(), QStringLiteral("1"));
    const char* lines[] = {"Asilo Nido Il Girasole", "Via Roma 12", "20121 Milano (MI)", "P. IVA 01234567897"};
    for (int i = 0; i < 4; ++i)
        doc.Set(ReceiptSettings::ReceiverSection(), ReceiptSettings::ReceiverKey(i + 1), QString::fromLatin1(lines[i]));
    if (!doc.Save(ini, error))
        return false;
    FiscalData fiscal;
    fiscal.denominazione = QStringLiteral("Asilo Nido Il Girasole");
    fiscal.partitaIva = QStringLiteral("01234567897");
    fiscal.indirizzo = QStringLiteral("Via Roma 12");
    fiscal.cap = QStringLiteral("20121");
    fiscal.comune = QStringLiteral("Milano");
    fiscal.provincia = QStringLiteral("MI");
    if (!SaveFiscalData(ini, fiscal, error))
        return false;
    PaymentSettings pay;
    pay.iban = MakeItalianIban(123456);
    pay.intestatario = QStringLiteral("Asilo Nido Il Girasole");
    pay.creditorId = MakeCreditorId(fiscal.partitaIva);
    pay.cuc = QStringLiteral("ABCD1234");
    if (!SavePaymentSettings(ini, pay, error))
        return false;

    RegistryFile reg;
    if (!reg.OpenOrCreate(folder)) {
        *error = reg.ErrorString();
        return false;
    }
    const QString mandates = folder + QLatin1String(payments::MandatesFileName);
    for (int i = 1; i <= 24; ++i) {
        const RegistryRecord card = RandomCard(rng, i);
        if (!reg.AppendRecord(card)) {
            *error = reg.ErrorString();
            return false;
        }
        if (i % 2 == 0) {
            payments::Mandate m;
            m.taxCode = card.CodFisc;
            m.iban = MakeItalianIban(1000 + i);
            m.id = QStringLiteral("MND-%1").arg(i);
            m.signedOn = QDate(2026, 8, 20);
            if (!payments::SaveMandate(mandates, m, error))
                return false;
        }
    }
    return reg.Close();
}

void Ack(const QString& path, const QStringList& columns) {
    // One unbuffered write a line: a kill leaves whole lines or a torn last one, which the reader drops.
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return;
    f.write(columns.join(u'\t').toUtf8() + '\n');
}

QVector<QStringList> ReadAcks(const QString& logFolder) {
    QVector<QStringList> out;
    const QStringList files = QDir(logFolder).entryList({QStringLiteral("ws*.ack")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        QFile f(logFolder + name);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray all = f.readAll();
        const QList<QByteArray> lines = all.split('\n');
        // The last element follows the last line feed: empty, or a line the kill tore.
        for (int i = 0; i + 1 < lines.size(); ++i)
            out << QString::fromUtf8(lines[i]).split(u'\t');
    }
    return out;
}

} // namespace soak
