#include "exchange/excelconvert.h"

#include <array>
#include <mutex>
#include <optional>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <vector>

#include "control/fastformula.h"
#include "control/formcontrol.h"
#include "control/logcontrol.h"
#include "control/target.h"
#include "core/files.h"
#include "core/periods.h"
#include "core/text.h"
#include "core/workahead.h"
#include "data/sectionfile.h"
#include "exchange/excelnames.h"
#include "platform/codec.h"
#include "platform/evaluator.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "platform/spreadsheet.h"

namespace mirel::exchange {
namespace {

// Blanks of a cell's text: those an office puts between thousands.
bool isBlank(QChar c) {
    return core::isDigitGroupBlank(c);
}

QString withoutBlanks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!isBlank(c)) out.append(c);
    return out;
}

QString trimBlanks(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// Whether a number text (as cellNumber writes it) stands for zero: no digit but 0 before an
// exponent.
template <typename View>
bool isZeroText(View number) {
    for (qsizetype i = 0; i < number.size(); ++i) {
        const auto c = number.at(i);
        if (c == u'E' || c == u'e') break;
        if (c >= u'1' && c <= u'9') return false;
    }
    return true;
}

// One section read from the workbook, ready to be written: its file after the state line
// (which waits for the control's mark) and its cells for the control, their values read too.
// A cell's text is mostly as it stands in the file: there it is found again; only a text that
// the file writes otherwise is kept aside.
struct StagedSection {
    int section = 0;
    bool empty = false; // an empty block: the number is taken, nothing is written
    int rows = 0;
    int columns = 0;
    QByteArray body;                           // in code page 1251
    std::vector<qsizetype> starts;             // where each cell's text begins in body
    QHash<qsizetype, QString> otherTexts;      // by cell index: texts written otherwise
    std::vector<std::optional<double>> values; // fastCellValue of each cell, row by row
    bool allZero = true;
};

// The text of the value that begins at `start` in a section file's bytes, as the control is
// given it (a Latin-1 text: it is one wherever it is taken from there).
QLatin1StringView bodyText(QByteArrayView body, qsizetype start) {
    qsizetype end = start;
    while (end < body.size() && body[end] != ' ' && body[end] != '\r')
        ++end;
    return QLatin1StringView(body.data() + start, end - start);
}

// A staged section's cells as the control reads them.
class StagedCells : public control::SectionCells {
public:
    explicit StagedCells(const StagedSection& staged)
        : m_staged(staged) {}
    int rows() const override { return m_staged.rows; }
    int columns() const override { return m_staged.columns; }
    QString cellText(int row, int column) const override {
        const qsizetype i = index(row, column);
        if (i < 0) return QStringLiteral("0");
        const auto other = m_staged.otherTexts.constFind(i);
        if (other != m_staged.otherTexts.constEnd()) return *other;
        return bodyText(m_staged.body, m_staged.starts[size_t(i)]).toString();
    }
    std::optional<double> plainValue(int row, int column) const override {
        const qsizetype i = index(row, column);
        if (i < 0) return 0.0;
        return m_staged.values[size_t(i)];
    }

private:
    qsizetype index(int row, int column) const {
        if (row < 1 || row > m_staged.rows || column < 1 || column > m_staged.columns) return -1;
        return qsizetype(row - 1) * m_staged.columns + (column - 1);
    }

    const StagedSection& m_staged;
};

const QString WriteError = QStringLiteral("Ошибка при записи информации !!!");

// The folders a conversion writes into, each looked at (and made when missing) once per run
// instead of once per workbook: a folder taken away meanwhile shows as a failed write, which
// is reported. A whole-form run also keeps the names of its archive folder, so that a name
// taken there in another case is known without a look at the folder for every workbook.
struct RunFolders {
    bool keepArchiveNames = false;
    QHash<QString, QString> ready;              // folder as asked -> as spelt on disk
    QHash<QString, QSet<QString>> archiveNames; // archive folder -> its names in upper case
};

// The folder as spelt on disk, made when missing; empty when it cannot be made.
QString readyFolder(const QString& dir, RunFolders& folders) {
    const auto it = folders.ready.constFind(dir);
    if (it != folders.ready.constEnd()) return *it;
    if (!platform::dirExists(dir) && !platform::makeDir(dir)) return QString();
    return *folders.ready.insert(dir, platform::resolvePath(dir));
}

// The settings with their cell references read once per run: [file][block][line][cell], a
// row of -1 for a reference that names no cell; and the regions by their codes.
struct RunSettings {
    const CnvSettings& settings;
    QList<QList<QList<QList<platform::CellPos>>>> places;
    RegionIndex regions;

    RunSettings(const CnvSettings& s, const reference::Regions& regionList)
        : settings(s)
        , regions(regionList) {
        for (const CnvFile& file : s.files) {
            auto& filePlaces = places.emplace_back();
            for (const CnvBlock& block : file) {
                auto& blockPlaces = filePlaces.emplace_back();
                for (const CnvLine& line : block) {
                    auto& linePlaces = blockPlaces.emplace_back();
                    for (const QString& reference : line) {
                        platform::CellPos pos;
                        if (!platform::parseA1(reference, pos)) pos.row = -1;
                        linePlaces.append(pos);
                    }
                }
            }
        }
    }
};

// Reads every cell the settings name. Empty, or the message of the first cell that fails.
QString readSections(const ImportJob& job, const QString& formCode, const QString& cod,
                     const RunSettings& run, platform::Workbook& book,
                     QList<StagedSection>& staged) {
    const CnvSettings& settings = run.settings;
    int counter = 1;
    for (int f = 0; f < settings.files.size(); ++f) {
        const int sheetNumber = settings.sheetNumber(f);
        const platform::Worksheet* sheet = book.sheet(sheetNumber);
        for (qsizetype b = 0; b < settings.files.at(f).size(); ++b) {
            const CnvBlock& block = settings.files.at(f).at(b);
            StagedSection s;
            s.section = counter++;
            if (block.isEmpty()) {
                s.empty = true;
                staged.append(std::move(s));
                continue;
            }
            if (!sheet)
                return cellErrorText(platform::noSheetText(sheetNumber), block.first().first());
            const qsizetype columns = block.first().size();
            s.rows = int(block.size());
            s.columns = int(columns);
            const size_t cells = size_t(block.size() * columns);
            s.values.reserve(cells);
            s.starts.reserve(cells);
            data::SectionBody body(job.year, job.month, formCode, cod, s.section,
                                   qsizetype(cells) * 8);
            platform::CellContent cell;
            for (qsizetype i = 0; i < block.size(); ++i) {
                const CnvLine& line = block.at(i);
                body.startRow(int(i + 1));
                for (qsizetype j = 0; j < columns; ++j) {
                    if (j >= line.size())
                        return cellErrorText(
                            QStringLiteral("В строке ") + QString::number(i + 1) +
                                QStringLiteral(" блока ссылок меньше, чем в первой"),
                            QString());
                    const platform::CellPos pos = run.places.at(f).at(b).at(i).at(j);
                    if (pos.row < 0) return cellErrorText(platform::BadCellReference, line.at(j));
                    sheet->cellContent(pos.row, pos.column, cell);
                    s.starts.push_back(body.size() + 1);
                    // A number cell's text is mostly its number text already: it goes to the
                    // file and the control as bytes, without a text made for it, and when its
                    // digits read back as its value, that is the value.
                    char digits[platform::NumberCharsSize];
                    bool readsBack = false;
                    const int length =
                        cell.isNumber ? platform::numberChars(cell.number, digits, readsBack) : 0;
                    if (cell.isNumber && isCellNumber(QLatin1StringView(digits, length))) {
                        const QByteArrayView number(digits, length);
                        if (s.allZero && !isZeroText(number)) s.allZero = false;
                        s.values.push_back(readsBack ? std::optional<double>(cell.number)
                                                     : control::fastCellValue(number));
                        body.addValue(number);
                        continue;
                    }
                    const QString number =
                        cellNumber(cell.isNumber ? QString::fromLatin1(digits, length) : cell.text);
                    if (s.allZero && !isZeroText(QStringView(number))) s.allZero = false;
                    s.values.push_back(control::fastCellValue(number));
                    const qsizetype start = body.size() + 1;
                    body.addValue(number);
                    if (bodyText(QByteArrayView(body.data(), body.size()), start) != number)
                        s.otherTexts.insert(qsizetype(s.values.size() - 1), number);
                }
                body.endRow();
            }
            s.body = body.take();
            staged.append(std::move(s));
        }
    }
    return QString();
}

// A workbook as read, before anything of it is written or shown: reading touches nothing but
// the workbook itself, so that it can be done ahead of the workbook's turn.
struct ReadWorkbook {
    int slot = -1; // the region's place in the list; -1 when the name names no region
    QString cod;
    bool opened = false;
    QString failure; // why it could not be opened, or the message of the cell that failed
    QList<StagedSection> staged;
};

void readWorkbook(const ImportJob& job, const QString& formCode, const RunSettings& settings,
                  const QString& path, ReadWorkbook& read) {
    read = ReadWorkbook();
    const QString name = platform::nameOf(path);
    read.slot = settings.regions.find(name.left(name.indexOf(QLatin1Char('_'))), read.cod);
    if (read.slot < 0) return;
    const std::unique_ptr<platform::Workbook> book = platform::Workbook::open(path, &read.failure);
    if (!book) return;
    read.opened = true;
    read.failure = readSections(job, formCode, read.cod, settings, *book, read.staged);
}

// What a workbook's conversion leaves for its turn in the run: its rows of the log and the
// sections it wrote, told in order when the workbook's turn comes.
struct Trail {
    QStringList logRows;
    QStringList sections; // RR of each section as it was written
};

// The period's data folder as spelt on disk, made when missing; empty when it cannot be made.
// Safe on any thread: a folder made meanwhile by another counts as made.
QString makeDataFolder(const ImportJob& job, const QString& formCode) {
    const QString datDir = job.session.dir(core::DirDAT);
    const QString dir = data::periodDataDir(datDir, job.year, job.month, formCode);
    for (const QString& folder : {datDir, dir})
        if (!platform::dirExists(folder) && !platform::makeDir(folder) &&
            !platform::dirExists(folder))
            return QString();
    return platform::resolvePath(dir);
}

// The period's data folder, made ready the first time a thread asks for it (again after a
// failure), with the names of the files it held then: a section whose name was not among them
// is written as a new file, without a look at the name first.
class DataFolder {
public:
    struct View {
        QString path; // as spelt on disk; empty when the folder cannot be made
        const platform::FileNames* names = nullptr;
    };

    DataFolder(const ImportJob& job, const QString& formCode)
        : m_job(job)
        , m_formCode(formCode) {}
    View get() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_names) {
            const QString path = makeDataFolder(m_job, m_formCode);
            if (path.isEmpty()) return View();
            m_path = path;
            m_names.emplace(path); // neither changes from here on
        }
        return View{m_path, &*m_names};
    }

