// Speed of the transfer import: one file of 100,000 matrices (10 forms, 1,000 regions, 10
// sections of 6 rows by 4 columns; both header forms, tabs and ";" line ends) loaded in
// "Коррекция", against the floors measured in the same run: the bytes of the transfer file read
// with plain open/read/close, and the same 100,000 section files written with plain
// open/write/close. The same load is run headless (as the command runs it) and through the main
// window (offscreen: the menu entry, the file, "Коррекция", "Загрузить").
//
// Counters: "over_read" and "over_write" are the load's time over the floors; "vs_headless" the
// window's time over the headless load's (the window should stay within 1.2).
#include <benchmark/benchmark.h>

#include "benchsupport.h"
#include "support/benchgui.h"

#include <fcntl.h>
#include <QAction>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <unistd.h>

#include "exchange/transferimport.h"
#include "platform/codec.h"
#include "reference/session.h"
#include "ui/frm_mirel.h"

using namespace mirel;

namespace {

constexpr int Forms = 10;
constexpr int Regions = 1000;
constexpr int Sections = 10;
constexpr int Matrices = Forms * Regions * Sections;
const QDate Today(2005, 7, 1);

void writeText(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QString crlf = text;
    crlf.replace("\n", "\r\n");
    if (!f.open(QIODevice::WriteOnly) || f.write(platform::encode1251(crlf)) < 0) std::abort();
}

// A workspace (in memory when /dev/shm exists, so that the disk's flushes do not hide the
// program's own time) with the forms, the classifier and the transfer file IMPORT/T.TXT; made
// once for all the benchmarks of the run.
struct Setup {
    QTemporaryDir dir{QDir("/dev/shm").exists() ? "/dev/shm/mirel-bench-XXXXXX"
                                                : QDir::tempPath() + "/mirel-bench-XXXXXX"};
    QString file;
    QStringList paths; // the section files the load writes
    QList<QByteArray> contents;
    double readFloor = 0;  // seconds
    double writeFloor = 0; // seconds
    double headless = 0;   // seconds per headless load

    Setup() {
        const QString ws = dir.path();
        writeText(ws + "/MIREL_WIN.INI", "Мирель\n[MIREL_WIN]\n  YYYY= 2005\n  MM= 6\n");
        QString shif = "Код Наименование\n";
        for (int r = 0; r < Regions; ++r)
            shif += QString::number(1401 + r) + " Район " + QString::number(r + 1) + "\n";
        writeText(ws + "/SHIF/shif.txt", shif);
        for (int f = 0; f < Forms; ++f) {
            const QString fff = QString::number(101 + f);
            const QString prefix = ws + "/FORM/2005_01." + fff + "/" + fff + "_0501.";
            writeText(prefix + "TXT", "Форма " + fff + "\nN_PERIOD 12\n");
            writeText(prefix + "1S", "Показатель;1;2;3;4;\n1\n2\n3\n4\n5\n6\n");
        }
        QByteArray text;
        text.reserve(Matrices * 96);
        for (int f = 0; f < Forms; ++f)
            for (int r = 0; r < Regions; ++r)
                for (int s = 1; s <= Sections; ++s) {
                    const QByteArray fff = QByteArray::number(101 + f);
                    const QByteArray cod = QByteArray::number(1401 + r);
                    const QByteArray rr = QByteArray::number(s).rightJustified(2, '0');
                    text +=
                        (s % 2 ? "! 0000 " + fff + " " + rr + " 0506 " + cod
                               : "! 0000 " + fff + " " + QByteArray::number(s) + " 05 6 0" + cod) +
                        "\r\n";
                    QByteArray body;
                    for (int row = 1; row <= 6; ++row) {
                        body += QByteArray::number(row);
                        for (int c = 1; c <= 4; ++c)
                            body += (c == 2 ? "\t" : " ") + QByteArray::number(row * c + r);
                        body += "\r\n";
                    }
                    text += s == 3 ? QByteArray(body).replace("\r\n", ";\r\n") : body;
                    paths << ws + "/DAT/DAT_0506." + fff + "/" + cod + "." + rr;
                    contents << "PR_?\r\n! 0000 " + fff + " " + rr + " 05 06 " + cod + "\r\n" +
                                    body.replace('\t', ' ');
                }
        file = ws + "/IMPORT/T.TXT";
        QDir().mkpath(ws + "/IMPORT");
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size()) std::abort();
    }

    bool start(reference::Session& session, platform::Prompt& prompt) const {
        session.programDir = dir.path();
        return reference::F_Global(session, Today, prompt) == 0;
    }
};

