#include "control/formcontrol.h"

#include "control/report.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "control/fastformula.h"
#include "core/periods.h"
#include "core/text.h"
#include "data/datalines.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::control {

SectionControl controlSection(const reference::FormCatalog& catalog, const ControlTarget& target,
                              const SectionCells& current, const QDateTime& now,
                              platform::Prompt& prompt, platform::Browser& browser) {
    SectionControl result;
    result.run = LogRR(catalog, target, current, false, prompt);
    if (!result.run.checked()) return result;
    if (result.run.findings.isEmpty()) {
        prompt.message(QStringLiteral("Нет ошибок !!!"));
        return result;
    }
    const QString subtitle = target.formCode + QLatin1Char(' ') +
                             data::sectionNumber(target.section) + QLatin1Char(' ') +
                             core::yearCode(target.year) + QLatin1Char(' ') +
                             core::monthCode(target.month) + QLatin1Char(' ') + target.regionCode;
    const QString html =
        Head_HTM(ReportTitle, subtitle, now) + reportRows(result.run.findings) + Tail_HTM();
    result.reportPath = writeReport(html, now, prompt, browser);
    return result;
}

StoredForm::StoredForm(const data::DataKey& key, const reference::CatalogEntry& entry,
                       platform::Prompt& prompt, platform::FolderFiles* folder)
    : m_key(key)
    , m_entry(entry)
    , m_prompt(prompt)
    , m_folder(folder)
    , m_folderPath(key.dir() + QLatin1Char('/')) {}

namespace {

void unreadable(platform::Prompt& prompt, const QString& path, const QString& detail) {
    prompt.message(QStringLiteral("Ошибка в формате данных !!!") + core::CRLF + detail,
                   platform::Icon::Error, path);
}

// A stored section read straight from its file's bytes, with the entry window's reading rules:
// where each cell's bytes lie is found once, and a cell's text is made only when asked (most
// cells are only taken as numbers).
class StoredCells : public SectionCells {
public:
    StoredCells(int rows, int columns) { reset(rows, columns); }

    // Empty cells of the given shape; the memory of the last section's is kept.
    void reset(int rows, int columns) {
        m_rows = rows;
        m_columns = columns;
        m_bytes.clear();
        m_cells.assign(size_t(std::max(rows, 0)) * size_t(std::max(columns, 0)), QByteArrayView());
        m_wholes.clear();
        m_sum.reset();
    }

    // Finds the cells of the file's bytes, which it keeps; -1 after the message of a format
    // error.
    int read(const QByteArray& fileBytes, const QString& path, platform::Prompt& prompt) {
        m_bytes = fileBytes;
        const QByteArrayView bytes = data::memoBytes(m_bytes);
        return data::scanSectionBytes(bytes, m_rows, m_columns, path, prompt, m_cells) == 0 ? 0
                                                                                            : -1;
    }

    int rows() const override { return m_rows; }
    int columns() const override { return m_columns; }
    QString cellText(int row, int column) const override {
        if (row < 1 || row > m_rows || column < 1 || column > m_columns) return QString();
        return data::text1251(m_cells[index(row, column)]);
    }
    std::optional<double> plainValue(int row, int column) const override {
        if (row < 1 || row > m_rows || column < 1 || column > m_columns) return 0.0;
        const double v = numberAt(index(row, column));
        return std::isnan(v) ? std::nullopt : std::optional<double>(v);
    }
    // The section's sum (for its mark) is added up on the way: each cell is read once.
    void plainValues(std::vector<double>& values) const override {
        const size_t n = m_cells.size();
        values.resize(n);
        const QByteArrayView* cells = m_cells.data();
        double* out = values.data();
        double total = 0;
        for (size_t i = 0; i < n; ++i) {
            if (const std::optional<double> whole = wholeDigitsValue(cells[i])) {
                out[i] = *whole;
                total += *whole;
            } else {
                out[i] = fastCellValue(cells[i]).value_or(NotWhole);
                total += summedValue(cells[i]);
            }
        }
        m_sum = total;
    }
    double sum() const override {
        if (m_sum) return *m_sum;
        double total = 0;
        for (size_t i = 0; i < m_cells.size(); ++i)
            total += m_wholes.size() != m_cells.size() || std::isnan(m_wholes[i])
                         ? summedValue(m_cells[i])
                         : m_wholes[i];
        return total;
    }

private:
    // A cell's plainValue, NotWhole for none; a cell of plain digits is kept for the sum, so
    // that it is not read twice.
    double numberAt(size_t i) const {
        if (const std::optional<double> whole = wholeDigitsValue(m_cells[i])) {
            if (m_wholes.size() != m_cells.size()) m_wholes.assign(m_cells.size(), NotWhole);
            return m_wholes[i] = *whole;
        }
        return fastCellValue(m_cells[i]).value_or(NotWhole);
    }
    size_t index(int row, int column) const {
        return size_t(row - 1) * size_t(m_columns) + size_t(column - 1);
    }

