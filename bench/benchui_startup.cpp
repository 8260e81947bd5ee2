// Start-up: the real program against a bare Qt program (a window with one edit field), started
// alternately as separate processes (offscreen), each timed from its start to its first painted frame.
// Reports both times and their ratio. The same executable serves as both children.
#include "app/ProgramMain.h"
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* const RealChild = "--child-real";
const char* const BareChild = "--child-bare";

int Child(int argc, char** argv, bool real) {
    std::vector<char*> args{argv[0]};
    for (int i = 2; i < argc; ++i)
        args.push_back(argv[i]);
    int n = int(args.size());
    QApplication qapp(n, args.data());
    auto mark = [] {
        std::fputs("painted\n", stdout);
        std::fflush(stdout);
    };
    if (real)
        return RunCarvenna(qapp, mark);
    OnFirstFrame(qapp, mark);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLineEdit);
    window.show();
    return qapp.exec();
}

// Milliseconds from starting the child to its first frame; negative when it never painted.
double TimeToFirstFrame(bool real, const QString& folder) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    QStringList args{QLatin1String(real ? RealChild : BareChild)};
    if (real)
        args << QStringLiteral("--cartella") << folder;
    QElapsedTimer t;
    t.start();
    p.start(QCoreApplication::applicationFilePath(), args);
    double ms = -1;
    while (p.waitForReadyRead(10000)) {
        if (p.readAllStandardOutput().contains("painted")) {
            ms = t.nsecsElapsed() / 1e6;
            break;
        }
    }
    p.kill();
    p.waitForFinished(5000);
    return ms;
}

void BM_StartupAgainstBareQt(benchmark::State& state) {
    QTemporaryDir folder;
    double real = 0, bare = 0;
    int n = 0;
    for (auto _ : state) {
        const double r = TimeToFirstFrame(true, folder.path());
        const double b = TimeToFirstFrame(false, folder.path());
        if (r < 0 || b < 0) {
            state.SkipWithError("a child never painted its first frame");
            return;
        }
        real += r;
        bare += b;
        ++n;
    }
    state.counters["real_ms"] = real / n;
    state.counters["bare_ms"] = bare / n;
    state.counters["ratio"] = real / bare;
}
BENCHMARK(BM_StartupAgainstBareQt)->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], RealChild) == 0)
        return Child(argc, argv, true);
    if (argc > 1 && std::strcmp(argv[1], BareChild) == 0)
        return Child(argc, argv, false);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