private:
    const ImportJob& m_job;
    const QString m_formCode;
    std::mutex m_mutex;
    QString m_path;
    std::optional<platform::FileNames> m_names;
};

// Writes the staged sections of one workbook into the data folder, each with logical control
// when asked.
bool writeSections(const ImportJob& job, const QString& formCode, const QString& cod,
                   const QList<StagedSection>& staged, DataFolder& dataFolder, Trail& trail,
                   control::FormRules& rules, WorkbookOutcome& outcome, platform::Prompt& prompt) {
    const reference::Session& session = job.session;
    const QString datDir = session.dir(core::DirDAT);
    const DataFolder::View folder = dataFolder.get();
    if (folder.path.isEmpty()) {
        platform::showError(
            prompt, WriteError,
            platform::nativePath(data::periodDataDir(datDir, job.year, job.month, formCode)));
        return false;
    }
    // Section file names are digits: in the folder as it is spelled on disk no other case can
    // exist. A protected section stops the workbook before anything of it is written; only a
    // name the folder held is looked at.
    QStringList paths;
    std::vector<bool> listed;
    for (const StagedSection& s : staged) {
        const QString name = data::sectionFileName(cod, s.section);
        paths.append(folder.path + QLatin1Char('/') + name);
        listed.push_back(folder.names->contains(name));
        if (s.empty || !listed.back()) continue;
        const QString& path = paths.last();
        const QFileInfo info(path);
        if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner)) {
            platform::showError(
                prompt, QStringLiteral("Файл данных защищен от записи, книга не загружена !!!"),
                platform::nativePath(path));
            return false;
        }
    }
    for (qsizetype i = 0; i < staged.size(); ++i) {
        const StagedSection& s = staged.at(i);
        if (s.empty) continue;
        const QString rr = data::sectionNumber(s.section);
        trail.sections.append(rr);
        QString mark = QStringLiteral("? ");
        bool stopped = false;
        if (job.control) {
            trail.logRows.append(sectionRow(s.section));
            const control::ControlTarget target{
                datDir, session.dir(core::DirFORM), formCode, s.section, job.year, job.month, cod};
            const StagedCells cells(s);
            const control::ControlRun run =
                control::LogRR(session.forms, target, cells, true, prompt, rules);
            for (const control::MissingSection& m : run.missing)
                trail.logRows.append(missingRow(m.formCode, m.section, m.year, m.month));
            if (run.checked()) {
                for (const QString& finding : run.findings)
                    trail.logRows.append(logRow(finding));
                mark = control::controlMark(!run.findings.isEmpty(), s.allZero ? 0.0 : 1.0).mid(3);
            }
            stopped = run.stopped();
        }
        const QByteArray bytes = platform::encode1251(data::sectionStateLine(mark)) + s.body;
        if (core::writeEncodedFile(paths.at(i), bytes, prompt, platform::Links::Refuse,
                                   listed[size_t(i)] ? platform::Known::Nothing
                                                     : platform::Known::Absent) != 0)
            return false;
        outcome.sectionFiles.append(paths.at(i));
        if (stopped) return false; // the rules' message has been shown
    }
    return true;
}