    int m_rows = 0;
    int m_columns = 0;
    QByteArray m_bytes;
    std::vector<QByteArrayView> m_cells; // into m_bytes; empty for a cell no line gives
    // The cells of plain digits already read as numbers (NotWhole for the others and the ones
    // not read); empty until the first.
    static constexpr double NotWhole = std::numeric_limits<double>::quiet_NaN();
    mutable std::vector<double> m_wholes;
    mutable std::optional<double> m_sum; // once every cell was read
};

} // namespace

const SectionCells* StoredForm::load(int section) {
    if (section < 1 || section > m_entry.sections.size()) return nullptr;
    // The last section's cells and bytes make room for this one, their memory kept: a run over
    // thousands of sections does not allocate them anew for each.
    std::unique_ptr<StoredCells> cells(static_cast<StoredCells*>(m_cells.release()));
    m_section = section;
    const reference::SectionStructure& structure = m_entry.sections.at(section - 1);
    const int rows = int(structure.rows.size());
    const int columns = int(structure.columns.size());
    if (cells)
        cells->reset(rows, columns);
    else
        cells = std::make_unique<StoredCells>(rows, columns);
    const QString name = data::sectionFileName(m_key.regionCode, section);
    const QString path = m_folderPath + name;
    const bool found =
        m_folder ? m_folder->read(name, m_bytes) : platform::readFileBytes(path, m_bytes);
    if (!found && platform::fileExists(path)) {
        unreadable(m_prompt, path, QStringLiteral("Файл не читается"));
        return nullptr;
    }
    m_fileMarks.insert(section, data::registerMarkOf(m_bytes));
    if (!m_bytes.isEmpty()) {
        // Data that cannot be read must not pass for an empty section: its mark would say so.
        if (!data::hasDataLine(m_bytes)) {
            m_bytes.clear();
            unreadable(m_prompt, path, QStringLiteral("В файле нет ни одной строки данных"));
            return nullptr;
        }
        if (cells->read(m_bytes, path, m_prompt) != 0) {
            m_bytes.clear();
            return nullptr;
        }
    }
    m_cells = std::move(cells);
    return m_cells.get();
}

bool StoredForm::save(int section, const QString& mark) {
    m_marked.remove(section);
    if (!m_cells || m_section != section) return false;
    // A section the region has not sent stays absent, so that the register does not show it as
    // submitted.
    if (m_bytes.isEmpty()) return true;
    const QByteArray updated = withStateLine(m_bytes, mark);
    if (updated == m_bytes) {
        m_marked.insert(section);
        return true;
    }
    const QString path = m_folderPath + data::sectionFileName(m_key.regionCode, section);
    if (!platform::writeFileAtomic(path, updated)) {
        m_prompt.message(QStringLiteral("Ошибка при записи информации !!!"), platform::Icon::Error,
                         path);
        return false;
    }
    m_bytes = updated;
    m_marked.insert(section);
    m_fileMarks.insert(section, data::registerMarkOf(m_bytes));
    return true;
}

std::optional<QString> StoredForm::fileMark(int section) const {
    const auto found = m_fileMarks.constFind(section);
    if (found == m_fileMarks.constEnd()) return std::nullopt;
    return *found;
}

QByteArray withStateLine(const QByteArray& bytes, const QString& mark) {
    const QString m = core::Trim(mark);
    const QByteArray state =
        platform::encode1251(m.startsWith(QLatin1String("PR_")) ? m : QStringLiteral("PR_") + m);
    const qsizetype lf = bytes.indexOf('\n');
    QByteArrayView first = lf < 0 ? QByteArrayView(bytes) : QByteArrayView(bytes).first(lf);
    QByteArrayView end = "\r\n";
    if (lf >= 0) {
        end = "\n";
        if (first.endsWith('\r')) {
            first.chop(1);
            end = "\r\n";
        }
    }
    qsizetype blanks = 0;
    while (blanks < first.size() && first.at(blanks) == ' ')
        ++blanks;
    // The old state line gives way to the new one; a file without one keeps all its lines. One
    // new buffer: a large file is not copied piece by piece.
    QByteArrayView rest = bytes;
    if (first.sliced(blanks).startsWith("PR_"))
        rest = lf < 0 ? QByteArrayView() : QByteArrayView(bytes).sliced(lf + 1);
    QByteArray updated;
    updated.reserve(state.size() + end.size() + rest.size());
    updated.append(state).append(end).append(rest);
    return updated;
}

