// Speed of logical control of every region (control FFF --all) against the floor: the bytes of
// the section files it checks read with plain open/read/close in the same run. A generated
// period folder of N regions, one form of five sections of 30 x 8 and a rule file per section
// (sums, loops over rows and columns); one region in ten fails a condition. The workspace and the
// report pages lie in /dev/shm unless MIREL_BENCH_DIR names another folder.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "control/allregions.h"
#include "platform/codec.h"
#include "platform/fileio.h"

using namespace mirel;

namespace {

constexpr int Sections = 5;

// Seconds of processor time of this process: the machine is shared, so the ratios are given on
// processor time as well as on the clock.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Cost {
    double wall = 0;
    double cpu = 0;
};

template <typename F>
Cost measure(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = cpuSeconds();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            cpuSeconds() - cpu};
}
constexpr int Rows = 30;
constexpr int Columns = 8;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) std::abort();
}

// Row 1 is the sum of rows 2..30; column 1 the sum of columns 2..8; everything at least 0.
QByteArray sectionBytes(const QString& region, int section, bool failing, const QString& mark) {
    QString text =
        "PR_" + mark + "\r\n! 0000 101 0" + QString::number(section) + " 25 12 " + region + "\r\n";
    std::vector<std::vector<long>> v(Rows + 1, std::vector<long>(Columns + 1, 0));
    for (int r = 2; r <= Rows; ++r)
        for (int c = 2; c <= Columns; ++c)
            v[r][c] = (r * 7 + c * 13 + region.toInt()) % 1000;
    for (int r = 2; r <= Rows; ++r)
        for (int c = 2; c <= Columns; ++c)
            v[r][1] += v[r][c];
    for (int c = 1; c <= Columns; ++c)
        for (int r = 2; r <= Rows; ++r)
            v[1][c] += v[r][c];
    if (failing) v[1][1] += 1;
    for (int r = 1; r <= Rows; ++r) {
        text += QString::number(r);
        for (int c = 1; c <= Columns; ++c)
            text += ' ' + QString::number(v[r][c]);
        text += "\r\n";
    }
    return platform::encode1251(text);
}

struct Workspace {
    QTemporaryDir dir{bench::benchFolder() + "/mirel-bench-XXXXXX"};
    QTemporaryDir pages{bench::benchFolder() + "/mirel-pages-XXXXXX"};
    reference::FormCatalog catalog;
    reference::Regions regions;
    control::ControlTarget target;
    QStringList files;

    explicit Workspace(int count) {
        const QString data = dir.path() + "/DAT/DAT_2512.101";
        QDir().mkpath(data);
        QDir().mkpath(dir.path() + "/FORM/2024_01.101");
        reference::CatalogEntry entry{"101", "202401", {}};
        QStringList rows, columns;
        for (int r = 1; r <= Rows; ++r)
            rows << QString::number(r);
        for (int c = 1; c <= Columns; ++c)
            columns << QString::number(c);
        QString rules = "// Итог по строкам\n";
        for (int col = 1; col <= Columns; ++col)
            rules += "1\\1\\" + QString::number(col) + "=SUMM_S(2," + QString::number(Rows) + "," +
                     QString::number(col) + ")\n";
        rules += "\n// Итог по графам\n";
        for (int r = 1; r <= Rows; ++r)
            rules += "1\\" + QString::number(r) + "\\1=SUMM_G(2," + QString::number(Columns) + "," +
                     QString::number(r) + ")\n";
        rules += "\n// Не меньше нуля\nS=1-" + QString::number(Rows) + "\nG=1-" +
                 QString::number(Columns) + "\n1\\S\\G>=0\n";
        for (int s = 1; s <= Sections; ++s) {
            entry.sections.append({QString::number(s), rows, columns});
            writeFile(dir.path() + "/FORM/2024_01.101/101_2401.0" + QString::number(s) + ".LOG",
                      platform::encode1251(QString(rules).replace("\n", "\r\n")));
        }
        catalog.append(entry);
        for (int i = 0; i < count; ++i) {
            const QString code = QString::number(100000 + i);
            regions.append(reference::Region{code, "Район " + code});
            for (int s = 1; s <= Sections; ++s) {
                const QString path = data + "/" + code + ".0" + QString::number(s);
                writeFile(path, sectionBytes(code, s, i % 10 == 0 && s == 1, "?"));
                files << path;
            }
        }
        target = {dir.path() + "/DAT", dir.path() + "/FORM", "101", 1, "2025", "12", {}};
        platform::setTempDirOverride(pages.path());
    }
    ~Workspace() { platform::setTempDirOverride(QString()); }

