#pragma once
// What the workstations of a soak run share: the folders of the run, the simulated school day, the
// school and its families as the run starts, and the notes ("acks") each workstation appends after an
// action has finished, which the checks compare with the files.
#include "storage/RegistryFile.h"
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>
#include <random>

namespace soak {

/// The folders of one run: the program folder the workstations share, the workstations' notes and the
/// bank statements the office downloads.
struct RunFolders {
    QString root;      // with a trailing '/'
    QString Program() const { return root + QStringLiteral("programma/"); }
    QString Log() const { return root + QStringLiteral("log/"); }
    QString Statements() const { return root + QStringLiteral("estratti/"); }
    QString AckPath(int workstation) const { return Log() + QStringLiteral("ws%1.ack").arg(workstation); }
};

/// The first school day of every run; each round is a later day.
QDate FirstDay();
/// The school day of round `round` (two days a round, weekends included: a school year in ~140 rounds).
QDate RoundDay(int round);

/// A tax code of the right form with its check letter, from the random source.
QString RandomTaxCode(std::mt19937_64& rng);
/// An Italian IBAN with valid check digits for the account number `account`.
QString MakeItalianIban(qint64 account);

/// A family card as the office types it: parent, tax code, child, fee, enrolment for the school year of
/// `day`, address, payment method.
RegistryRecord RandomCard(std::mt19937_64& rng, int serial);

/// Writes the settings, the fiscal and payment data, the registry and a few mandates of a new run.
bool SeedProgramFolder(const QString& programFolder, std::mt19937_64& rng, QString* error);

/// One note of a workstation, appended after the action it describes ended well.
/// Kinds: "O" an action done; "R" a receipt stored (year, number, child); "C" a card appended (card key);
/// "X" a restore (file, folder that kept the file as it was, time); "M" a mandate saved (tax code, id,
/// start and end time in ms).
void Ack(const QString& path, const QStringList& columns);
/// Every note of every workstation's file in `logFolder`, each split into its columns; a line torn by
/// a kill is left out.
QVector<QStringList> ReadAcks(const QString& logFolder);

int Uniform(std::mt19937_64& rng, int lo, int hi); // inclusive
bool Chance(std::mt19937_64& rng, double p);

} // namespace soak
