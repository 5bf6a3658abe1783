#include <csignal>
#include <cstdio>
#include <QDateTime>

#include "app/commands.h"
#include "control/allregions.h"
#include "control/formcontrol.h"
#include "core/config.h"
#include "core/text.h"
#include "data/loadview.h"
#include "platform/fileio.h"

namespace mirel::app {
namespace {

// The name of a region from the start-up classifier, else from the classifier of the
// single-region entry mode; nullopt when neither knows the code.
std::optional<QString> regionNameOf(const reference::Session& session, const QString& code,
                                    platform::Prompt& prompt) {
    if (reference::In_A_Reg(session.regions, code))
        return reference::regionName(session.regions, code);
    if (core::preamble(session.cnf)) {
        const reference::Regions own =
            reference::VVOD_A_Reg(session.cnf, session.dir(core::DirSHIF), prompt);
        if (reference::In_A_Reg(own, code)) return reference::regionName(own, code);
    }
    return std::nullopt;
}

// The prompt of the run over all regions: the command's own, and Ctrl-C asks the run to stop
// after the region in hand (a second Ctrl-C ends the program at once).
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) {
    g_interrupted = 1;
    std::signal(SIGINT, SIG_DFL);
}

class InterruptiblePrompt : public platform::Prompt {
public:
    explicit InterruptiblePrompt(platform::Prompt& inner)
        : m_inner(inner) {
        g_interrupted = 0;
        m_previous = std::signal(SIGINT, onInterrupt);
    }
    ~InterruptiblePrompt() override { std::signal(SIGINT, m_previous); }

    void message(const QString& text, platform::Icon icon = platform::Icon::None,
                 const QString& title = QString()) override {
        m_inner.message(text, icon, title);
    }
    bool askYesNo(const QString& text, const QString& title = QString()) override {
        return m_inner.askYesNo(text, title);
    }
    bool askOkCancel(const QString& text, const QString& title = QString()) override {
        return m_inner.askOkCancel(text, title);
    }
    std::optional<QString> inputBox(const QString& text, const QString& title,
                                    const QString& proposal) override {
        return m_inner.inputBox(text, title, proposal);
    }
    bool stopRequested() override { return g_interrupted != 0; }

private:
    platform::Prompt& m_inner;
    void (*m_previous)(int) = SIG_DFL;
};

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
    InterruptiblePrompt prompt(ctx.prompt);
    const control::AllRegionsRun run = control::controlAllRegions(
        session.forms, target, regions, formName, QDateTime::currentDateTime(), prompt, ctx.browser,
        [&](const control::RegionRun& region) {
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
    const QString regionCode = all ? QString() : core::Trim(ctx.args.at(1));
    std::optional<QString> regionName;
    if (!all) {
        if (regionCode.isEmpty() || !core::Is_All_Digits(regionCode)) {
            platform::showError(ctx.prompt, QStringLiteral("Нечисловое значение кода региона !!!"));
            return 1;
        }
        regionName = regionNameOf(session, regionCode, ctx.prompt);
        if (!regionName) {
            platform::showError(ctx.prompt,
                                QStringLiteral("Код региона отсутствует в классификаторе : ") +
                                    regionCode);
            return 1;
        }
    }
    // The forms the entry window offers: those due in the reporting month.
    const QStringList forms = data::VVOD_Combo_FFF(session, ctx.prompt);
    if (forms.isEmpty()) return 1;
    if (formCode.size() != 3) {
        platform::showError(ctx.prompt, QStringLiteral("Недействительное значение кода формы !!!"));
        return 1;
    }
    const int chosen = data::selectFormEntry(formCode, forms, ctx.prompt);
    if (chosen < 0) return 1;
    QString basePeriod;
    int entryIndex = -1;
    if (reference::VVOD_Base_Per(formCode, session.periodCode(), session.forms, basePeriod,
                                 entryIndex, ctx.prompt) != 0)
        return 1;
    const reference::CatalogEntry& entry = session.forms.at(entryIndex);
    const int sectionCount = int(entry.sections.size());
    if (all) return controlAll(ctx, session, formCode, forms.at(chosen));
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
    const QString caption = data::entryCaption(regionCode, *regionName, forms.at(chosen));
    const control::FormControl run =
        control::controlForm(session.forms, target, form, caption, now, ctx.prompt, ctx.browser);
    if (!run.ran) return 1;
    bool failed = run.reportPath.isEmpty();
    for (const control::SectionOutcome& s : run.sections)
        failed = failed || s.run.stopped() || s.run.evaluationErrors > 0 ||
                 (!s.mark.isEmpty() && !s.saved);
    if (!run.reportPath.isEmpty()) ctx.out << run.reportPath << '\n';
    return failed ? 1 : 0;
}

} // namespace mirel::app