QString openFailureText(const QString& path, const QString& reason) {
    return QStringLiteral("Ошибка при открытии книги Excel -> ") + platform::nativePath(path) +
           core::CRLF + reason;
}

// One workbook, read, to its written sections (archiving is the caller's).
bool convertWorkbook(const ImportJob& job, const QString& formCode, const ReadWorkbook& read,
                     DataFolder& dataFolder, WorkbookOutcome& outcome, Trail& trail,
                     control::FormRules& rules, platform::Prompt& prompt) {
    if (read.slot < 0) {
        platform::showError(prompt, QStringLiteral("Ошибка конвертирования !!!"),
                            platform::nativePath(outcome.path));
        return false;
    }
    outcome.cod = read.cod;
    outcome.stem =
        data::periodDataDir(job.session.dir(core::DirDAT), job.year, job.month, formCode) +
        QLatin1Char('/') + outcome.cod;
    if (job.control)
        trail.logRows += regionRows(outcome.cod, job.session.regions.at(read.slot)->name);
    if (!read.opened) {
        platform::showError(prompt, openFailureText(outcome.path, read.failure));
        return false;
    }
    if (!read.failure.isEmpty()) {
        prompt.message(read.failure, platform::Icon::None, platform::nativePath(outcome.path));
        return false;
    }
    outcome.nextSection = int(read.staged.size()) + 1;
    if (!writeSections(job, formCode, outcome.cod, read.staged, dataFolder, trail, rules, outcome,
                       prompt))
        return false;
    outcome.converted = true;
    return true;
}

