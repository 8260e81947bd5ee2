// carvenna_soak: several workstations, each a process, on one fresh program folder; a seeded random mix
// of office actions, processes killed at random moments and started again, and the files checked after
// every round.
//
//   carvenna_soak [--minutes N | --seconds N] [--workstations N] [--seed S] [--round-seconds N] [--no-kills] [--keep]
//   carvenna_soak --check <run folder> [--kills N] [--day yyyy-mm-dd]   (the checks alone, on a kept folder)
//
// The last line reads "operations: N, kills: N, restores: N, violations: N"; every violation is printed
// with its seed and round. A run started with that seed replays each workstation's actions (the moments
// at which they meet on the files still differ from run to run).
#include "SoakActions.h"
#include "SoakChecks.h"
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>
#include <cstdio>
#include <memory>

using namespace soak;

namespace {
void Say(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString Arg(const QStringList& args, const QString& name, const QString& fallback = QString()) {
    const int i = int(args.indexOf(name));
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

// A workstation's seed: the same run seed, round, workstation and start give the same actions.
quint64 WorkstationSeed(quint64 seed, int round, int workstation, int start) {
    std::seed_seq seq{quint32(seed), quint32(seed >> 32), quint32(round), quint32(workstation), quint32(start)};
    quint64 out[1];
    quint32 parts[2];
    seq.generate(parts, parts + 2);
    out[0] = (quint64(parts[0]) << 32) | parts[1];
    return out[0];
}

int RunWorker(const QStringList& args) {
    RunFolders run{Arg(args, QStringLiteral("--run"))};
    const int number = Arg(args, QStringLiteral("--worker")).toInt();
    const quint64 seed = Arg(args, QStringLiteral("--seed")).toULongLong();
    const QDate today = QDate::fromString(Arg(args, QStringLiteral("--day")), Qt::ISODate);
    const double seconds = Arg(args, QStringLiteral("--seconds")).toDouble();
    Workstation w(run, number, seed, today, args.contains(QStringLiteral("--restores")));
    const QString only = Arg(args, QStringLiteral("--action"));
    if (!only.isEmpty())
        return w.Do(only) ? 0 : 2;
    w.Run(seconds);
    return 0;
}

struct Station {
    std::unique_ptr<QProcess> process;
    int starts = 0;
};

int RunController(const QStringList& args) {
    const double seconds = args.contains(QStringLiteral("--minutes"))
                               ? Arg(args, QStringLiteral("--minutes")).toDouble() * 60
                               : Arg(args, QStringLiteral("--seconds"), QStringLiteral("60")).toDouble();
    const int workstations = qMax(1, Arg(args, QStringLiteral("--workstations"), QStringLiteral("3")).toInt());
    const double roundSeconds = Arg(args, QStringLiteral("--round-seconds"), QStringLiteral("12")).toDouble();
    const bool kills = !args.contains(QStringLiteral("--no-kills"));
    const quint64 seed = args.contains(QStringLiteral("--seed")) ? Arg(args, QStringLiteral("--seed")).toULongLong()
                                                                  : QRandomGenerator::system()->bounded(1u, 999999999u);

    RunFolders run{QDir::currentPath() + QStringLiteral("/soak-%1-%2/").arg(seed).arg(
                                             QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")))};
    std::mt19937_64 rng(seed);
    QString error;
    if (!QDir().mkpath(run.Log()) || !SeedProgramFolder(run.Program(), rng, &error)) {
        Say(QStringLiteral("cannot prepare %1: %2").arg(run.root, error));
        return 2;
    }
    Say(QStringLiteral("soak: seed %1, %2 workstations, %3 s, folder %4").arg(seed).arg(workstations).arg(seconds).arg(run.root));

    QElapsedTimer total;
    total.start();
    int killCount = 0;
    QSet<QString> seen;
    QStringList violations;
    CheckReport last;
    for (int round = 1; total.elapsed() < seconds * 1000; ++round) {
        const QDate day = RoundDay(round);
        // One workstation in three rounds may put a copy back.
        const int restorer = Chance(rng, 0.35) ? Uniform(rng, 1, workstations) : 0;
        std::vector<Station> stations(size_t(workstations) + 1);
        QElapsedTimer clock;
        clock.start();
        const auto start = [&](int k) {
            const double left = roundSeconds - clock.elapsed() / 1000.0;
            Station& s = stations[size_t(k)];
            s.process = std::make_unique<QProcess>();
            s.process->setProgram(QCoreApplication::applicationFilePath());
            QStringList a = {QStringLiteral("--worker"), QString::number(k), QStringLiteral("--run"), run.root,
                             QStringLiteral("--seed"), QString::number(WorkstationSeed(seed, round, k, s.starts)),
                             QStringLiteral("--day"), day.toString(Qt::ISODate), QStringLiteral("--seconds"),
                             QString::number(qMax(0.5, left))};
            if (k == restorer)
                a << QStringLiteral("--restores");
            s.process->setArguments(a);
            s.process->setStandardOutputFile(run.Log() + QStringLiteral("ws%1.out").arg(k), QIODevice::Append);
            s.process->setStandardErrorFile(run.Log() + QStringLiteral("ws%1.out").arg(k), QIODevice::Append);
            s.process->start();
            s.process->waitForStarted(10000);
            ++s.starts;
        };
        for (int k = 1; k <= workstations; ++k)
            start(k);
        while (kills && clock.elapsed() < roundSeconds * 1000 - 1500) {
            QThread::msleep(ulong(Uniform(rng, 300, 2000)));
            if (!Chance(rng, 0.4))
                continue;
            Station& s = stations[size_t(Uniform(rng, 1, workstations))];
            if (s.process->state() != QProcess::Running)
                continue;
            s.process->kill(); // SIGKILL: wherever it was, it stops there
            s.process->waitForFinished(5000);
            ++killCount;
            QThread::msleep(ulong(Uniform(rng, 50, 400)));
            start(int(&s - stations.data()));
        }
        for (int k = 1; k <= workstations; ++k) {
            QProcess& p = *stations[size_t(k)].process;
            const int wait = int(qMax(1000.0, roundSeconds * 1000 - clock.elapsed() + 60000));
            if (!p.waitForFinished(wait)) {
                violations << QStringLiteral("violation (seed %1, round %2): la postazione %3 non ha finito (bloccata)").arg(seed).arg(round).arg(k);
                Say(violations.last());
                p.kill();
                p.waitForFinished(5000);
            } else if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
                violations << QStringLiteral("violation (seed %1, round %2): la postazione %3 è terminata in errore (codice %4)")
                                  .arg(seed).arg(round).arg(k).arg(p.exitCode());
                Say(violations.last());
            }
        }
        last = CheckAll(run, killCount, day);
        for (const QString& v : last.violations) {
            if (seen.contains(v))
                continue;
            seen.insert(v);
            violations << QStringLiteral("violation (seed %1, round %2): %3").arg(seed).arg(round).arg(v);
            Say(violations.last());
        }
        Say(QStringLiteral("round %1 (%2): %3 ricevute, %4 schede, %5 interruzioni, %6 righe spezzate")
                .arg(round).arg(day.toString(QStringLiteral("dd/MM/yyyy"))).arg(last.receipts).arg(last.cards)
                .arg(killCount).arg(last.tornLines));
    }
    int operations = 0, restores = 0;
    for (const QStringList& a : ReadAcks(run.Log())) {
        operations += a.value(0) == QLatin1String("O");
        restores += a.value(0) == QLatin1String("X");
    }
    if (violations.isEmpty() && !args.contains(QStringLiteral("--keep")))
        QDir(run.root).removeRecursively();
    else
        Say(QStringLiteral("folder kept: %1 (replay: --seed %2)").arg(run.root).arg(seed));
    Say(QStringLiteral("minutes: %1").arg(total.elapsed() / 60000.0, 0, 'f', 1));
    Say(QStringLiteral("operations: %1, kills: %2, restores: %3, violations: %4")
            .arg(operations).arg(killCount).arg(restores).arg(violations.size()));
    return violations.isEmpty() ? 0 : 1;
}
} // namespace

// Checks the files of an earlier run again: carvenna_soak --check <run folder> [--kills N] [--day yyyy-mm-dd].
int CheckAgain(const QStringList& args) {
    QString root = Arg(args, QStringLiteral("--check"));
    if (!root.endsWith(u'/'))
        root += u'/';
    const RunFolders run{root};
    const QDate day = args.contains(QStringLiteral("--day"))
                          ? QDate::fromString(Arg(args, QStringLiteral("--day")), Qt::ISODate)
                          : QDate::currentDate();
    const CheckReport report = CheckAll(run, Arg(args, QStringLiteral("--kills"), QStringLiteral("0")).toInt(), day);
    for (const QString& v : report.violations)
        Say(QStringLiteral("violation: ") + v);
    Say(QStringLiteral("receipts: %1, cards: %2, torn lines: %3, violations: %4")
            .arg(report.receipts).arg(report.cards).arg(report.tornLines).arg(report.violations.size()));
    return report.violations.isEmpty() ? 0 : 1;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--worker")))
        return RunWorker(args);
    if (args.contains(QStringLiteral("--check")))
        return CheckAgain(args);
    return RunController(args);
}
