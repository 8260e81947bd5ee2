// Start-up: Carvenna against a bare Qt program, each its own executable started as a separate process,
// in alternating rounds, on the offscreen platform and under a virtual X screen (Xvfb). The real child
// is Carvenna's start linked as the program is (startup_real); the bare child is a window with one
// edit field of the same size linked with Qt Widgets alone (startup_bare).
//
// Each child is timed from its start to its first frame painted and flushed to its window (under X,
// the window is mapped by then: Qt paints a window only once the server has exposed it), with its
// resident memory at that moment; for Carvenna also to the moment every window is built and the
// program first waits for the user. Reported: the medians of every measure and the ratio of the
// medians, and the median of each round's own ratio, which a busy machine disturbs less.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

const QString kRealChild = QStringLiteral(STARTUP_REAL_PROGRAM);
const QString kBareChild = QStringLiteral(STARTUP_BARE_PROGRAM);

// What one child reported, in milliseconds from its start and KiB; negative when it never got there.
struct Marks {
    double paintedMs = -1, idleMs = -1;
    double paintedKb = -1, idleKb = -1;
    QSize size;
};

Marks RunChild(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    Marks m;
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    QByteArray pending;
    while (m.idleMs < 0 && p.waitForReadyRead(10000)) {
        const double now = t.nsecsElapsed() / 1e6;
        pending += p.readAllStandardOutput();
        qsizetype eol;
        while ((eol = pending.indexOf('\n')) >= 0) {
            const QList<QByteArray> words = pending.left(eol).split(' ');
            pending.remove(0, eol + 1);
            const double kb = words.size() > 1 ? words.at(1).toDouble() : -1;
            if (words.at(0) == "painted") {
                m.paintedMs = now;
                m.paintedKb = kb;
                if (words.size() > 2) {
                    const QList<QByteArray> wh = words.at(2).split('x');
                    if (wh.size() == 2)
                        m.size = QSize(wh.at(0).toInt(), wh.at(1).toInt());
                }
            } else if (words.at(0) == "idle") {
                m.idleMs = now;
                m.idleKb = kb;
            }
        }
    }
    p.kill();
    p.waitForFinished(5000);
    return m;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A virtual X screen for the life of the benchmark; display() is empty when Xvfb could not start.
class VirtualScreen {
public:
    VirtualScreen() {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        // -displayfd: Xvfb picks a free display and writes its number on standard output once ready.
        m_server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                              QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")});
        QByteArray out;
        while (!out.contains('\n') && m_server.waitForReadyRead(10000))
            out += m_server.readAllStandardOutput();
        bool ok = false;
        const int number = out.trimmed().toInt(&ok);
        if (ok)
            m_display = QStringLiteral(":%1").arg(number);
    }
    ~VirtualScreen() {
        m_server.terminate();
        if (!m_server.waitForFinished(3000))
            m_server.kill();
    }
    QString display() const { return m_display; }

private:
    QProcess m_server;
    QString m_display;
};

void Startup(benchmark::State& state, const QProcessEnvironment& env) {
    QTemporaryDir folder;
    const QStringList realArgs{QStringLiteral("--cartella"), folder.path()};
    // A first start of each fills the disk cache and gives the size of Carvenna's first window.
    const Marks first = RunChild(kRealChild, realArgs, env);
    if (first.paintedMs < 0 || !first.size.isValid()) {
        state.SkipWithError("Carvenna never painted its first window");
        return;
    }
    const QStringList bareArgs{QStringLiteral("--size"),
                               QStringLiteral("%1x%2").arg(first.size.width()).arg(first.size.height())};
    RunChild(kBareChild, bareArgs, env);

    std::vector<double> real, bare, ratio, realIdle, realKb, bareKb, realIdleKb;
    bool realFirst = true;
    for (auto _ : state) {
        Marks r, b;
        // Alternating which starts first, so neither always follows the other's exit.
        if (realFirst) {
            r = RunChild(kRealChild, realArgs, env);
            b = RunChild(kBareChild, bareArgs, env);
        } else {
            b = RunChild(kBareChild, bareArgs, env);
            r = RunChild(kRealChild, realArgs, env);
        }
        realFirst = !realFirst;
        if (r.paintedMs < 0 || r.idleMs < 0 || b.paintedMs < 0) {
            state.SkipWithError("a child never painted its first frame");
            return;
        }
        real.push_back(r.paintedMs);
        bare.push_back(b.paintedMs);
        ratio.push_back(r.paintedMs / b.paintedMs);
        realIdle.push_back(r.idleMs);
        realKb.push_back(r.paintedKb);
        bareKb.push_back(b.paintedKb);
        realIdleKb.push_back(r.idleKb);
    }
    state.counters["real_ms"] = Median(real);
    state.counters["bare_ms"] = Median(bare);
    state.counters["ratio"] = Median(real) / Median(bare);
    state.counters["round_ratio"] = Median(ratio);
    state.counters["real_all_built_ms"] = Median(realIdle);
    state.counters["real_MB"] = Median(realKb) / 1024;
    state.counters["bare_MB"] = Median(bareKb) / 1024;
    state.counters["real_all_built_MB"] = Median(realIdleKb) / 1024;
}

void BM_StartupOffscreen(benchmark::State& state) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    Startup(state, env);
}

VirtualScreen* g_screen = nullptr;

void BM_StartupXvfb(benchmark::State& state) {
    if (!g_screen || g_screen->display().isEmpty()) {
        state.SkipWithError("no virtual X screen (Debian package xvfb)");
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), g_screen->display());
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    Startup(state, env);
}

BENCHMARK(BM_StartupXvfb)->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupOffscreen)->Iterations(30)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    VirtualScreen screen;
    g_screen = &screen;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