// A workbook converted ahead of its turn in a whole-form run.
struct ConvertedWorkbook {
    WorkbookOutcome outcome;
    bool converted = false;
    Trail trail;
    platform::RecordingPrompt prompt;
};

// Whether the workbooks' names give distinct regions (names of no region count as distinct).
bool regionsDiffer(const RegionIndex& regions, const QStringList& workbooks) {
    QSet<int> seen;
    for (const QString& path : workbooks) {
        const QString name = platform::nameOf(path);
        QString cod;
        const int slot = regions.find(name.left(name.indexOf(QLatin1Char('_'))), cod);
        if (slot < 0) continue;
        if (seen.contains(slot)) return false;
        seen.insert(slot);
    }
    return true;
}

// A workbook's trail told: its sections to the observer, its rows into the log.
void tell(const Trail& trail, const QString& cod, const QString& formCode, ImportLog& log,
          ImportObserver* observer) {
    if (observer)
        for (const QString& rr : trail.sections)
            observer->sectionWriting(cod, formCode, rr);
    log.add(trail.logRows);
}

void showLog(const ImportLog& log, platform::Prompt& prompt, platform::Browser& browser) {
    if (!browser.open(log.path()))
        platform::showInfo(prompt, QStringLiteral("Журнал загрузки записан : ") +
                                       platform::nativePath(log.path()));
}

} // namespace

