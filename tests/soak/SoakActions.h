#pragma once
// One workstation of a soak run: a seeded, random mix of what the office does, each action through the
// core functions its window calls, with the pauses of a person between reading and saving.
#include "SoakWorld.h"
#include "storage/JournalLines.h"
#include <QDate>
#include <QString>
#include <random>

namespace soak {

class Workstation {
public:
    Workstation(const RunFolders& run, int number, quint64 seed, const QDate& today, bool restores);
    /// Runs random actions until `seconds` have passed; returns the number of actions done.
    int Run(double seconds);
    /// The actions by name, for replaying one kind alone.
    bool Do(const QString& action);
    static QStringList Actions();

private:
    void NewReceipt();
    void EditReceipt();
    void CancelReceipt();
    void Invoices();
    void MonthBatch();
    void Reminders();
    void DirectDebits();
    void Statement();
    void EditCard();
    void ImportCards();
    void EditMandate();
    void Backup();
    void Restore();

    void Pause(int maxMs);
    void Done(const QString& action);
    JournalStamp Stamp() const;
    QString YearPath() const;
    QString Settings() const;
    qint64 NumberingStart() const;

    RunFolders m_run;
    QString m_folder;
    int m_number;
    std::mt19937_64 m_rng;
    QDate m_today;
    bool m_restores;
    int m_serial = 0;
};

} // namespace soak
