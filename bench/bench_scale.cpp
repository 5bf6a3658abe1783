// The headless jobs on generated workspaces of 2,500 and 32,000 regions, each against the time
// to read the files it reads with plain open/read/close, measured in the same run: the query
// layouts, the register of a form and the whole-form control of one region. The workspaces are
// made once and kept under the build folder (MIREL_BENCH_DIR); making the large one takes a few
// minutes and about 3 GB of disk.
//
// Each job reports: real time per run, "floor_ms" (reading its files, measured right after each
// run), "ratio" (job / floor) and "peak_MB" (the largest resident set of a process that runs
// the job alone, the libraries included); "startup_ms" is the part of the time spent starting the
// session (configuration, catalog, classifier); "cpu_ratio" compares the processor time of job and
// floor, which stays meaningful when other work shares the machine.
#include <benchmark/benchmark.h>

#include "benchsupport.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <QDateTime>
#include <QDir>
#include <sys/stat.h>
#include <unistd.h>

#include "control/formcontrol.h"
#include "core/config.h"
#include "data/loadview.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "query/runquery.h"
#include "reference/session.h"

using namespace mirel;

namespace {

const char* const Forms[] = {"101", "102", "103", "104"};
constexpr int Sections = 5;
constexpr int Rows = 30;
constexpr int Columns = 8;
const char* const Periods[] = {"2512", "2412", "2312"}; // YYMM; the first is the current one
constexpr int Pool = 10007;                             // distinct section bodies (prime)

// Every tenth region has not sent sections 4 and 5 of the current period, every fiftieth has
// nothing for December 2023.
bool misses(int k, int period, int section) {
    return (period == 0 && section >= 4 && k % 10 == 9) || (period == 2 && k % 50 == 49);
}

// Which files a region has at all: every section of form 101 for the current period and the
// year before (the control reads both), section 1 otherwise (the queries read only that).
bool generated(int form, int period, int section) {
    return section == 1 || (form == 0 && period < 2);
}

QByteArray code(int k) {
    return QByteArray::number(10000 + k);
}

void put(const std::string& path, const QByteArray& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    ::close(fd);
}

void putText(const QString& path, const QString& text) {
    QDir().mkpath(platform::parentOf(path));
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    put(path.toStdString(), platform::encode1251(crlf));
}

// The 30 data lines of a section; row 1 is the sum of rows 2-5 in four cases out of five, so
// that the rules find some errors.
QByteArray body(int x) {
    std::vector<std::vector<long long>> v(Rows + 1, std::vector<long long>(Columns));
    for (int r = 1; r <= Rows; ++r) {
        const long long base = (x * 7919LL + r * 104729LL) % 99991 + 1;
        for (int c = 1; c <= Columns; ++c)
            v[r][c - 1] = base * c / 3 + (x + r * c) % 17;
    }
    if (x % 5)
        for (int c = 0; c < Columns; ++c)
            v[1][c] = v[2][c] + v[3][c] + v[4][c] + v[5][c];
    QByteArray out;
    for (int r = 1; r <= Rows; ++r) {
        out += QByteArray::number(r);
        for (int c = 0; c < Columns; ++c)
            out += ' ' + QByteArray::number(v[r][c]);
        out += "\r\n";
    }
    return out;
}

QString rules(int section) {
    const QString s = QString::asprintf("%02d", section);
    QString text =
        "1: 101 " + s + " // Текущий период\n2: 101 " + s +
        " -1 // Декабрь прошлого года\n3: 101 01 // Раздел 1\n\n"
        "// Строка 1 равна сумме строк 2-5\nG=1-8\n1\\1\\G=1\\2\\G+1\\3\\G+1\\4\\G+1\\5\\G\n\n"
        "// Строка 6 не меньше суммы строк 7-10\n1\\6\\1>=SUMM_S(7,10,1)\n"
        "1\\6\\2>=SUMM_S(7,10,2)\n\n"
        "// Графа 8 не меньше графы 1\nS=1-30\n1\\S\\8>=1\\S\\1\n\n"
        "/// Не более чем в полтора раза больше, чем год назад\nS=1-30\nG=1-8\n"
        "1\\S\\G<=1.5*2\\S\\G\n";
    if (section > 1) text += "\n// Не больше строки 1 раздела 1\nG=1-8\n1\\1\\G<=3\\1\\G*10\n";
    return text;
}

std::map<QString, QStringList> queries() {
    std::map<QString, QStringList> q;
    QStringList lines;
    int n = 1;
    for (const char* form : Forms)
        for (const char* given : {"", " LAST", " -2"})
            lines << QString::number(n++) + ": " + form + " 1" + given;
    lines << "DAT";
    for (int c = 1; c <= 40; ++c) {
        const int a = (c - 1) % 12 + 1, b = c % 12 + 1, row = c % 30 + 1, col = c % 8 + 1;
        lines << QString::asprintf("%d=(%d\\%d\\%d+%d\\%d\\%d)/%d\\1\\1*100", c, a, row, col, b,
                                   row, col, a);
    }
    lines << "DEC"
          << "1 1"
          << "2 2";
    q["Q_TAB40"] = lines;
    q["Q_RANK"] = QStringList{"1: 101 1",
                              "2: 101 1 LAST",
                              "DAT",
                              "1=1\\1\\1",
                              "2=1\\1\\1/2\\1\\1*100",
                              "3=1\\2\\3-2\\2\\3",
                              "4=0",
                              "5=0",
                              "6=0",
                              "DEC",
                              "2 1",
                              "RANG",
                              "1 4",
                              "IND2",
                              "2 5",
                              "RANG2",
                              "3 6",
                              "SORT -",
                              "2"};
    q["Q_STRRANG"] = QStringList{"1: 101 1",
                                 "2: 101 1 LAST",
                                 "COD",
                                 "10001",
                                 "STR 1",
                                 "1=1\\1\\1",
                                 "2=RANG(1\\1\\1)",
                                 "3=IND(1\\1\\1/2\\1\\1*100)",
                                 "STR 2",
                                 "1=1\\2\\1",
                                 "2=RANG(1\\2\\1+1\\2\\2)",
                                 "3=IND(1\\2\\1-2\\2\\1)",
                                 "STR 3",
                                 "1=S1+S2",
                                 "2=RANG(2\\3\\1)",
                                 "3=IND(1\\3\\8)"};
    for (const auto& [name, layout] :
         {std::pair{"Q_MREG_Y", "MULTY_REG"}, std::pair{"Q_MREG_X", "MULTY_REG X"}})
        q[name] = QStringList{"1: 101 1",
                              "2: 101 1 LAST",
                              "COD",
                              "10001",
                              layout,
                              "STR 1",
                              "1=1\\1\\1",
                              "2=1\\1\\1/2\\1\\1*100",
                              "STR 2",
                              "1=1\\2\\1",
                              "2=1\\2\\1/2\\2\\1*100",
                              "STR 3",
                              "1=S1+S2",
                              "2=1\\3\\8",
                              "DEC",
                              "2 1"};
    q["Q_MX3"] = QStringList{"1: 101 1",
                             "2: 102 1",
                             "MULTY_X3",
                             "DAT",
                             "1=1\\1\\1",
                             "2=2\\1\\1",
                             "3=1\\1\\1/2\\1\\1*100",
                             "DEC",
                             "3 1"};
    return q;
}

void generate(const QString& root, int regions) {
    std::fprintf(stderr, "making a workspace of %d regions in %s\n", regions, qPrintable(root));
    QDir(root).removeRecursively();
    putText(root + "/MIREL_WIN.INI", "Рабочее место - замеры\n[MIREL_WIN]\n YYYY= 2025\n MM= 12\n");
    QString shif = "Код    Наименование\n";
    for (int k = 0; k < regions; ++k)
        shif += QString::fromLatin1(code(k)) + "   Район " + QString::fromLatin1(code(k)) + "\n";
    putText(root + "/SHIF/shif.txt", shif);
    QString structure = "// Раздел\nНаименование показателя;";
    for (int c = 1; c <= Columns; ++c)
        structure += QString::number(c) + ";";
    structure += "\n";
    for (int r = 1; r <= Rows; ++r)
        structure += QString::number(r) + "\n";
    for (const char* form : Forms) {
        const QString d = root + "/FORM/2023_01." + form + "/" + form + "_2301";
        putText(d + ".TXT", QString("Форма ") + form + " для замеров\nN_PERIOD 12\n");
        for (int s = 1; s <= Sections; ++s) {
            putText(d + "." + QString::number(s) + "S", structure);
            if (QByteArray(form) == "101") putText(d + QString::asprintf(".%02d.LOG", s), rules(s));
        }
    }
    for (const auto& [name, lines] : queries())
        putText(root + "/PASP/" + name + ".PSP", lines.join("\n") + "\n");
    std::vector<QByteArray> bodies;
    for (int x = 0; x < Pool; ++x)
        bodies.push_back(body(x));
    for (int f = 0; f < 4; ++f)
        for (int p = 0; p < 3; ++p) {
            const QString dir = root + "/DAT/DAT_" + Periods[p] + "." + Forms[f];
            QDir().mkpath(dir);
            const std::string folder = dir.toStdString() + "/";
            for (int s = 1; s <= Sections; ++s) {
                if (!generated(f, p, s)) continue;
                const QByteArray head =
                    "PR_?\r\n! 0000 " + QByteArray(Forms[f]) + " 0" + QByteArray::number(s) + " " +
                    QByteArray(Periods[p]).left(2) + " " + QByteArray(Periods[p]).mid(2) + " ";
                for (int k = 0; k < regions; ++k) {
                    if (misses(k, p, s)) continue;
                    const unsigned mix = unsigned(k) * 2654435761u ^ unsigned(f * 131 + p * 17 + s);
                    put(folder + code(k).toStdString() + ".0" + std::to_string(s),
                        head + code(k) + "\r\n" + bodies[mix % Pool]);
                }
            }
        }
    putText(root + "/complete", "made\n");
}

// The workspace of a size, made on first use.
QString workspaceOf(int regions) {
    const QString root = QStringLiteral(MIREL_BENCH_DIR) + "/ws" + QString::number(regions);
    if (!QFileInfo::exists(root + "/complete")) generate(root, regions);
    return root;
}

// The data files a job reads (the ones that exist), for the floor.
std::vector<std::string> existingFiles(const QString& root, int regions, const QStringList& forms,
                                       const QList<int>& periods, const QList<int>& sections,
                                       int onlyRegion = -1) {
    std::vector<std::string> out;
    for (int k = 0; k < regions; ++k) {
        if (onlyRegion >= 0 && k != onlyRegion) continue;
        for (const QString& form : forms)
            for (int p : periods)
                for (int s : sections) {
                    const std::string path =
                        (root + "/DAT/DAT_" + Periods[p] + "." + form + "/").toStdString() +
                        code(k).toStdString() + ".0" + std::to_string(s);
                    struct stat st;
                    if (::stat(path.c_str(), &st) == 0) out.push_back(path);
                }
    }
    // Besides the data: the configuration, the classifier and the catalog's files.
    for (const char* name : {"/MIREL_WIN.INI", "/SHIF/shif.txt"})
        out.push_back((root + name).toStdString());
    return out;
}

// Processor time of this thread: on a machine shared with other work it says what the job
// itself cost, where the real time also counts the waits for the processor.
double cpuSeconds() {
    struct timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The floor: every file opened, read whole and closed.
double floorSeconds(const std::vector<std::string>& files, double* cpu = nullptr) {
    static char buffer[1 << 16];
    const double cpuStart = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    long long bytes = 0;
    for (const std::string& path : files) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0) continue;
        ssize_t r;
        while ((r = ::read(fd, buffer, sizeof buffer)) > 0)
            bytes += r;
        ::close(fd);
    }
    benchmark::DoNotOptimize(bytes);
    if (cpu) *cpu += cpuSeconds() - cpuStart;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool startSession(reference::Session& session, const QString& root) {
    bench::QuietPrompt prompt;
    session.programDir = root;
    return reference::F_Global(session, QDate(2025, 12, 20), prompt) == 0;
}

bool runQuery(reference::Session& session, const char* name, int expectedRows) {
    bench::QuietPrompt prompt;
    bench::NoBrowser browser;
    query::RunOptions options;
    query::QueryResult result;
    const int status = query::runQuery(session.programDir + "/PASP/" + name + ".PSP", session,
                                       prompt, browser, options, result, query::HtmlOutput::Never);
    benchmark::DoNotOptimize(result.table.matrix);
    return status == 0 && prompt.messages == 0 &&
           (expectedRows < 0 || result.table.matrix.size() == expectedRows);
}

// The whole-form control of one region, as "mirel control 101 CODE" runs it: region 10001 has
// every section, 10009 lacks sections 4 and 5.
bool controlRegion(reference::Session& s, int k) {
    bench::QuietPrompt prompt;
    bench::NoBrowser browser;
    QString basePeriod;
    int entry = -1;
    if (reference::VVOD_Base_Per("101", s.periodCode(), s.forms, basePeriod, entry, prompt) != 0)
        return false;
    const control::ControlTarget target{
        s.dir(core::DirDAT),         s.dir(core::DirFORM), "101", 1, s.year, s.month,
        QString::fromLatin1(code(k))};
    control::StoredForm form(target.dataKey(), s.forms.at(entry), prompt);
    const control::FormControl run =
        control::controlForm(s.forms, target, form, "bench",
                             QDateTime(QDate(2025, 12, 20), QTime(12, 0)), prompt, browser);
    return run.ran && !run.reportPath.isEmpty();
}

// A job on a workspace of n regions, and the files it reads.
struct Job {
    std::function<bool(reference::Session&)> run;
    std::vector<std::string> files;
};

const QStringList AllForms{"101", "102", "103", "104"};

// files: whether the list of its files is wanted (not when the job runs alone to have its
// memory measured).
Job jobOf(const std::string& name, int n, bool files = true) {
    const QString root = workspaceOf(n);
    const auto filesOf = [&](const QStringList& forms, const QList<int>& periods,
                             const QList<int>& sections, int onlyRegion = -1) {
        return files ? existingFiles(root, n, forms, periods, sections, onlyRegion)
                     : std::vector<std::string>();
    };
    if (name == "q_tab40")
        return {[n](auto& s) { return runQuery(s, "Q_TAB40", n); },
                filesOf(AllForms, {0, 1, 2}, {1})};
    if (name == "q_rank")
        return {[n](auto& s) { return runQuery(s, "Q_RANK", n); }, filesOf({"101"}, {0, 1}, {1})};
    if (name == "q_strrang")
        return {[](auto& s) { return runQuery(s, "Q_STRRANG", 3); }, filesOf({"101"}, {0, 1}, {1})};
    if (name == "q_mreg_y")
        return {[n](auto& s) { return runQuery(s, "Q_MREG_Y", 4 * n); },
                filesOf({"101"}, {0, 1}, {1})};
    if (name == "q_mreg_x")
        return {[](auto& s) { return runQuery(s, "Q_MREG_X", 3); }, filesOf({"101"}, {0, 1}, {1})};
    if (name == "q_mx3")
        return {[n](auto& s) { return runQuery(s, "Q_MX3", n); },
                filesOf({"101", "102"}, {0, 1, 2}, {1})};
    if (name == "register")
        return {[n](auto& s) {
                    bench::QuietPrompt prompt;
                    const auto reg = data::Cmd_Load_DD(s, "101", false, prompt);
                    return reg && reg->rows.size() == n + 1 && prompt.messages == 0;
                },
                filesOf({"101"}, {0}, {1, 2, 3, 4, 5})};
    if (name == "control_full")
        return {[](auto& s) { return controlRegion(s, 1); },
                filesOf({"101"}, {0, 1}, {1, 2, 3, 4, 5}, 1)};
    if (name == "control_gaps")
        return {[](auto& s) { return controlRegion(s, 9); },
                filesOf({"101"}, {0, 1}, {1, 2, 3, 4, 5}, 9)};
    std::fprintf(stderr, "no job %s\n", name.c_str());
    std::exit(2);
}

void useBenchTemp() {
    platform::setTempDirOverride(QStringLiteral(MIREL_BENCH_DIR) + "/tmp");
    QDir().mkpath(platform::tempDir());
}

// The largest resident set of this process so far, as the kernel counts it.
double ownPeakMegabytes() {
    double kb = -1024;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %lf", &kb) == 1) break;
        std::fclose(f);
    }
    return kb / 1024;
}

