// Speed of the Excel import: 100 workbooks of 3 worksheets, 200 referenced cells each,
// converted with logical control (sections written, marks set, log kept, workbooks archived),
// against the floor of FreeXL alone opening the same workbooks and reading the same cells; and
// the same conversion through the main window (offscreen: "Загрузка файлов Excel", the form's
// node, "Логический контроль", "Загрузить") against the conversion as the command runs it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "benchsupport.h"
#include "support/benchgui.h"

#include <fcntl.h>
#include <freexl.h>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exchange/excelconvert.h"
#include "exchange/excelnames.h"
#include "platform/codec.h"
#include "reference/session.h"
#include "ui/frm_mirel.h"

using namespace mirel;

namespace {

constexpr int Workbooks = 100;
constexpr int Sheets = 3;
constexpr int Rows = 20;
constexpr int Columns = 10;

void writeText(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QString crlf = text;
    crlf.replace("\n", "\r\n");
    f.write(platform::encode1251(crlf));
}

// A workspace with form 101 of three sections of Rows x Columns, rules for each, the
// settings of three worksheets and Workbooks regions.
struct Setup {
    QTemporaryDir dir{bench::benchFolder() + "/mirel-bench-XXXXXX"};
    reference::Session session;
    QString folder;
    QByteArray workbook;
    QStringList paths;

    Setup() {
        const QString ws = dir.path();
        writeText(ws + "/MIREL_WIN.INI", "Мирель\n[MIREL_WIN]\n  YYYY= 2005\n  MM= 6\n");
        QString shif = "Код Наименование\n";
        for (int r = 0; r < Workbooks; ++r)
            shif += QString::number(1401 + r) + " Район " + QString::number(r + 1) + "\n";
        writeText(ws + "/SHIF/shif.txt", shif);
        writeText(ws + "/FORM/2005_01.101/101_0501.TXT", "Форма 101\nN_PERIOD 12\n");
        for (int s = 1; s <= Sheets; ++s) {
            QString structure = "Показатель";
            for (int c = 1; c <= Columns; ++c)
                structure += ";" + QString::number(c);
            structure += ";\n";
            QString settings;
            for (int r = 1; r <= Rows; ++r) {
                structure += QString::number(r) + "\n";
                for (int c = 0; c < Columns; ++c)
                    settings += QString(QChar('C' + c)) + QString::number(4 + r) + "  ";
                settings += "\n";
            }
            const QString prefix = ws + "/FORM/2005_01.101/101_";
            writeText(prefix + "0501." + QString::number(s) + "S", structure);
            writeText(prefix + "CNV." + QString::number(s), settings);
            writeText(prefix + "0501.0" + QString::number(s) + ".LOG",
                      "// Итог не меньше строк\nG=1-" + QString::number(Columns) +
                          "\n1\\20\\G>=1\\1\\G\n\n// Первая графа\nS=1-" + QString::number(Rows) +
                          "\n1\\S\\1>0\n");
        }
        session.programDir = ws;
        bench::QuietPrompt prompt;
        reference::F_Global(session, QDate(2005, 7, 1), prompt);
        folder = exchange::importFolder(session);
        QDir().mkpath(folder);
        QFile source(QStringLiteral(MIREL_BENCH_DATA "/bench.xls"));
        source.open(QIODevice::ReadOnly);
        workbook = source.readAll();
        for (int r = 0; r < Workbooks; ++r)
            paths << folder + "/" + QString::number(1401 + r) + "_101_0506.xls";
    }

