#include "core/config.h"

#include "core/files.h"
#include "core/lists.h"
#include "core/text.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

#include <QDir>
#include <QFileInfo>

namespace mirel::core {
namespace {

const QString MirelWin = QStringLiteral("[MIREL_WIN]");

bool isHeader(const QString& line) {
    return line.startsWith(QLatin1Char('['));
}

void showDirError(platform::Prompt& prompt, const QString& dir, const platform::FsError& e) {
    prompt.message(dir + CRLF + QStringLiteral("ERROR N=") + QString::number(e.number) + CRLF +
                   e.description);
}

// A directory text from the configuration as a native path; relative texts are taken
// beside the program, never against the current directory.
QString configuredDir(const QString& text, const QString& programDir) {
    const QString native = platform::nativePath(text);
    if (platform::hasDrivePrefix(native)) return native;
    if (native.isEmpty() || QDir::isAbsolutePath(native)) return platform::resolvePath(native);
    return platform::resolvePath(programDir + QLatin1Char('/') + native);
}

} // namespace

QString importMenuDir(const QString& caption, const QString& programDir) {
    QString folder = caption;
    if (folder.contains(QLatin1String("->"))) Cut_Before(folder, QStringLiteral("->"));
    return configuredDir(Trim(folder), programDir);
}

IniSections Read_Ini_Sections(const QString& path, platform::Prompt& prompt) {
    const QStringList lines = Read_Lines_Upper(path, false, prompt);
    // Folder names of a configuration saved as UTF-8 would turn into other letters and the
    // folders be created under those names: say so before anything is created.
    const auto bytes = platform::readFileBytes(path);
    if (bytes && platform::looksLikeUtf8(*bytes))
        prompt.message(QStringLiteral("Файл MIREL_WIN.INI записан в кодировке UTF-8: русские "
                                      "буквы в нем читаются неверно. Сохраните его в кодировке "
                                      "Windows-1251 !!!"),
                       platform::Icon::Warning, path);
    IniSections result;
    // A text file holds no NUL character: a binary file, or one saved as UTF-16, is no
    // configuration at all rather than sections of garbage.
    for (const QString& line : lines)
        if (line.contains(QChar(0))) return result;
    QString header;
    qsizetype i = 0;
    const qsizetype n = lines.size();
    while (i < n) {
        if (isHeader(lines.at(i))) header = lines.at(i);
        if (i == n - 1) break;
        IniSection section{header, {}};
        qsizetype j = i + 1;
        while (j < n && !isHeader(lines.at(j)))
            section.lines.append(lines.at(j++));
        if (section.lines.isEmpty()) section.lines = emptyList();
        result.append(section);
        i = j;
    }
    return result;
}

QString Ini_Line(const IniSections& cnf, const QString& key) {
    for (const IniSection& s : cnf) {
        if (s.header != MirelWin) continue;
        const int pos = Find_Prefix(s.lines, key);
        if (pos > 0) return s.lines.at(pos - 1);
    }
    return QString();
}

bool hasIniEntry(const IniSections& cnf, const QString& entry) {
    for (const IniSection& s : cnf)
        if (s.header == MirelWin && s.lines.contains(entry)) return true;
    return false;
}

const IniSection* preamble(const IniSections& cnf) {
    if (!cnf.isEmpty() && cnf.first().header.isEmpty()) return &cnf.first();
    return nullptr;
}

int Ini_Dir(const IniSections& cnf, const QString& name, QString& dir, const QString& programDir,
            platform::Prompt& prompt) {
    const QString header = QStringLiteral("[DIR_") + name + QLatin1Char(']');
    QString line;
    bool found = false;
    for (const IniSection& s : cnf) {
        if (s.header == header && !s.lines.isEmpty()) {
            line = s.lines.first();
            found = true;
        }
    }
    platform::FsError error;
    if (!found || line.isEmpty()) {
        if (name == QLatin1String("ARM")) {
            dir = programDir;
            return 0;
        }
        dir = platform::resolvePath(programDir + QLatin1Char('/') + name);
        if (!platform::dirExists(dir) && !platform::makeDir(dir, &error)) {
            showDirError(prompt, dir, error);
            return -1;
        }
        return 0;
    }
    const QString candidate = configuredDir(line, programDir);
    if (!platform::hasDrivePrefix(candidate) && platform::dirExists(candidate)) {
        dir = candidate;
        return 0;
    }
    if (name == QLatin1String("IMPORT") && line.contains(QLatin1String("->"))) {
        dir = importMenuDir(line, programDir);
        return 0;
    }
    dir = candidate;
    if (platform::hasDrivePrefix(candidate)) {
        showDirError(prompt, line, platform::FsError{76, QStringLiteral("Путь не найден")});
        return -1;
    }
    if (!platform::makeDir(dir, &error)) {
        showDirError(prompt, dir, error);
        return -1;
    }
    dir = platform::resolvePath(dir);
    return 0;
}

int Ini_Section_Lines(const IniSections& cnf, const QString& name, QStringList& lines) {
    const QString header = QStringLiteral("[DIR_") + name + QLatin1Char(']');
    for (const IniSection& s : cnf)
        if (s.header == header) lines = s.lines;
    return 0;
}

int Summ_Files(const IniSections& cnf, QStringList& list, const QString& dir,
               platform::Prompt& prompt) {
    bool added = false;
    for (const IniSection& s : cnf) {
        if (s.header != MirelWin) continue;
        for (const QString& line : s.lines) {
            if (line.size() <= 2 || !line.startsWith(QLatin1String("SUM"))) continue;
            if (!platform::fileExists(dir + QLatin1Char('/') + line)) {
                prompt.message(QStringLiteral("Отсутствует файл суммирования !!!"),
                               platform::Icon::Error, line);
                list = QStringList{QStringLiteral(" ")};
                return -1;
            }
            Append_Line(list, line);
            added = true;
        }
    }
    return added ? 0 : -1;
}

int Ini_A_Dir(const IniSections& cnf, DirSet& dirs, QStringList& importMenu,
              const QString& programDir, platform::Prompt& prompt) {
    if (dirs.size() < DirSlotCount) dirs.resize(DirSlotCount);
    static const struct {
        const char* name;
        int slot;
    } order[] = {{"ARM", DirARM},   {"FORM", DirFORM}, {"DAT", DirDAT},      {"MAP", DirMAP},
                 {"PASP", DirPASP}, {"SHIF", DirSHIF}, {"IMPORT", DirIMPORT}};
    for (const auto& d : order) {
        if (Ini_Dir(cnf, QString::fromLatin1(d.name), dirs[d.slot], programDir, prompt) != 0)
            return -1;
    }
    QStringList lines;
    Ini_Section_Lines(cnf, QStringLiteral("IMPORT"), lines);
    importMenu = lines.isEmpty() ? QStringList{dirs.at(DirIMPORT)} : lines;
    return 0;
}

QString defaultIniText(const QString& programDir, const QDate& today) {
    int month = today.month() - 1;
    int year = today.year();
    if (month == 0) {
        month = 12;
        --year;
    }
    const QString two = QStringLiteral("  ");
    const QStringList lines{
        QStringLiteral("параметры ввода:"),
        two + QStringLiteral("SUMM1.TXT"),
        two + QStringLiteral("SUMM2.TXT"),
        QStringLiteral("[MIREL_WIN]"),
        two + QStringLiteral("YYYY= ") + QString::number(year),
        two + QStringLiteral("MM= ") + QString::number(month),
        two + QStringLiteral("IE"),
        two + QStringLiteral("отчет"),
        QStringLiteral("[DIR_ARM]"),
        two + programDir,
        QStringLiteral("[DIR_PASP]"),
        two + programDir + QStringLiteral("/ЗАПРОСЫ"),
        QStringLiteral("[DIR_IMPORT]"),
        two + programDir + QLatin1Char('/') + g_s_Import_XLS,
    };
    return lines.join(CRLF) + CRLF;
}

bool V_File_Ini(const QString& programDir, const QDate& today, platform::Prompt& prompt) {
    const QString path = programDir + QLatin1Char('/') + IniFileName;
    // An empty file holds nothing to keep: it is what a write on a full disk once left behind.
    if (platform::fileExists(path) && QFileInfo(platform::resolvePath(path)).size() > 0)
        return true;
    return Write_Text_File(path, defaultIniText(programDir, today), prompt) == 0;
}

namespace {

struct PeriodLineIndexes {
    int year = -1;
    int month = -1;
};

PeriodLineIndexes findPeriodLines(const QStringList& lines) {
    PeriodLineIndexes idx;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& l = lines.at(i);
        if (!l.contains(QLatin1Char('='))) continue;
        if (l.contains(QLatin1String("YYYY"))) idx.year = i;
        if (l.contains(QLatin1String("MM"))) idx.month = i;
    }
    return idx;
}

void showMissingPeriodLines(platform::Prompt& prompt) {
    prompt.message(
        QStringLiteral("В файле MIREL_WIN.INI отсутствуют параметры : YYYY= или MM= !!!"),
        platform::Icon::Error, QStringLiteral("ВЫХОД !!!"));
}

QString valueAfterEquals(QString line) {
    Cut_Before(line, QStringLiteral("="));
    return Trim(line);
}

} // namespace

