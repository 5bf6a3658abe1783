#include "control/allregions.h"

#include <array>
#include <QSet>

#include "control/report.h"
#include "core/periods.h"
#include "core/text.h"
#include "core/workahead.h"
#include "data/loadview.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::control {
namespace {

// Passes every distinct message on once: the same fault of the rules is met in every region.
// Before a message of another region than the last one, the status text names the region the
// message belongs to. Questions, progress and stop requests go through.
class DistinctMessages : public platform::Prompt {
public:
    explicit DistinctMessages(platform::Prompt& inner)
        : m_inner(inner) {}
    ~DistinctMessages() override {
        if (!m_statusShown.isEmpty()) m_inner.status(QString());
    }

    void setRegion(const reference::Region& region) {
        m_region = QStringLiteral("Логический контроль : ") + region.code + QStringLiteral(" - ") +
                   region.name;
    }
    void message(const QString& text, platform::Icon icon, const QString& title) override {
        const QString key = QString::number(int(icon)) + QChar(0) + text + QChar(0) + title;
        if (m_shown.contains(key)) return;
        m_shown.insert(key);
        if (m_statusShown != m_region) {
            m_statusShown = m_region;
            m_inner.status(m_region);
        }
        m_inner.message(text, icon, title);
    }
    bool askYesNo(const QString& text, const QString& title) override {
        return m_inner.askYesNo(text, title);
    }
    bool askOkCancel(const QString& text, const QString& title) override {
        return m_inner.askOkCancel(text, title);
    }
    std::optional<QString> inputBox(const QString& text, const QString& title,
                                    const QString& proposal) override {
        return m_inner.inputBox(text, title, proposal);
    }
    void progressStart(int maximum) override { m_inner.progressStart(maximum); }
    void progressValue(int value) override { m_inner.progressValue(value); }
    void progressEnd() override { m_inner.progressEnd(); }
    void status(const QString& text) override { m_inner.status(text); }
    bool stopRequested() override { return m_inner.stopRequested(); }

private:
    platform::Prompt& m_inner;
    QSet<QString> m_shown;
    QString m_region;
    QString m_statusShown;
};

QStringList sectionMarks(const FormControl& form, const StoredForm& stored) {
    QStringList marks;
    for (const SectionOutcome& s : form.sections) {
        if (s.run.stopped() || (!s.mark.isEmpty() && !s.saved))
            marks.append(QStringLiteral("--"));
        else if (s.mark.isEmpty() || !stored.marked(s.section))
            marks.append(QString());
        else
            marks.append(s.mark.mid(3)); // without "PR_"
    }
    return marks;
}

bool regionFailed(const FormControl& form) {
    for (const SectionOutcome& s : form.sections)
        if (s.run.stopped() || s.run.evaluationErrors > 0 || (!s.mark.isEmpty() && !s.saved))
            return true;
    return form.findings && form.reportPath.isEmpty();
}

QString summaryRow(const RegionRun& region, const QString& pageName) {
    QString who = region.code + QStringLiteral(" - ") + region.name;
    if (!pageName.isEmpty())
        who = QStringLiteral("<a href=\"") + pageName + QStringLiteral("\">") + who +
              QStringLiteral("</a>");
    return QStringLiteral("<tr>") + core::CRLF + QStringLiteral("<td><font size=\"2\">") + who +
           QStringLiteral(" : ") + region.marks.join(QLatin1Char(' ')) + QStringLiteral("</td>") +
           QStringLiteral("</tr>") + core::CRLF;
}

// What a run needs to check one region; shared by the threads, read only.
struct RunContext {
    const reference::FormCatalog& catalog;
    const ControlTarget& target;
    const reference::CatalogEntry& form;
    const QString& formName;
    const QString& stem;
    const QDateTime& now;
};

// The whole-form check of one region: its marks written, its page when it has findings.
RegionRun checkRegion(const RunContext& c, const reference::Region& region, FormRules& rules,
                      platform::FolderFiles& folder, platform::Prompt& prompt) {
    RegionRun run;
    run.code = region.code;
    run.name = region.name;
    ControlTarget regionTarget = c.target;
    regionTarget.regionCode = run.code;
    regionTarget.section = 1;
    StoredForm stored(regionTarget.dataKey(), c.form, prompt, &folder);
    const QString caption = data::entryCaption(run.code, run.name, c.formName);
    run.form = checkForm(c.catalog, regionTarget, stored, caption, c.now, prompt, &rules);
    if (run.form.findings)
        run.form.reportPath =
            writeReportPage(run.form.page, c.stem + QLatin1Char('_') + run.code, prompt);
    run.form.page.clear(); // the page is on disk; thousands of them are not kept
    run.marks = sectionMarks(run.form, stored);
    for (int n = 1; n <= c.form.sections.size(); ++n)
        run.fileMarks.append(stored.fileMark(n));
    run.failed = regionFailed(run.form);
    return run;
}

// A region checked, with what its check told.
struct CheckedRegion {
    RegionRun run;
    platform::RecordingPrompt prompt;
};

} // namespace