// The peak memory of a job as a whole process has it: this program run again for the job
// alone, which says its own peak when it ends.
double peakMegabytes(const std::string& name, int n) {
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return -1;
    self[length] = 0;
    const std::string command =
        "'" + std::string(self) + "' --job " + name + " " + std::to_string(n);
    FILE* child = ::popen(command.c_str(), "r");
    if (!child) return -1;
    double peak = -1;
    if (std::fscanf(child, "%lf", &peak) != 1) peak = -1;
    return ::pclose(child) == 0 ? peak : -1;
}

// Runs a job (start-up of the session included) as its benchmark: the floor is read after
// every run, under the same load.
void runJob(benchmark::State& state, const std::string& name) {
    const int n = int(state.range(0));
    const QString root = workspaceOf(n);
    const Job job = jobOf(name, n);
    useBenchTemp();
    {
        // One run first, so that both the job and the floor find the files in memory.
        reference::Session session;
        if (!startSession(session, root) || !job.run(session)) {
            state.SkipWithError("the job failed");
            return;
        }
        floorSeconds(job.files);
    }
    double jobSeconds = 0, startSeconds = 0, floor = 0, jobCpu = 0, floorCpu = 0;
    for (auto _ : state) {
        const double cpuBegin = cpuSeconds();
        const auto begin = std::chrono::steady_clock::now();
        reference::Session session;
        bool ok = startSession(session, root);
        startSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        ok = ok && job.run(session);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        jobCpu += cpuSeconds() - cpuBegin;
        state.SetIterationTime(seconds);
        if (!ok) state.SkipWithError("the job failed");
        jobSeconds += seconds;
        floor += floorSeconds(job.files, &floorCpu);
    }
    state.counters["floor_ms"] = floor * 1000 / double(state.iterations());
    state.counters["startup_ms"] = startSeconds * 1000 / double(state.iterations());
    state.counters["ratio"] = jobSeconds / floor;
    state.counters["cpu_ratio"] = jobCpu / floorCpu;
    state.counters["peak_MB"] = peakMegabytes(name, n);
    state.counters["files"] = double(job.files.size());
    QDir(platform::tempDir()).removeRecursively();
}

