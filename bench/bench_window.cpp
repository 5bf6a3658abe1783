// The region table and the register through the main window (offscreen) at 2,500 and 30,000
// regions, and the control of every region at 2,500, against the same job run headless (as the
// commands run it) and against the time to read the form's data files once with open/read/close.
// The workspaces are generated once under the build folder (bench-ws/N) and kept for the next runs.
//
// Counters: "vs_headless" is the window's time over the headless job's time of the same size
// (the window should stay within 1.2), "cpu_vs_headless" the same ratio of the processor time
// of the thread (steadier when the machine is busy); "vs_command" the time over that of the
// command as the user runs it (a whole `mirel` process, start-up included); "vs_floor" the time
// over the floor's. The window's first table of a process also pays for loading fonts and for
// fresh memory (2-3 ms once), which the headless loop has paid before it is timed.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <ctime>
#include <fcntl.h>
#include <map>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <unistd.h>

#include "control/allregions.h"
#include "data/loadview.h"
#include "platform/prompt.h"
#include "query/runquery.h"
#include "reference/session.h"
#include "ui/dataloadingview.h"
#include "ui/frm_mirel.h"
#include "ui/querytree.h"

using namespace mirel;

namespace {

constexpr int Sections = 3;
constexpr int Rows = 10;
constexpr int Columns = 6;
const QString Query = QStringLiteral("Q_TAB.PSP");

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) std::abort();
}

QByteArray crlf(const char* text) {
    return QByteArray(text).replace("\n", "\r\n");
}

// A workspace of n regions: form 101 of three sections catalogued from January 2023, data of
// every region for December 2025, a region table over sections 1 and 2.
// Rule files for the sections of form 101, for the control of every region.
void writeRules(const QString& root) {
    for (int s = 1; s <= Sections; ++s) {
        const QString path = root + "/FORM/2023_01.101/101_2301.0" + QString::number(s) + ".LOG";
        if (!QFile::exists(path))
            writeFile(path, crlf("// Not below zero\nS=1-10\nG=1-6\n1\\S\\G>=0\n\n"
                                 "// First column under the sum of the others\nS=1-10\n"
                                 "1\\S\\1<=1\\S\\2+1\\S\\3+1\\S\\4+1\\S\\5+1\\S\\6+1000\n"));
    }
}

QString workspace(int n) {
    const QString root = QStringLiteral(MIREL_BENCH_DIR "/") + QString::number(n);
    if (QFile::exists(root + "/complete")) {
        writeRules(root);
        return root;
    }
    QDir(root).removeRecursively();
    writeFile(root + "/MIREL_WIN.INI",
              crlf("Window bench\n[MIREL_WIN]\n YYYY= 2025\n MM= 12\n[DIR_PASP]\n PASP\n"));
    QByteArray shif;
    for (int k = 0; k < n; ++k)
        shif += QByteArray::number(10000 + k) + " Region " + QByteArray::number(10000 + k) + "\r\n";
    writeFile(root + "/SHIF/SHIF.TXT", shif);
    QByteArray structure = "Name;";
    for (int c = 1; c <= Columns; ++c)
        structure += QByteArray::number(c) + ";";
    structure += "\r\n";
    for (int r = 1; r <= Rows; ++r)
        structure += QByteArray::number(r) + "\r\n";
    const QString form = root + "/FORM/2023_01.101/101_2301";
    writeFile(form + ".TXT", crlf("Form 101\nN_PERIOD 12\n"));
    for (int s = 1; s <= Sections; ++s)
        writeFile(form + "." + QString::number(s) + "S", structure);
    writeFile(root + "/PASP/" + Query,
              crlf("1: 101 1\n2: 101 2\nDAT\n1=1\\1\\1\n2=1\\2\\2\n3=2\\1\\1\n"
                   "4=1\\1\\1/2\\1\\1*100\n5=1\\3\\4+2\\3\\4\nDEC\n4 1\n"));
    for (int s = 1; s <= Sections; ++s)
        for (int k = 0; k < n; ++k) {
            const QByteArray code = QByteArray::number(10000 + k);
            QByteArray text =
                "PR_?\r\n! 0000 101 0" + QByteArray::number(s) + " 25 12 " + code + "\r\n";
            for (int r = 1; r <= Rows; ++r) {
                text += QByteArray::number(r);
                for (int c = 1; c <= Columns; ++c)
                    text += ' ' + QByteArray::number((k * 7 + r * 13 + c * s) % 997 + 1);
                text += "\r\n";
            }
            writeFile(root + "/DAT/DAT_2512.101/" + QString::fromLatin1(code) + ".0" +
                          QString::number(s),
                      text);
        }
    writeRules(root);
    writeFile(root + "/complete", "");
    return root;
}