QString cellErrorText(const QString& reason, const QString& reference) {
    return QStringLiteral("Ошибка при конвертировании -> ") + core::CRLF + reason + core::CRLF +
           QStringLiteral("ссылка на ячейку -> ") + reference;
}

QString Mod_DD_XLS(const QString& text) {
    QString t = withoutBlanks(text);
    if (t.isEmpty()) return QStringLiteral("0");
    QString sign;
    if (t.startsWith(QLatin1Char('-'))) {
        sign = QStringLiteral("-");
        t.remove(0, 1);
        if (t.isEmpty()) return QStringLiteral("0");
    }
    QString result;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (core::isDigit(c)) {
            result.append(c);
        } else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && i + 1 < t.size() &&
                   core::isDigit(t.at(i + 1))) {
            result.append(QLatin1Char('.'));
        } else {
            break;
        }
    }
    const qsizetype last = result.lastIndexOf(QLatin1Char('.'));
    if (last >= 0) {
        const QString whole = result.left(last);
        result = QString(whole).remove(QLatin1Char('.')) + result.mid(last);
    }
    if (result.isEmpty()) return QStringLiteral("0");
    return sign + result;
}

namespace {

// A cell's text that holds a plain number ("1234", "-12.50", "0.05"), taken apart: at most 15
// digits, so that the number text is its digits without the leading and trailing zeros.
// nullopt for any other text (blanks, a comma, an exponent, a value below 0.0001, which is
// written with an exponent), left to the general reading.
struct PlainNumber {
    bool negative = false;
    qsizetype wholeBegin = 0, wholeEnd = 0;       // the whole digits
    qsizetype fractionBegin = 0, fractionEnd = 0; // the decimals
    qsizetype w = 0, f = 0; // the whole digits from the first that is not 0, the decimals to the
                            // last that is not 0
    bool asIs = false;      // the text is its number text already (as the cells of numbers are)
};

std::optional<PlainNumber> plainNumber(QStringView t) {
    const auto at = [&t](qsizetype i) { return t[i].unicode(); };
    const auto digit = [&at](qsizetype i) { return char16_t(at(i) - u'0') <= 9; };
    const qsizetype n = t.size();
    PlainNumber p;
    qsizetype i = 0;
    p.negative = n > 0 && at(0) == u'-';
    if (n > 0 && (at(0) == u'-' || at(0) == u'+')) ++i;
    p.wholeBegin = i;
    while (i < n && digit(i))
        ++i;
    p.wholeEnd = i;
    p.fractionBegin = p.fractionEnd = i;
    if (i < n && at(i) == u'.') {
        p.fractionBegin = ++i;
        while (i < n && digit(i))
            ++i;
        p.fractionEnd = i;
        if (p.fractionEnd == p.fractionBegin) return std::nullopt;
    }
    if (i != n || p.wholeEnd == p.wholeBegin ||
        (p.wholeEnd - p.wholeBegin) + (p.fractionEnd - p.fractionBegin) > 15)
        return std::nullopt;
    p.w = p.wholeBegin;
    while (p.w < p.wholeEnd && at(p.w) == u'0')
        ++p.w;
    p.f = p.fractionEnd;
    while (p.f > p.fractionBegin && at(p.f - 1) == u'0')
        --p.f;
    if (p.w == p.wholeEnd && p.f > p.fractionBegin) {
        qsizetype firstDigit = p.fractionBegin;
        while (at(firstDigit) == u'0')
            ++firstDigit;
        if (firstDigit - p.fractionBegin >= 4) return std::nullopt;
    }
    p.asIs = (p.w < p.wholeEnd || p.f > p.fractionBegin) && at(0) != u'+' && p.f == p.fractionEnd &&
             (p.w == p.wholeBegin || (p.w == p.wholeEnd && p.wholeEnd - p.wholeBegin == 1));
    return p;
}

std::optional<QString> plainNumberText(const QString& t) {
    const std::optional<PlainNumber> p = plainNumber(QStringView(t));
    if (!p) return std::nullopt;
    if (p->w == p->wholeEnd && p->f == p->fractionBegin) return QStringLiteral("0");
    if (p->asIs) return t;
    QString out;
    out.reserve(t.size() + 1);
    if (p->negative) out += QLatin1Char('-');
    if (p->w == p->wholeEnd) {
        out += QLatin1Char('0');
    } else {
        out += QStringView(t).mid(p->w, p->wholeEnd - p->w);
    }
    if (p->f > p->fractionBegin) {
        out += QLatin1Char('.');
        out += QStringView(t).mid(p->fractionBegin, p->f - p->fractionBegin);
    }
    return out;
}

} // namespace