PeriodLines readPeriodLines(const QString& iniPath, platform::Prompt& prompt) {
    const QStringList lines = Read_Lines_Upper(iniPath, false, prompt);
    const PeriodLineIndexes idx = findPeriodLines(lines);
    if (idx.year <= 0 || idx.month <= 0) {
        showMissingPeriodLines(prompt);
        return {};
    }
    return PeriodLines{true, valueAfterEquals(lines.at(idx.year)),
                       valueAfterEquals(lines.at(idx.month))};
}

int rewritePeriodLines(const QString& iniPath, const QString& year, const QString& month,
                       platform::Prompt& prompt) {
    QStringList lines = Read_Lines_Upper(iniPath, false, prompt);
    const PeriodLineIndexes idx = findPeriodLines(lines);
    if (idx.year <= 0 || idx.month <= 0) {
        showMissingPeriodLines(prompt);
        return -1;
    }
    lines[idx.month] = QStringLiteral("MM= ") + Trim(month);
    lines[idx.year] = QStringLiteral("YYYY= ") + Trim(year);
    QString text;
    for (const QString& l : lines)
        text += (isHeader(l) ? l : QLatin1Char(' ') + l) + CRLF;
    if (Write_Text_File(iniPath, text, prompt) != 0) {
        prompt.message(QStringLiteral("Ошибка перезаписи файла MIREL_WIN.INI !!!"),
                       platform::Icon::Error);
        return -1;
    }
    return 0;
}

} // namespace mirel::core
