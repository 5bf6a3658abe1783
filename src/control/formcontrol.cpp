#include "control/formcontrol.h"

#include "control/report.h"
#include "core/periods.h"
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
                       platform::Prompt& prompt)
    : m_key(key)
    , m_entry(entry)
    , m_prompt(prompt) {}

const SectionCells* StoredForm::load(int section) {
    if (section < 1 || section > m_entry.sections.size()) return nullptr;
    m_cells.reset();
    m_grid = data::SectionGrid::fromStructure(section, m_entry.sections.at(section - 1));
    if (data::Load_DD(m_grid, m_key.path(section), false, m_prompt) != 0) return nullptr;
    m_cells = std::make_unique<GridCells>(m_grid);
    return m_cells.get();
}

bool StoredForm::save(int section, const QString& mark) {
    if (!m_cells || m_grid.section() != section) return false;
    // Stored reports only get their mark: a section the region has not sent stays absent, so
    // that the register does not show it as submitted.
    if (!platform::fileExists(m_key.path(section))) return true;
    return !data::VV_Save(m_grid, m_key, mark, m_prompt).isEmpty();
}

FormControl controlForm(const reference::FormCatalog& catalog, const ControlTarget& target,
                        FormSections& sections, const QString& caption, const QDateTime& now,
                        platform::Prompt& prompt, platform::Browser& browser) {
    FormControl result;
    QString basePeriod;
    int entry = -1;
    if (reference::VVOD_Base_Per(target.formCode, core::periodCode(target.year, target.month),
                                 catalog, basePeriod, entry, prompt) != 0)
        return result;
    result.ran = true;
    QString html = Head_HTM(ReportTitle, caption, now);
    const int count = int(catalog.at(entry).sections.size());
    for (int n = 1; n <= count; ++n) {
        if (!sections.proceed(n, count)) {
            result.stopped = true;
            return result;
        }
        SectionOutcome outcome;
        outcome.section = n;
        ControlTarget sectionTarget = target;
        sectionTarget.section = n;
        const QString rules = ruleFilePath(target.formDir, target.formCode, basePeriod, n);
        // A section without rules is neither loaded nor marked.
        if (!platform::fileExists(rules)) {
            result.sections.append(outcome);
            continue;
        }
        const SectionCells* cells = sections.load(n);
        if (!cells) {
            outcome.run.status = ControlRun::Status::Stopped;
            result.sections.append(outcome);
            continue;
        }
        outcome.run = Log_RR(rules, sectionTarget, *cells, true, prompt);
        if (outcome.run.checked()) {
            const bool failed = !outcome.run.findings.isEmpty();
            outcome.mark = controlMark(failed, cells->sum());
            outcome.saved = sections.save(n, outcome.mark);
            if (failed)
                html += sectionBanner(data::sectionNumber(n)) + reportRows(outcome.run.findings);
        }
        result.sections.append(outcome);
    }
    html += Tail_HTM();
    result.reportPath = writeReport(html, now, prompt, browser);
    return result;
}

} // namespace mirel::control