// Wall and processor seconds of a measured part. The processor time of this thread is the
// steadier figure on a machine that others use at the same time.
struct Times {
    double wall = 0;
    double cpu = 0;
    Times& operator+=(const Times& other) {
        wall += other.wall;
        cpu += other.cpu;
        return *this;
    }
    Times per(benchmark::State& state) const {
        const double n = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
        return {wall / n, cpu / n};
    }
};

double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

class Stopwatch {
public:
    Times elapsed() const {
        return {std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wall).count(),
                threadSeconds() - m_cpu};
    }

private:
    std::chrono::steady_clock::time_point m_wall = std::chrono::steady_clock::now();
    double m_cpu = threadSeconds();
};

// Times per iteration of the headless jobs, for the window's ratios.
std::map<std::pair<std::string, int>, Times>& headless() {
    static std::map<std::pair<std::string, int>, Times> times;
    return times;
}
std::map<int, double>& floors() {
    static std::map<int, double> times;
    return times;
}

// Wall seconds per run of the commands, as whole processes.
std::map<std::pair<std::string, int>, double>& commands() {
    static std::map<std::pair<std::string, int>, double> times;
    return times;
}

void ratios(benchmark::State& state, const std::string& job, int n, const Times& window) {
    const auto command = commands().find({job, n});
    if (command != commands().end() && command->second > 0)
        state.counters["vs_command"] = window.wall / command->second;
    const auto h = headless().find({job, n});
    if (h != headless().end() && h->second.wall > 0 && h->second.cpu > 0) {
        state.counters["vs_headless"] = window.wall / h->second.wall;
        state.counters["cpu_vs_headless"] = window.cpu / h->second.cpu;
    }
    const auto f = floors().find(n);
    if (f != floors().end() && f->second > 0) state.counters["vs_floor"] = window.wall / f->second;
}

double elapsed(const std::chrono::steady_clock::time_point& since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The floor: every data file of the form read once with open/read/close.
void BM_Floor(benchmark::State& state) {
    const int n = int(state.range(0));
    const QString root = workspace(n);
    std::vector<QByteArray> files;
    QDirIterator it(root + "/DAT/DAT_2512.101", QDir::Files);
    while (it.hasNext())
        files.push_back(QFile::encodeName(it.next()));
    char buffer[65536];
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (const QByteArray& file : files) {
            const int fd = ::open(file.constData(), O_RDONLY);
            while (::read(fd, buffer, sizeof buffer) > 0) {
            }
            ::close(fd);
        }
        total += elapsed(start);
    }
    floors()[n] = total / double(state.iterations());
}

// A session on the workspace of n regions, as the headless jobs and the commands start one;
// started is false (the benchmark skipped) when it did not start.
struct Headless {
    QString root;
    bench::QuietPrompt prompt;
    bench::NoBrowser browser;
    reference::Session session;
    bool started = false;
    Headless(int n, benchmark::State& state)
        : root(workspace(n)) {
        session.programDir = root;
        started = reference::F_Global(session, QDate(2026, 1, 15), prompt) == 0;
        if (!started) state.SkipWithError("start-up failed");
    }
};