QString AllRegionsRun::summary() const {
    QString text = QStringLiteral("Проверено регионов : ") + QString::number(regions.size()) +
                   QStringLiteral(", с замечаниями : ") + QString::number(withFindings);
    if (stopped) text += QStringLiteral(", прервано");
    return text;
}

AllRegionsRun controlAllRegions(const reference::FormCatalog& catalog, const ControlTarget& target,
                                const reference::Regions& regions, const QString& formName,
                                const QDateTime& now, platform::Prompt& outer,
                                platform::Browser& browser,
                                const std::function<void(const RegionRun&)>& regionDone) {
    AllRegionsRun result;
    QString basePeriod;
    int entry = -1;
    if (reference::VVOD_Base_Per(target.formCode, core::periodCode(target.year, target.month),
                                 catalog, basePeriod, entry, outer) != 0)
        return result;
    const reference::CatalogEntry& form = catalog.at(entry);
    const int sectionCount = int(form.sections.size());
    if (!Log_Enable(target.formDir, target.formCode, basePeriod, 1, sectionCount).control) {
        outer.message(QStringLiteral("Отсутствуют файлы логического контроля формы ") +
                          target.formCode + QStringLiteral(" : ") +
                          reference::formFolder(target.formDir, target.formCode, basePeriod),
                      platform::Icon::Warning);
        return result;
    }
    result.ran = true;

    // The regions that have sent the form: one listing of the period folder.
    const data::DataKey folderKey{target.datDir, target.year, target.month, target.formCode, {}};
    const platform::FileNames sent(folderKey.dir());
    QList<reference::Region> due;
    for (const std::optional<reference::Region>& region : regions) {
        if (!region) continue;
        for (int n = 1; n <= sectionCount; ++n) {
            if (sent.contains(data::sectionFileName(region->code, n))) {
                due.append(*region);
                break;
            }
        }
    }
    if (due.isEmpty()) {
        outer.message(QStringLiteral("Нет регионов, представивших форму ") + target.formCode +
                          QStringLiteral(" за отчетный период !!!"),
                      platform::Icon::Information);
        return result;
    }

    DistinctMessages prompt(outer);
    const QString stem = F_Name_Now(now);
    const RunContext context{catalog, target, form, formName, stem, now};
    // The regions are checked by two threads, the second at most seven regions ahead of the one
    // taken, so that one region's wait for the disk overlaps the others' work. Each region is
    // checked whole by one thread (the regions are independent: each writes its own files), each
    // thread with its own prepared rules.
    std::array<FormRules, 2> rules;
    rules.fill(readFormRules(target.formDir, target.formCode, basePeriod, sectionCount));
    // The period folder is opened once by each thread, which reads the sections relative to it.
    platform::FolderFiles folders[2] = {platform::FolderFiles(folderKey.dir()),
                                        platform::FolderFiles(folderKey.dir())};
    core::WorkAhead<CheckedRegion> checks(
        int(due.size()), 8, due.size() >= 4, [&](int i, CheckedRegion& checked, int lane) {
            checked.run = checkRegion(context, due.at(i), rules[size_t(lane)],
                                      folders[size_t(lane)], checked.prompt);
        });
    QString rows;
    // Region k as checked: its messages passed on, its result kept.
    const auto take = [&](int k) {
        prompt.setRegion(due.at(k));
        CheckedRegion& checked = checks.take(k);
        checked.prompt.passOn(prompt);
        RegionRun& run = checked.run;
        if (run.form.findings) ++result.withFindings;
        if (run.form.findings || run.failed)
            rows += summaryRow(run, platform::nameOf(run.form.reportPath));
        result.regions.append(std::move(run));
        if (regionDone) regionDone(result.regions.last());
    };
    platform::Progress progress(prompt, int(due.size()));
    int i = 0;
    while (i < due.size()) {
        take(i++);
        if (!progress.step(i)) {
            result.stopped = true;
            break;
        }
    }
    if (result.stopped) {
        // The regions already begun are finished and count as done.
        checks.stop();
        for (; i < due.size() && checks.done(i); ++i)
            take(i);
    }
    progress.finish();
    if (result.stopped) {
        outer.message(platform::stoppedText());
        return result;
    }
    const QString page = Head_HTM(ReportTitle, QStringLiteral("Все регионы. ") + formName, now) +
                         rows + boldRow(result.summary()) + Tail_HTM();
    result.summaryPath = writeReportPage(page, stem, prompt);
    if (!result.summaryPath.isEmpty()) openReport(result.summaryPath, prompt, browser);
    return result;
}

} // namespace mirel::control
