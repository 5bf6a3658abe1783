// Speed of the entry window: opening a form of 20 sections of 200 rows x 20 columns and
// switching through all its tabs (each switch compares the section left with its file and
// loads the next one into the grid), against the floor of reading the same 20 files with plain
// open/read/close.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <fcntl.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>
#include <unistd.h>

#include "control/formcontrol.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/mail.h"
#include "reference/session.h"
#include "ui/form_vv.h"

using namespace mirel;

namespace {

constexpr int Sections = 20;
constexpr int Rows = 200;
constexpr int Columns = 20;

void writeFile(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(platform::encode1251(text));
}

// A workspace with form 777 (20 sections, due every month) and region 1101's data for
// December 2025 in all of them.
struct Workspace {
    QTemporaryDir dir;
    reference::Session session;
    bench::QuietPrompt prompt;

    Workspace() {
        const QString root = dir.path();
        writeFile(root + "/MIREL_WIN.INI", "Мирель\r\n[MIREL_WIN]\r\n  YYYY= 2025\r\n  MM= 12\r\n");
        writeFile(root + "/SHIF/shif.txt", "1101 Район\r\n");
        const QString form = root + "/FORM/2024_01.777/777_2401";
        writeFile(form + ".TXT", "Большая форма\r\nN_PERIOD 12\r\n");
        QString structure = "Показатель;";
        for (int c = 1; c <= Columns; ++c)
            structure += QString::number(c) + ';';
        structure += "\r\n";
        for (int r = 1; r <= Rows; ++r)
            structure += QString("%1 Строка %1\r\n").arg(r, 3, 10, QChar('0'));
        for (int s = 1; s <= Sections; ++s) {
            writeFile(form + '.' + QString::number(s) + 'S', structure);
            writeFile(form + QString(".%1.LOG").arg(s, 2, 10, QChar('0')),
                      "// Не меньше нуля\r\nS=1-" + QString::number(Rows) + "\r\nG=1-" +
                          QString::number(Columns) + "\r\n1\\S\\G>=0\r\n");
            QString data =
                "PR_?\r\n! 0000 777 " + QString("%1").arg(s, 2, 10, QChar('0')) + " 25 12 1101\r\n";
            for (int r = 1; r <= Rows; ++r) {
                data += QString("%1").arg(r, 3, 10, QChar('0'));
                for (int c = 1; c <= Columns; ++c)
                    data += ' ' + QString::number(r * 100 + c * 7 + s);
                data += "\r\n";
            }
            writeFile(root + QString("/DAT/DAT_2512.777/1101.%1").arg(s, 2, 10, QChar('0')), data);
        }
        session.programDir = root;
        reference::F_Global(session, QDate(2026, 1, 15), prompt);
        QDir().mkpath(root + "/TMP");
        platform::setTempDirOverride(root + "/TMP");
    }
    QString caption() const { return "1101 - Район. 777 - Большая форма"; }
};

Workspace& workspace() {
    static Workspace w;
    return w;
}

void BM_ReadTheFormsFilesFloor(benchmark::State& state) {
    Workspace& w = workspace();
    QList<QByteArray> paths;
    for (int s = 1; s <= Sections; ++s)
        paths.append(QFile::encodeName(
            w.dir.path() + QString("/DAT/DAT_2512.777/1101.%1").arg(s, 2, 10, QChar('0'))));
    char buffer[1 << 16];
    for (auto _ : state) {
        qint64 total = 0;
        for (const QByteArray& p : paths) {
            const int fd = ::open(p.constData(), O_RDONLY);
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                total += n;
            ::close(fd);
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ReadTheFormsFilesFloor)->Unit(benchmark::kMillisecond);

// The window built, the form's tabs captioned from its files and section 1 loaded.
void BM_OpenForm(benchmark::State& state) {
    Workspace& w = workspace();
    bench::NoBrowser browser;
    platform::XdgEmail mailer;
    for (auto _ : state) {
        ui::Form_VV form(w.session, w.caption(), w.prompt, browser, mailer);
        if (!form.load()) state.SkipWithError("the form did not open");
        benchmark::DoNotOptimize(form.grid().cell(Rows, Columns));
    }
}
BENCHMARK(BM_OpenForm)->Unit(benchmark::kMillisecond);

// One pass over all 20 tabs of an open, shown window; the time per tab is the counter.
void BM_SwitchAllTabs(benchmark::State& state) {
    Workspace& w = workspace();
    bench::NoBrowser browser;
    platform::XdgEmail mailer;
    ui::Form_VV form(w.session, w.caption(), w.prompt, browser, mailer);
    form.load();
    form.show();
    QApplication::processEvents();
    QElapsedTimer clock;
    qint64 ns = 0;
    for (auto _ : state) {
        clock.start();
        for (int s = 2; s <= Sections; ++s) {
            form.controls().Tab_VV->setCurrentIndex(s - 1);
            QApplication::processEvents(); // the grid painted
        }
        form.controls().Tab_VV->setCurrentIndex(0);
        QApplication::processEvents();
        ns += clock.nsecsElapsed();
    }
    state.counters["ms_per_tab"] = double(ns) / 1e6 / (double(state.iterations()) * Sections);
    if (w.prompt.messages != 0) state.SkipWithError("messages were shown");
    form.hide();
}
BENCHMARK(BM_SwitchAllTabs)->Unit(benchmark::kMillisecond);

// The control of the whole form as the command runs it (the stored files) and as the window
// runs it (each section shown in its tab); both write the marks and the page.
void BM_ControlFormCommand(benchmark::State& state) {
    Workspace& w = workspace();
    bench::NoBrowser browser;
    const control::ControlTarget target{
        w.session.dir(core::DirDAT), w.session.dir(core::DirFORM), "777", 1, "2025", "12", "1101"};
    const int entry = reference::applicableEntry(w.session.forms, "777", "202512");
    for (auto _ : state) {
        control::StoredForm stored(target.dataKey(), w.session.forms.at(entry), w.prompt);
        const control::FormControl run =
            control::controlForm(w.session.forms, target, stored, w.caption(),
                                 QDateTime::currentDateTime(), w.prompt, browser);
        if (run.reportPath.isEmpty()) state.SkipWithError("no page");
    }
}
BENCHMARK(BM_ControlFormCommand)->Unit(benchmark::kMillisecond);

void BM_ControlFormWindow(benchmark::State& state) {
    Workspace& w = workspace();
    bench::NoBrowser browser;
    platform::XdgEmail mailer;
    ui::Form_VV form(w.session, w.caption(), w.prompt, browser, mailer);
    form.load();
    form.show();
    QApplication::processEvents();
    for (auto _ : state)
        form.menu_LogFFF_Click();
    form.hide();
}
BENCHMARK(BM_ControlFormWindow)->Unit(benchmark::kMillisecond);

} // namespace
