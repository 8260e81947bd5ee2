// Several workstations changing one shared settings file at the same moment: each change is kept. The
// workstations are processes (this test started again with --child), since the lock between them is
// the operating system's lock between processes.
#include "payments/Mandates.h"
#include "storage/IniFile.h"
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <vector>

using namespace payments;

namespace {
constexpr int kWorkstations = 4;
constexpr int kSaves = 40;

QString Code(int workstation, int i) {
    return QStringLiteral("WS%1CODE%2").arg(workstation).arg(i, 3, 10, QLatin1Char('0'));
}

// One workstation: saves its mandates one by one, or marks first collections of the other workstations'
// payers, each a separate load and save of the file.
int Child(const QStringList& args) {
    const QString path = args.value(2);
    const int ws = args.value(3).toInt();
    for (int i = 0; i < kSaves; ++i) {
        bool ok = false;
        QString error;
        if (args.value(4) == QLatin1String("mark")) {
            ok = MarkFirstCollections(path, {Code(ws, i)}, &error);
        } else {
            Mandate m;
            m.taxCode = Code(ws, i);
            m.iban = QStringLiteral("IT60X0542811101000000123456");
            m.id = QStringLiteral("MND-%1-%2").arg(ws).arg(i);
            m.signedOn = QDate(2026, 9, 1);
            ok = SaveMandate(path, m, &error);
        }
        if (!ok) {
            qWarning("%s", qPrintable(error));
            return 3;
        }
    }
    return 0;
}

// Runs the workstations together and waits for them all.
void RunTogether(const QString& path, const QVector<QStringList>& modes) {
    std::vector<std::unique_ptr<QProcess>> procs;
    for (int ws = 0; ws < modes.size(); ++ws) {
        auto p = std::make_unique<QProcess>();
        p->start(QCoreApplication::applicationFilePath(),
                 QStringList{QStringLiteral("--child"), path, QString::number(ws)} + modes[ws]);
        QVERIFY(p->waitForStarted());
        procs.push_back(std::move(p));
    }
    for (auto& p : procs) {
        QVERIFY(p->waitForFinished(60000));
        QCOMPARE(p->exitCode(), 0);
    }
}
} // namespace

class TstSharedSettings : public QObject {
    Q_OBJECT
private slots:
    // Mandates typed at four workstations at once: none of them is lost to another's save.
    void mandatesSavedTogetherAreAllKept() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QLatin1String(MandatesFileName));
        RunTogether(path, QVector<QStringList>(kWorkstations, QStringList{QStringLiteral("save")}));
        Mandates back;
        QVERIFY(back.Load(path));
        QCOMPARE(back.Count(), kWorkstations * kSaves);
        for (int ws = 0; ws < kWorkstations; ++ws)
            for (int i = 0; i < kSaves; i += 13)
                QCOMPARE(back.Of(Code(ws, i))->id, QStringLiteral("MND-%1-%2").arg(ws).arg(i));
    }

    // A direct-debit file marking first collections while mandates are typed elsewhere: both kept.
    void firstCollectionsMarkedBesideNewMandates() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QLatin1String(MandatesFileName));
        RunTogether(path, {{QStringLiteral("save")}, {QStringLiteral("mark")}, {QStringLiteral("save")}});
        Mandates back;
        QVERIFY(back.Load(path));
        for (int i = 0; i < kSaves; ++i) {
            QCOMPARE(IniRead(path, Code(1, i), QStringLiteral("Primo addebito")), QStringLiteral("SI"));
            QVERIFY(back.Of(Code(0, i)));
            QVERIFY(back.Of(Code(2, i)));
        }
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--child"))
        return Child(app.arguments());
    TstSharedSettings t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_sharedsettings.moc"