void BM_RegionTable_Headless(benchmark::State& state) {
    const int n = int(state.range(0));
    Headless h(n, state);
    if (!h.started) return;
    Times total;
    for (auto _ : state) {
        const Stopwatch watch;
        query::QueryResult result;
        query::runQuery(h.root + "/PASP/" + Query, h.session, h.prompt, h.browser, {}, result,
                        query::HtmlOutput::Never);
        benchmark::DoNotOptimize(result.table.matrix.size());
        total += watch.elapsed();
        if (result.table.matrix.size() != n) state.SkipWithError("wrong table");
    }
    headless()[{"table", n}] = total.per(state);
}

// The command as the user starts it: a whole `mirel` process, its start-up included, its table
// and messages written to /dev/null. Seconds of wall time; a negative value when it failed.
double runCommand(const QStringList& arguments) {
    return bench::runProgram(MIREL_BIN, arguments);
}

void runCommandBenchmark(benchmark::State& state, const std::string& job,
                         const QStringList& arguments) {
    const int n = int(state.range(0));
    double total = 0;
    for (auto _ : state) {
        const double seconds = runCommand(arguments);
        if (seconds < 0) {
            state.SkipWithError("the command failed");
            return;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    commands()[{job, n}] = total / double(state.iterations());
}

void BM_RegionTable_Command(benchmark::State& state) {
    const QString root = workspace(int(state.range(0)));
    runCommandBenchmark(state, "table", {"query", root + "/PASP/" + Query, "--workspace", root});
}

void BM_Register_Command(benchmark::State& state) {
    const QString root = workspace(int(state.range(0)));
    runCommandBenchmark(state, "register", {"register", "101", "--workspace", root});
}

void BM_Register_Headless(benchmark::State& state) {
    const int n = int(state.range(0));
    Headless h(n, state);
    if (!h.started) return;
    data::enterLoadView(h.session, false, QDate(2026, 1, 15), h.prompt);
    Times total;
    for (auto _ : state) {
        const Stopwatch watch;
        const auto reg = data::Cmd_Load_DD(h.session, "101", false, h.prompt);
        benchmark::DoNotOptimize(reg->rows.size());
        total += watch.elapsed();
    }
    headless()[{"register", n}] = total.per(state);
}

// The main window on the workspace, shown on the offscreen platform.
struct Window {
    bench::QuietPrompt prompt;
    bench::NoBrowser browser;
    std::unique_ptr<ui::Frm_mirel> w;
    explicit Window(const QString& root)
        : w(std::make_unique<ui::Frm_mirel>(root, prompt, browser)) {
        if (w->load(QDate(2026, 1, 15)) != 0) w.reset();
        if (w) w->show();
        QCoreApplication::processEvents();
    }
};

void BM_RegionTable_Window(benchmark::State& state) {
    const int n = int(state.range(0));
    Window window(workspace(n));
    if (!window.w) {
        state.SkipWithError("start-up failed");
        return;
    }
    ui::Frm_mirel& w = *window.w;
    auto* view = w.findChild<ui::QueryTree*>();
    const QString path = w.session().dir(core::DirPASP) + "/" + Query;
    Times total;
    for (auto _ : state) {
        w.controls().Tree_Pasp->setCurrentItem(view->nodeByKey(path));
        const Stopwatch watch;
        w.controls().mnu_pasp_calc->trigger();
        QCoreApplication::processEvents(); // the grid drawn once
        const Times times = watch.elapsed();
        state.SetIterationTime(times.wall);
        total += times;
        if (w.controls().Grid->rowCount() != n) state.SkipWithError("no table");
        w.controls().Cmd_calc->click(); // "Закрыть таблицу"
    }
    ratios(state, "table", n, total.per(state));
}

// The window in its data loading view with the first form chosen; nullptr (the benchmark
// skipped) when it did not start.
ui::Frm_mirel* loadingView(Window& window, benchmark::State& state) {
    if (!window.w) {
        state.SkipWithError("start-up failed");
        return nullptr;
    }
    window.w->controls().menu_VV_All->trigger();
    window.w->controls().Combo_FFF->setCurrentIndex(0);
    return window.w.get();
}

void BM_Register_Window(benchmark::State& state) {
    const int n = int(state.range(0));
    Window window(workspace(n));
    ui::Frm_mirel* w = loadingView(window, state);
    if (!w) return;
    const auto& c = w->controls();
    Times total;
    for (auto _ : state) {
        const Stopwatch watch;
        c.Cmd_Load_DD->click();
        QCoreApplication::processEvents(); // the register drawn once
        const Times times = watch.elapsed();
        state.SetIterationTime(times.wall);
        total += times;
        if (c.Grid->rowCount() != n) state.SkipWithError("no register");
    }
    ratios(state, "register", n, total.per(state));
}

// The control of every region, headless as the command runs it. The first run, untimed, writes
// the marks; the timed ones find them written.
void BM_ControlAll_Headless(benchmark::State& state) {
    const int n = int(state.range(0));
    Headless h(n, state);
    if (!h.started) return;
    const control::ControlTarget target{
        h.session.dir(core::DirDAT), h.session.dir(core::DirFORM), "101", 1, "2025", "12", {}};
    const auto run = [&] {
        return control::controlAllRegions(h.session.forms, target, h.session.regions, "101 - Form",
                                          QDateTime::currentDateTime(), h.prompt, h.browser);
    };
    run();
    Times total;
    for (auto _ : state) {
        const Stopwatch watch;
        const control::AllRegionsRun result = run();
        total += watch.elapsed();
        if (result.regions.size() != n) state.SkipWithError("regions missed");
    }
    headless()[{"control", n}] = total.per(state);
}

void BM_ControlAll_Command(benchmark::State& state) {
    const QString root = workspace(int(state.range(0)));
    runCommandBenchmark(state, "control", {"control", "101", "--all", "--workspace", root});
}

// The same from the register's context menu ("Логический контроль" -> "Все регионы"), the
// register's marks read again.
void BM_ControlAll_Window(benchmark::State& state) {
    const int n = int(state.range(0));
    Window window(workspace(n));
    ui::Frm_mirel* w = loadingView(window, state);
    if (!w) return;
    const auto& c = w->controls();
    c.Cmd_Load_DD->click();
    QCoreApplication::processEvents();
    auto* all = w->findChild<QAction*>("menu_Log_All");
    if (!all || c.Grid->rowCount() != n) {
        state.SkipWithError("no register");
        return;
    }
    Times total;
    for (auto _ : state) {
        const Stopwatch watch;
        all->trigger();
        QCoreApplication::processEvents(); // the marks drawn once
        const Times times = watch.elapsed();
        state.SetIterationTime(times.wall);
        total += times;
    }
    ratios(state, "control", n, total.per(state));
}

// Each size: the floor, the headless jobs, then the window's (which need the others' times).
void sizes(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}
// The window's time is the job's, from the menu to the drawn grid: closing it is not counted.
void windowSizes(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseManualTime();
}

BENCHMARK(BM_Floor)->Arg(2500)->Arg(30000)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_RegionTable_Headless)->Arg(2500)->Arg(30000)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_RegionTable_Command)->Arg(2500)->Arg(30000)->Apply(windowSizes)->Iterations(3);
BENCHMARK(BM_RegionTable_Window)->Arg(2500)->Arg(30000)->Apply(windowSizes)->Iterations(3);
BENCHMARK(BM_Register_Headless)->Arg(2500)->Arg(30000)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_Register_Command)->Arg(2500)->Arg(30000)->Apply(windowSizes)->Iterations(3);
BENCHMARK(BM_Register_Window)->Arg(2500)->Arg(30000)->Apply(windowSizes)->Iterations(3);
BENCHMARK(BM_ControlAll_Headless)->Arg(2500)->Apply(sizes)->Iterations(3);
BENCHMARK(BM_ControlAll_Command)->Arg(2500)->Apply(windowSizes)->Iterations(3);
BENCHMARK(BM_ControlAll_Window)->Arg(2500)->Apply(windowSizes)->Iterations(3);

} // namespace
