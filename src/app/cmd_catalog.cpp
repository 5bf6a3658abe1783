#include "app/commands.h"
#include "data/sectionfile.h"

namespace mirel::app {

// The form catalog in catalog order: one line per section of every catalogued version, with
// form code, base period, section number, designator, row count and column count.
int cmdCatalog(CommandContext& ctx) {
    if (!ctx.args.isEmpty()) return usage(QStringLiteral("catalog"));
    reference::Session session;
    if (!startSession(ctx, session, false)) return 1;
    for (const reference::CatalogEntry& entry : session.forms) {
        for (int i = 0; i < entry.sections.size(); ++i) {
            const reference::SectionStructure& s = entry.sections.at(i);
            ctx.out << entry.formCode << '\t' << entry.basePeriod << '\t'
                    << data::sectionNumber(i + 1) << '\t' << s.designator << '\t' << s.rows.size()
                    << '\t' << s.columns.size() << '\n';
        }
    }
    return 0;
}

} // namespace mirel::app
