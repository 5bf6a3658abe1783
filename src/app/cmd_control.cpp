#include <cstdio>
#include <QDateTime>

#include "app/commands.h"
#include "app/entrycommand.h"
#include "control/allregions.h"
#include "control/formcontrol.h"
#include "core/config.h"
#include "core/text.h"
#include "data/loadview.h"
#include "platform/fileio.h"

namespace mirel::app {
namespace {

// control FFF --all: the whole-form run of every region that has sent the form. One line per
// region (code, the mark of each section, the path of its page when it has findings), then the
// summary line and the path of the summary page.
int controlAll(CommandContext& ctx, const reference::Session& session, const QString& formCode,
               const QString& formName) {
    // The regions of the register: the classifier of the entry mode.
    const reference::Regions regions =
        core::preamble(session.cnf)
            ? reference::VVOD_A_Reg(session.cnf, session.dir(core::DirSHIF), ctx.prompt)
            : session.regions;
    const control::ControlTarget target{session.dir(core::DirDAT),
                                        session.dir(core::DirFORM),
                                        formCode,
                                        1,
                                        session.year,
                                        session.month,
                                        {}};
    // Ctrl-C stops the run after the region in hand (the command prompt's rule for long jobs).
    const control::AllRegionsRun run = control::controlAllRegions(
        session.forms, target, regions, formName, QDateTime::currentDateTime(), ctx.prompt,
        ctx.browser, [&](const control::RegionRun& region) {
            ctx.out << region.code << '\t' << region.marks.join(QLatin1Char('\t')) << '\t'
                    << region.form.reportPath << '\n';
            ctx.out.flush();
        });
    if (!run.ran) return 1;
    if (!run.regions.isEmpty()) {
        ctx.out << run.summary();
        if (!run.summaryPath.isEmpty()) ctx.out << '\t' << run.summaryPath;
        ctx.out << '\n';
    }
    bool failed = run.stopped || (!run.regions.isEmpty() && run.summaryPath.isEmpty());
    for (const control::RegionRun& region : run.regions)
        failed = failed || region.failed;
    return failed ? 1 : 0;
}

} // namespace

// Logical control of one region's form for the period, on the stored section data files; the form
// must be one the entry window offers for the period (due in the reporting month). With
// --section N the single-section run: the report's path, or "Нет ошибок !!!". Without it the
// whole-form run: every section with rules gets its state mark and the report's path is
// printed. With --all instead of a region, the whole-form run of every region that has sent the
// form. Status 1 when the rules or the data stopped a run, an evaluation failed or a file could
// not be written.
int cmdControl(CommandContext& ctx) {
    const std::optional<QString> sectionOption = ctx.takeOption(QStringLiteral("--section"));
    const bool all = ctx.takeFlag(QStringLiteral("--all"));
    const qsizetype expected = all ? 1 : 2;
    if (ctx.usageError || ctx.args.size() != expected || (all && sectionOption) ||
        ctx.args.first().startsWith(QLatin1String("--")) ||
        ctx.args.last().startsWith(QLatin1String("--")))
        return usage(QStringLiteral("control"));
    int section = 0;
    if (sectionOption) {
        bool ok = false;
        section = sectionOption->toInt(&ok);
        if (!ok || section < 1) return usage(QStringLiteral("control"));
    }
    reference::Session session;
    if (!startSession(ctx, session)) return 1;

    const QString formCode = core::Trim(ctx.args.at(0));
    if (all) {
        const std::optional<QString> formName = commandFormName(ctx, session, formCode);
        if (!formName) return 1;
        QString basePeriod;
        int entryIndex = -1;
        if (reference::VVOD_Base_Per(formCode, session.periodCode(), session.forms, basePeriod,
                                     entryIndex, ctx.prompt) != 0)
            return 1;
        return controlAll(ctx, session, formCode, *formName);
    }
    const QString regionCode = core::Trim(ctx.args.at(1));
    const std::optional<data::EntryForm> entryForm =
        commandEntryForm(ctx, session, formCode, regionCode);
    if (!entryForm) return 1;
    const QString& basePeriod = entryForm->basePeriod;
    const reference::CatalogEntry& entry = entryForm->entry;
    const int sectionCount = entryForm->sectionCount();
    if (section > sectionCount) {
        std::fprintf(stderr, "mirel control: form %s has sections 1 to %d\n",
                     formCode.toUtf8().constData(), sectionCount);
        return 2;
    }

    control::ControlTarget target{session.dir(core::DirDAT),
                                  session.dir(core::DirFORM),
                                  formCode,
                                  section > 0 ? section : 1,
                                  session.year,
                                  session.month,
                                  regionCode};
    control::StoredForm form(target.dataKey(), entry, ctx.prompt);
    const QDateTime now = QDateTime::currentDateTime();

    if (section > 0) {
        const QString rules = control::ruleFilePath(target.formDir, formCode, basePeriod, section);
        if (!platform::fileExists(rules)) {
            ctx.prompt.message(QStringLiteral("Отсутствует файл логического контроля : ") + rules,
                               platform::Icon::Warning);
            return 1;
        }
        const control::SectionCells* cells = form.load(section);
        if (!cells) return 1;
        const control::SectionControl run =
            control::controlSection(session.forms, target, *cells, now, ctx.prompt, ctx.browser);
        if (!run.run.checked()) return 1;
        if (!run.reportPath.isEmpty()) ctx.out << run.reportPath << '\n';
        const bool reportLost = !run.run.findings.isEmpty() && run.reportPath.isEmpty();
        return reportLost || run.run.evaluationErrors > 0 ? 1 : 0;
    }

    if (!control::Log_Enable(target.formDir, formCode, basePeriod, 1, sectionCount).control) {
        ctx.prompt.message(QStringLiteral("Отсутствуют файлы логического контроля формы ") +
                               formCode + QStringLiteral(" : ") +
                               reference::formFolder(target.formDir, formCode, basePeriod),
                           platform::Icon::Warning);
        return 1;
    }
    const control::FormControl run = control::controlForm(
        session.forms, target, form, entryForm->caption, now, ctx.prompt, ctx.browser);
    if (!run.ran) return 1;
    bool failed = run.reportPath.isEmpty();
    for (const control::SectionOutcome& s : run.sections)
        failed = failed || s.run.stopped() || s.run.evaluationErrors > 0 ||
                 (!s.mark.isEmpty() && !s.saved);
    if (!run.reportPath.isEmpty()) ctx.out << run.reportPath << '\n';
    return failed ? 1 : 0;
}

} // namespace mirel::app