Setup& setup() {
    static Setup s;
    return s;
}

double seconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

// The transfer file's bytes, read with open/read/close.
void BM_ReadFloor(benchmark::State& state) {
    Setup& s = setup();
    const QByteArray local = QFile::encodeName(s.file);
    static char buffer[1 << 16];
    double best = 1e9;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const int fd = ::open(local.constData(), O_RDONLY);
        qint64 total = 0;
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            total += n;
        ::close(fd);
        benchmark::DoNotOptimize(total);
        best = std::min(best, seconds(timer));
    }
    s.readFloor = best;
    state.counters["file_MB"] = double(QFileInfo(s.file).size()) / 1e6;
}
BENCHMARK(BM_ReadFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The section files written with open/write/close (their folders made first, untimed).
void BM_WriteFloor(benchmark::State& state) {
    Setup& s = setup();
    for (const QString& path : s.paths)
        QDir().mkpath(QFileInfo(path).path());
    double best = 1e9;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < s.paths.size(); ++i) {
            const QByteArray local = QFile::encodeName(s.paths.at(i));
            const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const QByteArray& bytes = s.contents.at(i);
            benchmark::DoNotOptimize(::write(fd, bytes.constData(), size_t(bytes.size())));
            ::close(fd);
        }
        best = std::min(best, seconds(timer));
    }
    s.writeFloor = best;
}
BENCHMARK(BM_WriteFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The reader alone: cutting the file into matrices and their headers, nothing written.
void BM_TransferRead100k(benchmark::State& state) {
    Setup& s = setup();
    QFile f(s.file);
    if (!f.open(QIODevice::ReadOnly)) std::abort();
    const QString text = platform::decode1251(f.readAll());
    for (auto _ : state) {
        exchange::TransferReader reader(text);
        exchange::TransferMatrix m;
        int n = 0;
        while (reader.next(m))
            ++n;
        if (n != Matrices) state.SkipWithError("a matrix was not read");
    }
    state.SetItemsProcessed(state.iterations() * Matrices);
}
BENCHMARK(BM_TransferRead100k)->Unit(benchmark::kMillisecond)->UseRealTime();

// The load in "Коррекция" as the command runs it (every section replaced each time).
void BM_TransferLoad100k(benchmark::State& state) {
    Setup& s = setup();
    bench::QuietPrompt prompt;
    reference::Session session;
    if (!s.start(session, prompt)) {
        state.SkipWithError("start-up failed");
        return;
    }
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const exchange::TransferOutcome out =
            exchange::loadTransferFile(session, s.file, exchange::TransferMode::Correction, prompt);
        total += seconds(timer);
        if (out.written != Matrices) state.SkipWithError("a matrix was not written");
    }
    s.headless = total / double(state.iterations());
    if (s.readFloor > 0) state.counters["over_read"] = s.headless / s.readFloor;
    if (s.writeFloor > 0) state.counters["over_write"] = s.headless / s.writeFloor;
    state.SetItemsProcessed(state.iterations() * Matrices);
}
BENCHMARK(BM_TransferLoad100k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same load through the main window: the tree built as it goes, the progress drawn.
void BM_TransferLoad100k_Window(benchmark::State& state) {
    Setup& s = setup();
    bench::QuietPrompt prompt;
    bench::NoBrowser browser;
    ui::Frm_mirel w(s.dir.path(), prompt, browser);
    if (w.load(Today) != 0) {
        state.SkipWithError("start-up failed");
        return;
    }
    w.show();
    QCoreApplication::processEvents();
    const ui::MainControls& c = w.controls();
    double total = 0;
    for (auto _ : state) {
        c.menu_Imp_Dir.at(0)->trigger();
        const QList<QTreeWidgetItem*> file = c.Tree_Pasp->findItems("T.TXT", Qt::MatchExactly);
        if (file.isEmpty()) {
            state.SkipWithError("the file is not listed");
            return;
        }
        c.Tree_Pasp->setCurrentItem(file.first());
        c.Option_Corr->setChecked(true);
        QCoreApplication::processEvents();
        total += bench::timeClick(c.Cmd_Import).drawn;
        if (c.Tree_Pasp->topLevelItemCount() != 1) state.SkipWithError("no load tree");
        c.Cmd_calc->click(); // "Выход"
    }
    const double window = total / double(state.iterations());
    if (s.headless > 0) state.counters["vs_headless"] = window / s.headless;
    if (s.readFloor > 0) state.counters["over_read"] = window / s.readFloor;
    state.SetItemsProcessed(state.iterations() * Matrices);
}
BENCHMARK(BM_TransferLoad100k_Window)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
