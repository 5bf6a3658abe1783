// Speed of the transfer import: one file of 100,000 matrices (10 forms, 1,000 regions, 10
// sections of 6 rows by 4 columns; both header forms, tabs and ";" line ends) loaded in
// "Коррекция", against the floors measured in the same run: the bytes of the transfer file
// read with plain open/read/close, and the same 100,000 section files written with plain
// open/write/close.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <fcntl.h>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

#include "exchange/transferimport.h"
#include "platform/codec.h"
#include "reference/session.h"

using namespace mirel;

namespace {

constexpr int Forms = 10;
constexpr int Regions = 1000;
constexpr int Sections = 10;
constexpr int Matrices = Forms * Regions * Sections;

void writeText(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QString crlf = text;
    crlf.replace("\n", "\r\n");
    f.write(platform::encode1251(crlf));
}

// A workspace (in memory when /dev/shm exists, so that the disk's flushes do not hide the
// program's own time) with the forms, the classifier and the transfer file.
struct Setup {
    QTemporaryDir dir{QDir("/dev/shm").exists() ? "/dev/shm/mirel-bench-XXXXXX"
                                                : QDir::tempPath() + "/mirel-bench-XXXXXX"};
    reference::Session session;
    QString file;
    QStringList paths; // the section files the load writes
    QList<QByteArray> contents;

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
        out.open(QIODevice::WriteOnly);
        out.write(text);
        out.close();
        session.programDir = ws;
        bench::QuietPrompt prompt;
        reference::F_Global(session, QDate(2005, 7, 1), prompt);
    }
};

// The transfer file's bytes, read with open/read/close.
double readFloor(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    const QByteArray local = QFile::encodeName(path);
    const int fd = ::open(local.constData(), O_RDONLY);
    static char buffer[1 << 16];
    qint64 total = 0;
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        total += n;
    ::close(fd);
    benchmark::DoNotOptimize(total);
    return timer.nsecsElapsed() / 1e9;
}

// The section files written with open/write/close (their folders made first, untimed).
double writeFloor(const Setup& s) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < s.paths.size(); ++i) {
        const QByteArray local = QFile::encodeName(s.paths.at(i));
        const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const QByteArray& bytes = s.contents.at(i);
        benchmark::DoNotOptimize(::write(fd, bytes.constData(), size_t(bytes.size())));
        ::close(fd);
    }
    return timer.nsecsElapsed() / 1e9;
}

// The load in "Коррекция" (every section written each time); the counters give the floors and
// the load's time over the read floor and over the write floor.
void BM_TransferLoad100k(benchmark::State& state) {
    Setup s;
    bench::QuietPrompt prompt;
    // One load first, so that every run replaces files as a correction does.
    exchange::loadTransferFile(s.session, s.file, exchange::TransferMode::Correction, prompt);
    double readMin = 1e9;
    double writeMin = 1e9;
    for (int i = 0; i < 3; ++i) {
        readMin = std::min(readMin, readFloor(s.file));
        writeMin = std::min(writeMin, writeFloor(s));
    }
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const exchange::TransferOutcome out = exchange::loadTransferFile(
            s.session, s.file, exchange::TransferMode::Correction, prompt);
        total += timer.nsecsElapsed() / 1e9;
        if (out.written != Matrices) state.SkipWithError("a matrix was not written");
    }
    const double load = total / double(state.iterations());
    state.counters["file_MB"] = QFileInfo(s.file).size() / 1e6;
    state.counters["read_floor_ms"] = readMin * 1000;
    state.counters["write_floor_ms"] = writeMin * 1000;
    state.counters["over_read"] = load / readMin;
    state.counters["over_write"] = load / writeMin;
    state.SetItemsProcessed(state.iterations() * Matrices);
}
BENCHMARK(BM_TransferLoad100k)->Unit(benchmark::kMillisecond)->Iterations(2);

// The reader alone: cutting the file into matrices and their headers, nothing written.
void BM_TransferRead100k(benchmark::State& state) {
    Setup s;
    QFile f(s.file);
    f.open(QIODevice::ReadOnly);
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
BENCHMARK(BM_TransferRead100k)->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();