    // The workbooks back in the folder, the archive and the data gone.
    void refill() {
        QDir(folder + "/АРХИВ").removeRecursively();
        QDir(session.dir(core::DirDAT)).removeRecursively();
        QDir().mkpath(session.dir(core::DirDAT));
        for (const QString& path : paths) {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(workbook);
        }
    }
};

// The processor time of the whole process, both threads.
double processSeconds(double* system = nullptr) {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    if (system) *system = double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// FreeXL alone: open each workbook, read the same cells, close.
double floorSeconds(const QStringList& paths) {
    QElapsedTimer timer;
    timer.start();
    double sum = 0;
    for (const QString& path : paths) {
        const void* handle = nullptr;
        if (freexl_open(path.toLocal8Bit().constData(), &handle) != FREEXL_OK) continue;
        for (int s = 0; s < Sheets; ++s) {
            freexl_select_active_worksheet(handle, quint16(s));
            for (int r = 0; r < Rows; ++r)
                for (int c = 0; c < Columns; ++c) {
                    FreeXL_CellValue v;
                    if (freexl_get_cell_value(handle, quint32(4 + r), quint16(2 + c), &v) ==
                            FREEXL_OK &&
                        v.type == FREEXL_CELL_DOUBLE)
                        sum += v.value.double_value;
                }
        }
        freexl_close(handle);
    }
    benchmark::DoNotOptimize(sum);
    return timer.nsecsElapsed() / 1e9;
}

// What the conversion must write, done with plain system calls: for each workbook three new
// section files of the same size, each written, synced and linked into the data folder, and
// the workbook renamed into the archive.
double filesFloorSeconds(Setup& s) {
    s.refill();
    const QString dat = s.session.dir(core::DirDAT) + "/DAT_0506.101";
    const QString archive = s.folder + "/АРХИВ/2005_06/101";
    QDir().mkpath(dat);
    QDir().mkpath(archive);
    const QByteArray bytes(1414, '1');
    const QByteArray datBytes = QFile::encodeName(dat);
    QElapsedTimer timer;
    timer.start();
    for (int w = 0; w < Workbooks; ++w) {
        for (int section = 1; section <= Sheets; ++section) {
            const QByteArray name =
                datBytes + "/" + QByteArray::number(1401 + w) + ".0" + QByteArray::number(section);
            struct stat st;
            (void)::lstat(name.constData(), &st);
            const int fd = ::open(datBytes.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            if (fd < 0) return 0;
            const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() &&
                            ::fsync(fd) == 0 &&
                            ::linkat(fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH) == 0;
            ::close(fd);
            if (!ok) return 0;
        }
        const QString target = archive + "/" + QFileInfo(s.paths.at(w)).fileName();
        if (::renameat2(AT_FDCWD, QFile::encodeName(s.paths.at(w)).constData(), AT_FDCWD,
                        QFile::encodeName(target).constData(), RENAME_NOREPLACE) != 0)
            return 0;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    s.refill();
    return seconds;
}

void BM_FreeXLFloor(benchmark::State& state) {
    Setup s;
    s.refill();
    for (auto _ : state)
        floorSeconds(s.paths);
    state.SetItemsProcessed(state.iterations() * Workbooks);
}
BENCHMARK(BM_FreeXLFloor)->Unit(benchmark::kMillisecond);

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The whole-form conversion with control. Before each conversion the floor is taken once more
// on the same workbooks, so that both see the machine alike: "ratio" is the median time of the
// conversion over the median of the floor, "ratio_best" the best over the best.
void BM_ConvertWithControl(benchmark::State& state) {
    Setup s;
    s.refill();
    double files = 1e9;
    for (int i = 0; i < 5; ++i)
        files = std::min(files, filesFloorSeconds(s));
    std::vector<double> times;
    std::vector<double> floors;
    double processor = 0;
    double system = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.refill();
        floors.push_back(floorSeconds(s.paths));
        bench::QuietPrompt prompt;
        bench::NoBrowser browser;
        const exchange::ImportJob job{s.session, "2005", "6", true};
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        double systemBefore = 0;
        const double before = processSeconds(&systemBefore);
        const exchange::FormOutcome out =
            exchange::Cnv_XLS_All(job, "101", s.paths, prompt, browser);
        times.push_back(timer.nsecsElapsed() / 1e9);
        double systemAfter = 0;
        processor += processSeconds(&systemAfter) - before;
        system += systemAfter - systemBefore;
        if (out.workbooks.size() != Workbooks || !out.workbooks.last().archived)
            state.SkipWithError("a workbook was not converted");
    }
    const double floor = median(floors);
    const double time = median(times);
    state.counters["floor_ms"] = floor * 1000;
    state.counters["median_ms"] = time * 1000;
    // Both threads' processor time: how much of the run the two cores share.
    state.counters["cpu_ms"] = processor / double(state.iterations()) * 1000;
    // Of that, the time spent in the kernel (the files, mostly).
    state.counters["system_ms"] = system / double(state.iterations()) * 1000;
    state.counters["ratio"] = time / floor;
    state.counters["ratio_best"] = *std::min_element(times.begin(), times.end()) /
                                   *std::min_element(floors.begin(), floors.end());
    // The writes are part of the job but not of the floor: with them, on two cores the job
    // cannot take less than the larger of the two.
    state.counters["files_floor_ms"] = files * 1000;
    state.counters["ratio_to_both"] = time / std::max(floor, files);
    state.SetItemsProcessed(state.iterations() * Workbooks);
}
BENCHMARK(BM_ConvertWithControl)->Unit(benchmark::kMillisecond);

// The form's conversion started from the main window, timed from the click on "Загрузить" until
// the window has drawn what it shows after it. Each iteration also converts the same refilled
// workbooks as the command does, in this process ("vs_headless": the window's median over that
// one's; "run_vs_headless" leaves out the window's drawing at the end, "drawing_ms") and as a
// `mirel import-excel 101 --control` process, its start-up and printed tree included
// ("vs_command": the window should stay within 1.2 of it).
void BM_ConvertWithControl_Window(benchmark::State& state) {
    Setup s;
    s.refill();
    bench::QuietPrompt prompt;
    bench::NoBrowser browser;
    ui::Frm_mirel w(s.dir.path(), prompt, browser);
    if (w.load(QDate(2005, 7, 1)) != 0) {
        state.SkipWithError("start-up failed");
        return;
    }
    w.show();
    QCoreApplication::processEvents();
    const ui::MainControls& c = w.controls();
    const QStringList command{"import-excel", "101", "--control", "--workspace", s.dir.path()};
    std::vector<double> window;
    std::vector<double> drawing;
    std::vector<double> headless;
    std::vector<double> commands;
    for (auto _ : state) {
        s.refill();
        {
            bench::QuietPrompt quiet;
            const exchange::ImportJob job{s.session, "2005", "6", true};
            QElapsedTimer timer;
            timer.start();
            const exchange::FormOutcome out =
                exchange::Cnv_XLS_All(job, "101", s.paths, quiet, browser);
            headless.push_back(timer.nsecsElapsed() / 1e9);
            if (out.workbooks.size() != Workbooks || !out.workbooks.last().archived) {
                state.SkipWithError("a workbook was not converted headless");
                return;
            }
        }
        s.refill();
        commands.push_back(bench::runProgram(MIREL_BIN, command));
        if (commands.back() < 0 || QFileInfo::exists(s.paths.last())) {
            state.SkipWithError("the command did not convert the workbooks");
            return;
        }
        s.refill();
        c.menu_XLS->trigger();
        const QList<QTreeWidgetItem*> form = c.Tree_Pasp->findItems("101", Qt::MatchExactly);
        if (form.isEmpty()) {
            state.SkipWithError("the form is not listed");
            return;
        }
        c.Tree_Pasp->setCurrentItem(form.first());
        c.Option_Log->setChecked(true);
        QCoreApplication::processEvents();
        const bench::ClickTimes times = bench::timeClick(c.Cmd_Import);
        state.SetIterationTime(times.drawn);
        window.push_back(times.drawn);
        drawing.push_back(times.drawn - times.done);
        if (QFileInfo::exists(s.paths.last())) {
            state.SkipWithError("a workbook was not converted in the window");
            return;
        }
        c.Cmd_calc->click(); // "Выход"
    }
    const double windowMedian = median(window);
    state.counters["median_ms"] = windowMedian * 1000;
    state.counters["drawing_ms"] = median(drawing) * 1000;
    state.counters["headless_ms"] = median(headless) * 1000;
    state.counters["command_ms"] = median(commands) * 1000;
    state.counters["vs_headless"] = windowMedian / median(headless);
    state.counters["run_vs_headless"] = (windowMedian - median(drawing)) / median(headless);
    state.counters["vs_command"] = windowMedian / median(commands);
    state.SetItemsProcessed(state.iterations() * Workbooks);
}
BENCHMARK(BM_ConvertWithControl_Window)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