    // Every state line back to "?", as the regions sent them.
    void resetMarks() {
        for (const QString& path : files) {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            QByteArray bytes = f.readAll();
            f.close();
            bytes = "PR_?" + bytes.mid(bytes.indexOf('\r'));
            writeFile(path, bytes);
        }
    }

    // The physical floor: the bytes of every file checked, read with open/read/close (best of
    // three).
    Cost floor() const {
        std::vector<char> buffer(1 << 16);
        std::vector<QByteArray> names;
        for (const QString& f : files)
            names.push_back(QFile::encodeName(f));
        Cost best{1e9, 1e9};
        for (int round = 0; round < 3; ++round) {
            size_t total = 0;
            const Cost c = measure([&] {
                for (const QByteArray& name : names) {
                    const int fd = ::open(name.constData(), O_RDONLY);
                    ssize_t n;
                    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
                        total += size_t(n);
                    ::close(fd);
                }
            });
            benchmark::DoNotOptimize(total);
            best.wall = std::min(best.wall, c.wall);
            best.cpu = std::min(best.cpu, c.cpu);
        }
        return best;
    }

    control::AllRegionsRun run() {
        bench::QuietPrompt prompt;
        bench::NoBrowser browser;
        control::AllRegionsRun r = control::controlAllRegions(
            catalog, target, regions, "101 - Форма", QDateTime::currentDateTime(), prompt, browser);
        if (prompt.messages || r.regions.size() != regions.size() || r.withFindings == 0)
            std::abort();
        return r;
    }
};

// The floor of reading the files, for the record.
void BM_Floor(benchmark::State& state) {
    Workspace ws(int(state.range(0)));
    for (auto _ : state)
        state.SetIterationTime(ws.floor().wall);
    state.counters["files"] = double(ws.files.size());
}
BENCHMARK(BM_Floor)->Arg(2000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Runs of the control of every region; x_floor and x_floor_cpu are their clock and processor
// times over the floor measured in the same run.
void runAll(benchmark::State& state, Workspace& ws, bool asSent) {
    const Cost floor = ws.floor();
    Cost total;
    for (auto _ : state) {
        if (asSent) {
            state.PauseTiming();
            ws.resetMarks();
            state.ResumeTiming();
        }
        const Cost c = measure([&] { benchmark::DoNotOptimize(ws.run()); });
        state.SetIterationTime(c.wall);
        total.wall += c.wall;
        total.cpu += c.cpu;
    }
    const double n = double(state.iterations());
    state.counters["x_floor"] = total.wall / n / floor.wall;
    state.counters["x_floor_cpu"] = total.cpu / n / floor.cpu;
    state.counters["floor_ms"] = floor.wall * 1000;
}

// Control run again over data already marked: nothing to write but the pages of the regions
// with findings.
void BM_ControlAllMarked(benchmark::State& state) {
    Workspace ws(int(state.range(0)));
    ws.run();
    runAll(state, ws, false);
}
BENCHMARK(BM_ControlAllMarked)->Arg(2000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The first run over data as sent: every file gets its mark (an atomic replacement each).
void BM_ControlAllFirstRun(benchmark::State& state) {
    Workspace ws(int(state.range(0)));
    runAll(state, ws, true);
}
BENCHMARK(BM_ControlAllFirstRun)->Arg(2000)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
