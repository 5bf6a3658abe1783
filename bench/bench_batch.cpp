// A batch list of 250, 1,000 and 2,000 small queries written into one batch page, against the
// time to read the same query, template and data files once. The time per query stays flat
// as the list grows: the page is written once, not after every query.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

#include "core/config.h"
#include "query/runquery.h"
#include "reference/session.h"

using namespace mirel;

namespace {

constexpr int Regions = 20;

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

struct Workspace {
    QTemporaryDir dir;
    reference::Session session;
    QStringList files; // every file a batch run reads

    Workspace() {
        session.programDir = dir.path();
        session.dirs = core::emptyDirSet();
        session.dirs[core::DirDAT] = dir.path() + "/DAT";
        session.dirs[core::DirSHIF] = dir.path() + "/SHIF";
        session.dirs[core::DirFORM] = dir.path() + "/FORM";
        session.dirs[core::DirPASP] = dir.path() + "/Q";
        session.year = "2025";
        session.month = "12";
        session.cnf = {{"[MIREL_WIN]", {"YYYY= 2025", "IE"}}};
        session.forms.append({"101", "202001", {{"1", {"1", "2", "3"}, {"1", "2", "3"}}}});
        QByteArray shif;
        for (int k = 0; k < Regions; ++k) {
            const QByteArray code = QByteArray::number(1000 + k);
            shif += code + " Region " + code + "\r\n";
            const QString path =
                dir.path() + "/DAT/DAT_2512.101/" + QString::fromLatin1(code) + ".01";
            writeFile(path, "PR_?\r\n! 0000 101 01 25 12 " + code + "\r\n1 " +
                                QByteArray::number(k + 1) + " 2 3\r\n2 4 5 6\r\n3 7 8 9\r\n");
            files.append(path);
        }
        writeFile(dir.path() + "/SHIF/shif.txt", shif);
        files.append(dir.path() + "/SHIF/shif.txt");
    }

    // A batch list of n queries, each with its template; its path.
    QString list(int n) {
        QByteArray names;
        for (int q = 0; q < n; ++q) {
            const QString stem =
                dir.path() + "/Q/" + QString::number(n) + "/q" + QString::number(q);
            writeFile(stem + ".PSP", "1: 101 1\r\nDAT\r\n1=1\\1\\1+" + QByteArray::number(q) +
                                         "\r\n2=1\\2\\2*1\\3\\3\r\n");
            writeFile(stem + ".HTM", "<html><body><table><tr><td>>1\\1\\0<</td><td>>1\\1\\1<</td>"
                                     "<td>>1\\1\\2<</td></tr></table></body></html>");
            names += "q" + QByteArray::number(q) + "\r\n\r\n";
        }
        const QString path = dir.path() + "/Q/" + QString::number(n) + "/Пакет.LINK";
        writeFile(path, names);
        return path;
    }
};

Workspace& workspace() {
    static Workspace w;
    return w;
}

// The batch run of n queries, batch page included.
void BM_BatchList(benchmark::State& state) {
    const int n = int(state.range(0));
    const QString list = workspace().list(n);
    for (auto _ : state) {
        bench::QuietPrompt prompt;
        bench::NoBrowser browser;
        query::RunOptions options;
        query::QueryResult result;
        if (query::runQuery(list, workspace().session, prompt, browser, options, result) != 0)
            state.SkipWithError("the batch failed");
    }
    state.counters["s_per_query"] = benchmark::Counter(
        double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The floor: the query files, the templates and each query's data files read once with plain
// open/read/close, as many times as the batch reads them.
void BM_ReadFloor(benchmark::State& state) {
    const int n = int(state.range(0));
    const QString folder = workspace().dir.path() + "/Q/" + QString::number(n) + "/";
    workspace().list(n);
    QList<QByteArray> paths;
    for (int q = 0; q < n; ++q) {
        paths.append(QFile::encodeName(folder + "q" + QString::number(q) + ".PSP"));
        paths.append(QFile::encodeName(folder + "q" + QString::number(q) + ".HTM"));
        for (const QString& f : workspace().files)
            paths.append(QFile::encodeName(f));
    }
    char buffer[65536];
    for (auto _ : state) {
        qint64 total = 0;
        for (const QByteArray& p : paths) {
            const int fd = ::open(p.constData(), O_RDONLY);
            for (ssize_t r; (r = ::read(fd, buffer, sizeof buffer)) > 0;)
                total += r;
            ::close(fd);
        }
        benchmark::DoNotOptimize(total);
    }
    state.counters["s_per_query"] = benchmark::Counter(
        double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_BatchList)->Arg(250)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFloor)->Arg(250)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
