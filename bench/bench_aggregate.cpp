// Summing one period of 2,500 regions x 10 sections of 30 x 8 into 50 districts and one
// province, against the time to read the same member files once with open/read/close.
// MIREL_BENCH_DIR chooses where the generated workspace lies (default: the temporary folder);
// on a RAM-backed folder the comparison shows the program's own work, on a disk it includes
// the disk's time to make each written file durable. CPU times are of the whole process (the
// summation reads, and writes its sums, with two threads); on a machine that others share,
// compare those.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

#include "aggregate/summation.h"

using namespace mirel;

namespace {

constexpr int Regions = 2500;
constexpr int Districts = 50;
constexpr int Sections = 10;
constexpr int Rows = 30;
constexpr int Columns = 8;

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

struct Workspace {
    QTemporaryDir dir{qEnvironmentVariableIsSet("MIREL_BENCH_DIR")
                          ? qEnvironmentVariable("MIREL_BENCH_DIR") + "/mirel-bench-XXXXXX"
                          : QDir::tempPath() + "/mirel-bench-XXXXXX"};
    aggregate::SummPlace place;
    QList<QByteArray> members; // local paths of the member files
    reference::FormCatalog forms;

    Workspace() {
        const QString root = dir.path();
        place = {root, root + "/DAT", root + "/SHIF", root + "/FORM"};
        writeFile(root + "/MIREL_WIN.INI",
                  "Bench\r\n[MIREL_WIN]\r\n  SUMM1.TXT\r\n  SUMM2.TXT\r\n");
        QByteArray shif, districts, province = "3000:\r\n";
        for (int d = 0; d < Districts; ++d) {
            const QByteArray district = QByteArray::number(2001 + d);
            districts += district + ":\r\n";
            province += district + "\r\n";
            shif += district + " District " + district + "\r\n";
        }
        const QString data = root + "/DAT/DAT_2512.101/";
        for (int k = 0; k < Regions; ++k) {
            const QByteArray code = QByteArray::number(10001 + k);
            shif += code + " Region " + code + "\r\n";
            for (int s = 1; s <= Sections; ++s) {
                const QByteArray rr = QByteArray::number(s).rightJustified(2, '0');
                QByteArray text = "PR_?\r\n! 0000 101 " + rr + " 25 12 " + code + "\r\n";
                for (int r = 1; r <= Rows; ++r) {
                    text += QByteArray::number(r);
                    for (int c = 1; c <= Columns; ++c)
                        text += ' ' + QByteArray::number((k * 7 + r * 13 + c * s) % 9973);
                    text += "\r\n";
                }
                const QString path = data + QString::fromLatin1(code + "." + rr);
                writeFile(path, text);
                members.append(QFile::encodeName(path));
            }
        }
        // District d holds the regions k with k % 50 == d.
        for (int d = 0; d < Districts; ++d) {
            QByteArray group;
            for (int k = d; k < Regions; k += Districts)
                group += QByteArray::number(10001 + k) + "\r\n";
            districts.replace(QByteArray::number(2001 + d) + ":\r\n",
                              QByteArray::number(2001 + d) + ":\r\n" + group);
        }
        shif += "3000 Province\r\n";
        writeFile(root + "/SHIF/shif.txt", shif);
        writeFile(root + "/SHIF/SUMM1.TXT", districts);
        writeFile(root + "/SHIF/SUMM2.TXT", province);
    }
};

Workspace& workspace() {
    static Workspace ws;
    return ws;
}

void BM_SumPeriod(benchmark::State& state) {
    Workspace& ws = workspace();
    bench::QuietPrompt prompt;
    aggregate::Summation summation(ws.place, aggregate::SummMode::Summation, ws.forms, prompt);
    if (!summation.open()) state.SkipWithError("the summation window did not open");
    // The sums are made once untimed, so that every timed run finds them unchanged (in a fresh
    // workspace the first run would write them all).
    if (summation.Summ_Dir("DAT_2512.101") != 0) state.SkipWithError("the summation failed");
    prompt.messages = 0;
    for (auto _ : state) {
        if (summation.Summ_Dir("DAT_2512.101") != 0 || prompt.messages != 1)
            state.SkipWithError("the summation failed");
        prompt.messages = 0;
    }
    state.counters["files"] = double(ws.members.size());
}
BENCHMARK(BM_SumPeriod)->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime();

// The same where every sum is new: the summary files are removed before each run.
void BM_SumPeriodAnew(benchmark::State& state) {
    Workspace& ws = workspace();
    bench::QuietPrompt prompt;
    aggregate::Summation summation(ws.place, aggregate::SummMode::Summation, ws.forms, prompt);
    if (!summation.open()) state.SkipWithError("the summation window did not open");
    const QString data = ws.place.datDir + "/DAT_2512.101/";
    for (auto _ : state) {
        state.PauseTiming();
        for (int d = 0; d <= Districts; ++d)
            for (int s = 1; s <= Sections; ++s)
                QFile::remove(data + QString::number(d < Districts ? 2001 + d : 3000) + "." +
                              QString::number(s).rightJustified(2, QLatin1Char('0')));
        state.ResumeTiming();
        if (summation.Summ_Dir("DAT_2512.101") != 0 || prompt.messages != 1)
            state.SkipWithError("the summation failed");
        prompt.messages = 0;
    }
    state.counters["files"] = double(ws.members.size());
}
BENCHMARK(BM_SumPeriodAnew)->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime();

// The floor: the member files read once, each with open, one read and close.
void BM_ReadMembersOnce(benchmark::State& state) {
    Workspace& ws = workspace();
    static char buffer[65536];
    for (auto _ : state) {
        qint64 bytes = 0;
        for (const QByteArray& path : ws.members) {
            const int fd = ::open(path.constData(), O_RDONLY);
            if (fd < 0) continue;
            bytes += ::read(fd, buffer, sizeof buffer);
            ::close(fd);
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["files"] = double(ws.members.size());
}
BENCHMARK(BM_ReadMembersOnce)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