FormRules readFormRules(const QString& formDir, const QString& formCode, const QString& basePeriod,
                        int sectionCount) {
    FormRules rules;
    rules.basePeriod = basePeriod;
    for (int n = 1; n <= sectionCount; ++n)
        rules.sections.append(readRuleFile(ruleFilePath(formDir, formCode, basePeriod, n)));
    return rules;
}

ControlRun LogRR(const reference::FormCatalog& catalog, const ControlTarget& target,
                 const SectionCells& current, bool wholeForm, platform::Prompt& prompt) {
    FormRules rules;
    return LogRR(catalog, target, current, wholeForm, prompt, rules);
}

ControlRun LogRR(const reference::FormCatalog& catalog, const ControlTarget& target,
                 const SectionCells& current, bool wholeForm, platform::Prompt& prompt,
                 FormRules& rules) {
    QString basePeriod;
    int entry = -1;
    if (reference::VVOD_Base_Per(target.formCode, core::periodCode(target.year, target.month),
                                 catalog, basePeriod, entry, prompt) != 0) {
        ControlRun run;
        run.status = ControlRun::Status::Stopped;
        return run;
    }
    if (rules.basePeriod != basePeriod) rules = FormRules{basePeriod, {}};
    if (target.section < 1)
        return Log_RR(ruleFilePath(target.formDir, target.formCode, basePeriod, target.section),
                      target, current, wholeForm, prompt);
    while (rules.sections.size() < target.section)
        rules.sections.append(RuleFile());
    RuleFile& file = rules.sections[target.section - 1];
    if (file.path.isEmpty())
        file =
            readRuleFile(ruleFilePath(target.formDir, target.formCode, basePeriod, target.section));
    return runRuleFile(file, target, current, wholeForm, prompt);
}

FormControl checkForm(const reference::FormCatalog& catalog, const ControlTarget& target,
                      FormSections& sections, const QString& caption, const QDateTime& now,
                      platform::Prompt& prompt, FormRules* rules) {
    FormControl result;
    QString basePeriod;
    int entry = -1;
    if (reference::VVOD_Base_Per(target.formCode, core::periodCode(target.year, target.month),
                                 catalog, basePeriod, entry, prompt) != 0)
        return result;
    result.ran = true;
    const int count = int(catalog.at(entry).sections.size());
    FormRules read;
    if (!rules || rules->basePeriod != basePeriod || rules->sections.size() != count) {
        read = readFormRules(target.formDir, target.formCode, basePeriod, count);
        rules = &read;
    }
    result.page = Head_HTM(ReportTitle, caption, now);
    for (int n = 1; n <= count; ++n) {
        if (!sections.proceed(n, count)) {
            result.stopped = true;
            return result;
        }
        SectionOutcome outcome;
        outcome.section = n;
        RuleFile& ruleFile = rules->sections[n - 1];
        // A section without rules is neither loaded nor marked.
        if (!ruleFile.exists) {
            result.sections.append(outcome);
            continue;
        }
        const SectionCells* cells = sections.load(n);
        if (!cells) {
            outcome.run.status = ControlRun::Status::Stopped;
            result.sections.append(outcome);
            continue;
        }
        ControlTarget sectionTarget = target;
        sectionTarget.section = n;
        outcome.run = runRuleFile(ruleFile, sectionTarget, *cells, true, prompt);
        if (outcome.run.checked()) {
            const bool failed = !outcome.run.findings.isEmpty();
            outcome.mark = controlMark(failed, cells->sum());
            outcome.saved = sections.save(n, outcome.mark);
            if (failed) {
                result.page +=
                    sectionBanner(data::sectionNumber(n)) + reportRows(outcome.run.findings);
                result.findings = true;
            }
        }
        result.sections.append(outcome);
    }
    result.page += Tail_HTM();
    return result;
}

FormControl controlForm(const reference::FormCatalog& catalog, const ControlTarget& target,
                        FormSections& sections, const QString& caption, const QDateTime& now,
                        platform::Prompt& prompt, platform::Browser& browser) {
    FormControl result = checkForm(catalog, target, sections, caption, now, prompt);
    if (result.ran && !result.stopped)
        result.reportPath = writeReport(result.page, now, prompt, browser);
    return result;
}

} // namespace mirel::control
