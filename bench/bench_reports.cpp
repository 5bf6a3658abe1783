// Speed of the reports tree on a large data folder: the forms and periods with the check for
// region data in every period folder, the whole tree with the regions, against the floor of
// listing the same folders with plain opendir/readdir; and the pages of one region.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <dirent.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "data/reportpages.h"
#include "data/reports.h"
#include "platform/codec.h"

using namespace mirel;

namespace {

constexpr int Forms = 4;
constexpr int Periods = 12;
constexpr int Regions = 250;
constexpr int Sections = 4;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

// 48 period folders of 250 regions with four sections each (48,000 files), the catalog entries
// of the four forms and the classifier.
struct Workspace {
    QTemporaryDir dir;
    data::ReportsBase base;
    QStringList folders;

    Workspace() {
        base.workDir = dir.path();
        base.datDir = dir.path() + QStringLiteral("/DAT");
        for (int r = 0; r < Regions; ++r) {
            base.regions.append(reference::Region{
                QString::number(1000 + r), QStringLiteral("Район ") + QString::number(1000 + r)});
        }
        const reference::SectionStructure structure{
            QStringLiteral("1"),
            {QStringLiteral("1"), QStringLiteral("2")},
            {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}};
        for (int f = 0; f < Forms; ++f)
            base.forms.append(
                reference::CatalogEntry{QString::number(101 + f), QStringLiteral("202501"),
                                        QList<reference::SectionStructure>(Sections, structure)});
        const QByteArray section = platform::encode1251(
            QStringLiteral("PR_?\r\n! 0000 101 01 25 12 1000\r\n1 1 2 3 4\r\n2 5 6 7 8\r\n"));
        for (int f = 0; f < Forms; ++f) {
            for (int p = 1; p <= Periods; ++p) {
                const QString folder =
                    base.datDir +
                    QStringLiteral("/DAT_25%1.%2").arg(p, 2, 10, QLatin1Char('0')).arg(101 + f);
                QDir().mkpath(folder);
                folders.append(folder);
                for (int r = 0; r < Regions; ++r)
                    for (int s = 1; s <= Sections; ++s)
                        writeFile(folder + QStringLiteral("/%1.0%2").arg(1000 + r).arg(s), section);
            }
        }
    }
};

Workspace& workspace() {
    static Workspace ws;
    return ws;
}

// The floor: the names of every period folder's files, read with opendir/readdir.
void BM_FloorListFolders(benchmark::State& state) {
    Workspace& ws = workspace();
    for (auto _ : state) {
        qint64 names = 0;
        for (const QString& folder : ws.folders) {
            DIR* d = opendir(QFile::encodeName(folder).constData());
            if (!d) continue;
            while (dirent* e = readdir(d))
                names += e->d_name[0] != '.';
            closedir(d);
        }
        if (names != qint64(Forms) * Periods * Regions * Sections)
            state.SkipWithError("not listed");
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(BM_FloorListFolders)->Unit(benchmark::kMillisecond);

void BM_ReportsTreeFormsAndPeriods(benchmark::State& state) {
    Workspace& ws = workspace();
    bench::QuietPrompt prompt;
    for (auto _ : state) {
        const auto tree = data::reportsTree(ws.base, prompt);
        if (tree.size() != Forms) state.SkipWithError("tree not built");
        benchmark::DoNotOptimize(tree);
    }
}
BENCHMARK(BM_ReportsTreeFormsAndPeriods)->Unit(benchmark::kMillisecond);

void BM_ReportsTreeWithRegions(benchmark::State& state) {
    Workspace& ws = workspace();
    bench::QuietPrompt prompt;
    for (auto _ : state) {
        const auto tree = data::fullReportsTree(ws.base, prompt);
        if (tree.first().children.first().children.size() != Regions)
            state.SkipWithError("regions not listed");
        benchmark::DoNotOptimize(tree);
    }
}
BENCHMARK(BM_ReportsTreeWithRegions)->Unit(benchmark::kMillisecond);

// One region's sections read and a template of every value of them filled.
void BM_RegionReportAndPage(benchmark::State& state) {
    Workspace& ws = workspace();
    bench::QuietPrompt prompt;
    QString templ = QStringLiteral("<html><body><table>");
    for (int s = 1; s <= Sections; ++s)
        for (int r = 1; r <= 2; ++r)
            for (int c = 1; c <= 4; ++c)
                templ += QStringLiteral("<tr><td>%1\\%2\\%3</td></tr>\r\n").arg(s).arg(r).arg(c);
    templ += QStringLiteral("</table></body></html>");
    const auto folder = data::parseReportFolder(QStringLiteral("DAT_2512.101"));
    for (auto _ : state) {
        const data::RegionReport report =
            data::readRegionReport(ws.base, *folder, QStringLiteral("1100"), prompt);
        if (report.entry != 0) state.SkipWithError("form not catalogued");
        const QString page = data::fillReportTemplate(templ, report);
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(BM_RegionReportAndPage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