bool isCellNumber(QLatin1StringView text) {
    // numberChars writes no "+", no leading zero but the one before a point and no trailing
    // zero of decimals: only an exponent, "***" or more than 15 digits are written otherwise.
    int digits = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c != '-' && c != '.')
            return false;
    }
    return digits > 0 && digits <= 15;
}

QString cellNumber(const QString& text) {
    const QString t = trimBlanks(text);
    if (t.isEmpty()) return QStringLiteral("0");
    if (std::optional<QString> plain = plainNumberText(t)) return *plain;
    if (core::IsNumeric(t)) {
        const QString compact = withoutBlanks(t);
        const qsizetype comma = compact.indexOf(QLatin1Char(','));
        if (comma >= 0) {
            const QString before = compact.left(comma);
            const QString after = compact.mid(comma + 1);
            if (core::IsNumeric(before) && core::IsNumeric(after))
                return before + QLatin1Char('.') + after;
            return QStringLiteral("0");
        }
        // The whole text is one number here: read it at once (Val looks for the longest one).
        bool ok = false;
        const double value = compact.toDouble(&ok);
        return platform::numberText(ok ? value : core::Val(compact));
    }
    return Mod_DD_XLS(t);
}

namespace {

QString archiveWorkbook(const QString& path, const QString& formCode, const QString& year,
                        const QString& month, RunFolders& folders, platform::Prompt& prompt) {
    QString dir = platform::parentOf(path);
    for (const QString& level :
         {QStringLiteral("АРХИВ"), core::formFolderPeriod(year, month), formCode}) {
        const QString ready = readyFolder(dir + QLatin1Char('/') + level, folders);
        if (ready.isEmpty()) {
            platform::showError(prompt, WriteError,
                                platform::nativePath(dir + QLatin1Char('/') + level));
            return QString();
        }
        dir = ready; // as spelt on disk
    }
    QSet<QString>* names = nullptr;
    if (folders.keepArchiveNames) {
        auto it = folders.archiveNames.find(dir);
        if (it == folders.archiveNames.end()) {
            QSet<QString> listed;
            for (const QStringList& entries : {platform::listFiles(dir), platform::listDirs(dir)})
                for (const QString& entry : entries)
                    listed.insert(entry.toUpper());
            it = folders.archiveNames.insert(dir, listed);
        }
        names = &*it;
    }
    const QString name = platform::nameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    const QString ext = dot < 0 ? QString() : name.mid(dot);
    for (int n = 0; n < 1000; ++n) {
        const QString targetName =
            stem + (n == 0 ? QString() : QLatin1Char('_') + QString::number(n)) + ext;
        const QString target = dir + QLatin1Char('/') + targetName;
        const QString key = targetName.toUpper();
        if (names && names->contains(key)) continue;
        // The move itself refuses a name that is taken: only then is the next one tried.
        if (platform::movePath(path, target, nullptr,
                               names ? platform::Spellings::Checked : platform::Spellings::Look)) {
            if (names) names->insert(key);
            return target;
        }
        if (platform::pathExists(target)) {
            if (names) names->insert(key);
            continue;
        }
        if (platform::copyFile(path, target) && platform::removeFile(path)) return target;
        platform::showError(prompt, WriteError, platform::nativePath(target));
        return QString();
    }
    platform::showError(prompt, WriteError, platform::nativePath(dir));
    return QString();
}

} // namespace

