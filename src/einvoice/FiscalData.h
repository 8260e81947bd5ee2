#pragma once
// The school's fiscal data for electronic invoices, kept in Trelvani.ini in the section
// "Dati Fiscali" (written key by key, so every other line of the file stays as it was).
#include "validators/FieldProblem.h"
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

struct FiscalData {
    enum class StampBearer { School, Payer };

    QString denominazione;
    QString partitaIva;
    QString codiceFiscale;
    QString regimeFiscale = QStringLiteral("RF01");
    QString indirizzo, cap, comune, provincia;
    QString nazione = QStringLiteral("IT");
    QString riferimentoNormativo = QStringLiteral("Esente art. 10, n. 21, DPR 633/72");
    bool bolloVirtuale = true;
    StampBearer bolloACarico = StampBearer::School;
    int progressivo = 1; // next transmission number

    /// The transmitter's code in file names and IdTrasmittente: the tax code when given, else the VAT number.
    QString TransmitterCode() const { return codiceFiscale.isEmpty() ? partitaIva : codiceFiscale; }
};

inline constexpr const char* FiscalSection = "Dati Fiscali";

/// The school as a document it issues names it, up to four lines: name; address; postcode, town and
/// province; tax code and VAT number. Empty when the data have no name.
QStringList IssuerLines(const FiscalData& d);

/// Reads the section; missing keys take the defaults above.
FiscalData LoadFiscalData(const QString& iniPath);
/// Writes every key of the section (the transmission number included).
bool SaveFiscalData(const QString& iniPath, const FiscalData& data, QString* error = nullptr);
/// Writes only the next transmission number.
bool SaveNextProgressivo(const QString& iniPath, int next, QString* error = nullptr);

/// The official tax regime codes with their Italian names, in the order the office picks from.
const QVector<QPair<QString, QString>>& RegimeFiscaleCodes();

/// Checks the data an invoice needs; returns the first problem as a message for the office, or an
/// empty text when the data is complete and well formed.
/// `field`, when given, gets the name of the FiscalData member at fault ("denominazione", "cap"...), so
/// the window can put the cursor there.
QString CheckFiscalData(const FiscalData& data, QString* field = nullptr);

/// Every field typed in a wrong form, in the window's order: a character the invoice does not admit, a
/// VAT number or tax code that fails its check, an unknown regime, a CAP that is not five digits, a
/// province or country that is not two capitals. A blank field is not wrong here: CheckFiscalData says
/// what an invoice still needs.
QVector<FieldProblem> FiscalFieldProblems(const FiscalData& data);

/// `typed` with each field named in `problems` (and "progressivo") taken back from `stored`: what
/// "Dati fiscali" keeps, so that a wrong field never stops the right ones from being kept.
FiscalData KeepRightFields(const FiscalData& typed, const FiscalData& stored, const QVector<FieldProblem>& problems);