#define JOB(Name, job)                                                                             \
    void Name(benchmark::State& state) {                                                           \
        runJob(state, job);                                                                        \
    }                                                                                              \
    BENCHMARK(Name)->Arg(2500)->Arg(32000)->UseManualTime()->Unit(benchmark::kMillisecond)

JOB(BM_RegionTable40Columns, "q_tab40")->Iterations(3);
JOB(BM_RegionTableRanked, "q_rank")->Iterations(3);
JOB(BM_RowTableRankedAmongRegions, "q_strrang")->Iterations(3);
JOB(BM_RowTablePerRegionBelow, "q_mreg_y")->Iterations(3);
JOB(BM_RowTablePerRegionSideBySide, "q_mreg_x")->Iterations(3);
JOB(BM_RegionTableThreeYears, "q_mx3")->Iterations(3);
JOB(BM_RegisterOfAForm, "register")->Iterations(3);
JOB(BM_ControlOfOneRegion, "control_full")->Iterations(20);
JOB(BM_ControlOfOneRegionWithGaps, "control_gaps")->Iterations(20);

} // namespace

// "--job NAME REGIONS" runs one job once (for its peak memory); otherwise the benchmarks run.
int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--job") == 0) {
        const int n = std::atoi(argv[3]);
        const Job job = jobOf(argv[2], n, false);
        useBenchTemp();
        reference::Session session;
        if (!startSession(session, workspaceOf(n)) || !job.run(session)) return 1;
        std::printf("%.1f\n", ownPeakMegabytes());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