QString Copy_XLS_Arch(const QString& path, const QString& formCode, const QString& year,
                      const QString& month, platform::Prompt& prompt) {
    RunFolders folders;
    return archiveWorkbook(path, formCode, year, month, folders, prompt);
}

WorkbookOutcome Cnv_Xls_(const ImportJob& job, const QString& formCode, const QString& path,
                         platform::Prompt& prompt, platform::Browser& browser,
                         ImportObserver* observer) {
    WorkbookOutcome outcome;
    outcome.path = path;
    CnvSettings settings;
    if (!F_A_Cnv_XLS(job.session.dir(core::DirFORM), job.session.forms,
                     core::periodCode(job.year, job.month), formCode, settings, prompt))
        return outcome;
    ImportLog log;
    if (job.control &&
        !log.open(job.session.programDir, job.year, job.month, formCode, job.now, prompt))
        return outcome;
    ReadWorkbook read;
    readWorkbook(job, formCode, RunSettings(settings, job.session.regions), path, read);
    control::FormRules rules;
    RunFolders folders;
    Trail trail;
    DataFolder data(job, formCode);
    const bool converted =
        convertWorkbook(job, formCode, read, data, outcome, trail, rules, prompt);
    tell(trail, outcome.cod, formCode, log, observer);
    if (job.control) log.flush(prompt);
    if (!converted) return outcome;
    platform::showInfo(prompt,
                       QStringLiteral("Информация загружена !!!") + core::CRLF + core::CRLF +
                           platform::nativePath(path),
                       platform::nativePath(outcome.stem) + QLatin1Char('.') +
                           data::sectionNumber(outcome.nextSection));
    const QString archived = archiveWorkbook(path, formCode, job.year, job.month, folders, prompt);
    outcome.archived = !archived.isEmpty();
    if (outcome.archived && observer) observer->workbookArchived(path);
    if (job.control) showLog(log, prompt, browser);
    return outcome;
}

