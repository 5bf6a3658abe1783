// Speed of the reference data and section data files: loading a large form catalog, reading
// many section data files, filling the register of a large classifier.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "data/loadview.h"
#include "data/sectionfile.h"
#include "platform/codec.h"
#include "platform/prompt.h"
#include "reference/catalog.h"
#include "reference/session.h"

using namespace mirel;

namespace {

void writeFile(const QString& path, const QString& text) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(platform::encode1251(text));
}

constexpr int Rows = 30;
constexpr int Columns = 8;
constexpr int Sections = 10;

QString structureText() {
    QString t = QStringLiteral("// Раздел\nНаименование показателя;");
    for (int c = 1; c <= Columns; ++c)
        t += QString::number(c) + QLatin1Char(';');
    for (int r = 1; r <= Rows; ++r)
        t += QStringLiteral("\n%1 Показатель номер %1").arg(r, 2, 10, QLatin1Char('0'));
    return t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QString sectionText(int seed) {
    QString t = QStringLiteral("PR_?\r\n! 0000 101 01 25 12 1000\r\n");
    for (int r = 1; r <= Rows; ++r) {
        t += QString::number(r);
        for (int c = 1; c <= Columns; ++c)
            t += QLatin1Char(' ') + QString::number((seed * 31 + r * 7 + c * 13) % 100000);
        t += QStringLiteral("\r\n");
    }
    return t;
}

// A workspace with 300 form versions of 10 sections (100 forms, three base periods each), a
// classifier of 2,500 regions and the section data files of form 101 for December 2025: every
// region but every tenth has all ten sections.
struct Workspace {
    QTemporaryDir dir;
    QStringList dataFiles;

    Workspace() {
        const QString form = dir.path() + QStringLiteral("/FORM");
        const QString structure = structureText();
        for (int f = 0; f < 100; ++f) {
            const QString code = QString::number(101 + f);
            for (const char* base : {"2023_01", "2024_01", "2025_01"}) {
                const QString folder =
                    form + QLatin1Char('/') + QLatin1String(base) + QLatin1Char('.') + code;
                QDir().mkpath(folder);
                const QString prefix = folder + QLatin1Char('/') + code + QLatin1Char('_') +
                                       QString::fromLatin1(base).mid(2, 2) +
                                       QString::fromLatin1(base).mid(5, 2) + QLatin1Char('.');
                writeFile(prefix + QStringLiteral("TXT"), QStringLiteral("Форма\r\nN_PERIOD 12"));
                for (int s = 1; s <= Sections; ++s)
                    writeFile(prefix + QString::number(s) + QLatin1Char('S'), structure);
            }
        }
        QString shif = QStringLiteral("Код Наименование\r\n");
        for (int r = 0; r < 2500; ++r)
            shif += QStringLiteral("%1 Район %1\r\n").arg(10000 + r);
        QDir().mkpath(dir.path() + QStringLiteral("/SHIF"));
        writeFile(dir.path() + QStringLiteral("/SHIF/shif.txt"), shif);
        const QString dat = dir.path() + QStringLiteral("/DAT/DAT_2512.101");
        QDir().mkpath(dat);
        for (int r = 0; r < 2500; ++r) {
            if (r % 10 == 9) continue;
            for (int s = 1; s <= Sections; ++s) {
                const QString path =
                    dat + QStringLiteral("/%1.%2").arg(10000 + r).arg(s, 2, 10, QLatin1Char('0'));
                writeFile(path, sectionText(r * Sections + s));
                dataFiles.append(path);
            }
        }
        writeFile(dir.path() + QStringLiteral("/MIREL_WIN.INI"),
                  QStringLiteral("t\r\n[MIREL_WIN]\r\nYYYY= 2025\r\nMM= 12\r\n"));
    }
};

Workspace& workspace() {
    static Workspace ws;
    return ws;
}

void BM_LoadCatalog300Versions(benchmark::State& state) {
    Workspace& ws = workspace();
    bench::QuietPrompt prompt;
    for (auto _ : state) {
        reference::FormCatalog catalog;
        reference::Load_Form_Catalog(ws.dir.path() + QStringLiteral("/FORM"), catalog, prompt);
        if (catalog.size() != 300) state.SkipWithError("catalog not loaded");
        benchmark::DoNotOptimize(catalog);
    }
}
BENCHMARK(BM_LoadCatalog300Versions)->Unit(benchmark::kMillisecond);

void BM_Read10000SectionFiles(benchmark::State& state) {
    Workspace& ws = workspace();
    bench::QuietPrompt prompt;
    const QStringList files = ws.dataFiles.mid(0, 10000);
    for (auto _ : state) {
        int read = 0;
        for (const QString& path : files) {
            data::SectionMatrix m;
            read += data::A_DD_Read(path, m, prompt) && m.rows == Rows && m.columns == Columns;
        }
        if (read != 10000) state.SkipWithError("files not read");
    }
}
BENCHMARK(BM_Read10000SectionFiles)->Unit(benchmark::kMillisecond);

void BM_Register2500RegionsBy10Sections(benchmark::State& state) {
    Workspace& ws = workspace();
    bench::QuietPrompt prompt;
    reference::Session session;
    session.programDir = ws.dir.path();
    if (reference::F_Global(session, QDate(2026, 1, 15), prompt) != 0) {
        state.SkipWithError("start-up failed");
        return;
    }
    for (auto _ : state) {
        const auto reg = data::Cmd_Load_DD(session, QStringLiteral("101"), false, prompt);
        if (!reg || reg->rows.size() != 2501) state.SkipWithError("register not filled");
        benchmark::DoNotOptimize(reg);
    }
}
BENCHMARK(BM_Register2500RegionsBy10Sections)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
