// A region table of 40 columns over 2,500 regions referencing 4 forms in 3 periods, against the
// time to read the referenced data files once with open/read/close.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>
#include <vector>

#include "core/config.h"
#include "data/sectionfile.h"
#include "platform/prompt.h"
#include "query/runquery.h"
#include "reference/session.h"

using namespace mirel;

namespace {

constexpr int Regions = 2500;
const QStringList Forms{"101", "102", "103", "104"};
const QStringList Periods{"2512", "2511", "2412"};

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

// The generated workspace, made once for all benchmarks.
struct Workspace {
    QTemporaryDir dir;
    reference::Session session;
    QString query;
    QStringList files;

    Workspace() {
        session.programDir = dir.path();
        session.dirs = core::emptyDirSet();
        session.dirs[core::DirDAT] = dir.path() + "/DAT";
        session.dirs[core::DirSHIF] = dir.path() + "/SHIF";
        session.dirs[core::DirFORM] = dir.path() + "/FORM";
        session.year = "2025";
        session.month = "12";
        session.cnf = {{"[MIREL_WIN]", {"YYYY= 2025"}}};
        QStringList rows, columns;
        for (int r = 1; r <= 20; ++r)
            rows.append(QString::number(r));
        for (int c = 1; c <= 8; ++c)
            columns.append(QString::number(c));
        for (const QString& form : Forms)
            session.forms.append({form, "202001", {{"1", rows, columns}}});

        QByteArray shif;
        for (int k = 0; k < Regions; ++k) {
            const QByteArray code = QByteArray::number(10000 + k);
            shif += code + " Region " + code + "\r\n";
            for (const QString& form : Forms)
                for (const QString& period : Periods) {
                    QByteArray text = "PR_?\r\n! 0000 " + form.toLatin1() + " 01 " +
                                      period.left(2).toLatin1() + " " + period.mid(2).toLatin1() +
                                      " " + code + "\r\n";
                    for (int r = 1; r <= 20; ++r) {
                        text += QByteArray::number(r);
                        for (int c = 1; c <= 8; ++c)
                            text += ' ' + QByteArray::number((k * 7 + r * 13 + c) % 997 + 1);
                        text += "\r\n";
                    }
                    const QString path =
                        data::sectionFilePath(session.dirs[core::DirDAT], "20" + period.left(2),
                                              period.mid(2), form, QString::fromLatin1(code), 1);
                    writeFile(path, text);
                    files.append(path);
                }
        }
        writeFile(session.dirs[core::DirSHIF] + "/shif.txt", shif);

        // Twelve references (4 forms x 3 periods) and 40 columns over them.
        QString text;
        int n = 1;
        for (const QString& form : Forms)
            for (const QString& given :
                 {QString(), QStringLiteral(" YEAR -1"), QStringLiteral(" -1")})
                text += QString::number(n++) + ": " + form + " 1" + given + "\r\n";
        text += "DAT\r\n";
        for (int c = 1; c <= 40; ++c) {
            const int a = (c - 1) % 12 + 1;
            const int b = c % 12 + 1;
            const QString row = QString::number(c % 20 + 1);
            const QString col = QString::number(c % 8 + 1);
            text += QString::number(c) + "=(" + QString::number(a) + "\\" + row + "\\" + col + "+" +
                    QString::number(b) + "\\" + row + "\\" + col + ")/" + QString::number(a) +
                    "\\1\\1*100\r\n";
        }
        text += "DEC\r\n1 1\r\n2 2\r\n";
        query = dir.path() + "/Q.PSP";
        writeFile(query, text.toLatin1());
    }
};

Workspace& workspace() {
    static Workspace ws;
    return ws;
}

void BM_RegionTable(benchmark::State& state) {
    Workspace& ws = workspace();
    bench::QuietPrompt prompt;
    bench::NoBrowser browser;
    query::RunOptions options;
    for (auto _ : state) {
        query::QueryResult result;
        const int status = query::runQuery(ws.query, ws.session, prompt, browser, options, result,
                                           query::HtmlOutput::Never);
        if (status != 0 || result.table.matrix.size() != Regions || prompt.messages > 0)
            state.SkipWithError("the query failed");
        benchmark::DoNotOptimize(result.table.matrix);
    }
    state.counters["cells"] = double(Regions) * 40;
}
BENCHMARK(BM_RegionTable)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor: the same files opened, read and closed with the plain system calls.
void BM_ReadReferencedFilesOnce(benchmark::State& state) {
    Workspace& ws = workspace();
    std::vector<QByteArray> paths;
    for (const QString& path : ws.files)
        paths.push_back(QFile::encodeName(path));
    static char buffer[1 << 16];
    for (auto _ : state) {
        qint64 size = 0;
        for (const QByteArray& path : paths) {
            const int fd = ::open(path.constData(), O_RDONLY);
            if (fd < 0) continue;
            ssize_t r;
            while ((r = ::read(fd, buffer, sizeof buffer)) > 0)
                size += r;
            ::close(fd);
        }
        benchmark::DoNotOptimize(size);
    }
    state.counters["files"] = double(ws.files.size());
}
BENCHMARK(BM_ReadReferencedFilesOnce)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