FormOutcome Cnv_XLS_All(const ImportJob& job, const QString& formCode, const QStringList& workbooks,
                        platform::Prompt& prompt, platform::Browser& browser,
                        ImportObserver* observer) {
    FormOutcome outcome;
    ImportLog log;
    if (job.control)
        log.open(job.session.programDir, job.year, job.month, formCode, job.now, prompt);
    CnvSettings settings;
    outcome.settingsLoaded =
        F_A_Cnv_XLS(job.session.dir(core::DirFORM), job.session.forms,
                    core::periodCode(job.year, job.month), formCode, settings, prompt);
    if (outcome.settingsLoaded) {
        platform::Progress progress(prompt, int(workbooks.size()));
        // The log is written a few times a second while that costs little against the
        // conversions; a long log is written at most a fifth of the run's time, so the page
        // is not rewritten whole a thousand times, and a crash loses only the last moments'
        // rows.
        constexpr qint64 LogInterval = 250'000'000;
        QElapsedTimer sinceWritten;
        sinceWritten.start();
        qint64 writeCost = 0;
        RunFolders folders;
        folders.keepArchiveNames = true;
        const RunSettings run(settings, job.session.regions);
        // The workbooks are converted by two threads, the second at most four workbooks ahead
        // of the one whose turn it is: each workbook whole by one thread (read, checked and its
        // sections written), each thread with its own rules (each section's rule file read once
        // for the run). In its turn a workbook's messages, log rows and sections are told and
        // it goes to the archive, in the order of the list. Two workbooks of one region write
        // the same files: such a run converts one workbook after the other.
        std::array<control::FormRules, 2> rules;
        DataFolder data(job, formCode);
        core::WorkAhead<ConvertedWorkbook> ahead(
            int(workbooks.size()), 4, regionsDiffer(run.regions, workbooks),
            [&](int i, ConvertedWorkbook& w, int lane) {
                w = ConvertedWorkbook();
                w.outcome.path = workbooks.at(i);
                ReadWorkbook read;
                readWorkbook(job, formCode, run, w.outcome.path, read);
                w.converted = convertWorkbook(job, formCode, read, data, w.outcome, w.trail,
                                              rules[size_t(lane)], w.prompt);
            });
        // Workbook i in its turn.
        const auto take = [&](int i) {
            ConvertedWorkbook& w = ahead.take(i);
            if (observer) observer->workbookStarted(w.outcome.path);
            tell(w.trail, w.outcome.cod, formCode, log, observer);
            w.prompt.passOn(prompt);
            if (w.converted) {
                w.outcome.archived =
                    !archiveWorkbook(w.outcome.path, formCode, job.year, job.month, folders, prompt)
                         .isEmpty();
                if (w.outcome.archived && observer) observer->workbookArchived(w.outcome.path);
            }
            if (log.isOpen() &&
                sinceWritten.nsecsElapsed() >= std::max<qint64>(4 * writeCost, LogInterval)) {
                QElapsedTimer writing;
                writing.start();
                log.flush(prompt);
                writeCost = writing.nsecsElapsed();
                sinceWritten.restart();
            }
            outcome.workbooks.append(w.outcome);
        };
        int i = 0;
        while (i < workbooks.size()) {
            take(i++);
            if (!progress.step(i) && i < workbooks.size()) {
                // The workbooks already begun are finished and count as done.
                ahead.stop();
                for (; i < workbooks.size() && ahead.done(i); ++i)
                    take(i);
                outcome.stopped = i < workbooks.size();
                break;
            }
        }
    }
    if (log.isOpen()) {
        log.flush(prompt);
        outcome.logPath = log.path();
        if (outcome.settingsLoaded && !outcome.stopped) showLog(log, prompt, browser);
    }
    if (outcome.stopped)
        platform::showInfo(prompt, platform::stoppedText());
    else
        platform::showInfo(prompt, QStringLiteral("Загрузка завершена !!!"));
    return outcome;
}

} // namespace mirel::exchange
