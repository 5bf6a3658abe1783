#include "app/entrycommand.h"

#include "core/config.h"
#include "core/text.h"
#include "data/loadview.h"
#include "platform/prompt.h"

namespace mirel::app {

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

std::optional<data::EntryForm> commandEntryForm(CommandContext& ctx,
                                                const reference::Session& session,
                                                const QString& formCode,
                                                const QString& regionCode) {
    const QString code = core::Trim(regionCode);
    if (code.isEmpty() || !core::Is_All_Digits(code)) {
        platform::showError(ctx.prompt, QStringLiteral("Нечисловое значение кода региона !!!"));
        return std::nullopt;
    }
    const std::optional<QString> name = regionNameOf(session, code, ctx.prompt);
    if (!name) {
        platform::showError(ctx.prompt,
                            QStringLiteral("Код региона отсутствует в классификаторе : ") + code);
        return std::nullopt;
    }
    const std::optional<QString> formName = commandFormName(ctx, session, formCode);
    if (!formName) return std::nullopt;
    return data::openEntryForm(session, data::entryCaption(code, *name, *formName), ctx.prompt);
}

std::optional<QString> commandFormName(CommandContext& ctx, const reference::Session& session,
                                       const QString& formCode) {
    // The forms the entry window offers: those due in the reporting month.
    const QStringList forms = data::VVOD_Combo_FFF(session, ctx.prompt);
    if (forms.isEmpty()) return std::nullopt;
    const QString form = core::Trim(formCode);
    if (form.size() != 3) {
        platform::showError(ctx.prompt, QStringLiteral("Недействительное значение кода формы !!!"));
        return std::nullopt;
    }
    const int chosen = data::selectFormEntry(form, forms, ctx.prompt);
    if (chosen < 0) return std::nullopt;
    return forms.at(chosen);
}

bool formAndRegion(const CommandContext& ctx, int count) {
    if (ctx.usageError || ctx.args.size() != count) return false;
    for (const QString& a : ctx.args)
        if (a.startsWith(QLatin1String("--"))) return false;
    return true;
}

} // namespace mirel::app
