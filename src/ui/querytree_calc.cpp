#include <QComboBox>
#include <QElapsedTimer>
#include <QTreeWidget>

#include "core/config.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "query/runquery.h"
#include "ui/frm_mirel.h"
#include "ui/messageboxprompt.h"
#include "ui/querytree.h"
#include "ui/resultgrid.h"

namespace mirel::ui {

query::RegionSelector QueryTree::regionSelector() const {
    const QComboBox* combo = m_window.controls().Combo_REG;
    query::RegionSelector selector;
    if (combo->isHidden()) return selector;
    if (combo->currentIndex() < 0) {
        selector.state = query::RegionSelector::State::Empty;
        return selector;
    }
    selector.state = query::RegionSelector::State::Chosen;
    selector.code = combo->currentData().toString();
    selector.text = combo->currentText();
    return selector;
}

// Computes the selected query. The table goes into the result grid; the grid is shown unless
// the configuration has the table written as HTML ("IE"), which the computation has done.
void QueryTree::calculate() {
    if (!isActive()) return;
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!isQuery(item)) return;
    const QString path = item->data(0, PathRole).toString();
    query::RunOptions options;
    options.selector = regionSelector();
    // "MULTY_REG" names every region in the caption: a few times a second is what can be read.
    QElapsedTimer sinceCaption;
    options.caption = [this, &sinceCaption](const QString& text) {
        const bool last = text == QStringLiteral("Мирель.");
        if (!last && sinceCaption.isValid() && sinceCaption.elapsed() < 100) return;
        sinceCaption.start();
        m_window.setWindowTitle(text);
    };

    platform::Prompt& p = prompt();
    p.status(item->text(0));
    query::QueryResult result;
    const int status =
        query::runQuery(path, m_window.session(), p, m_window.browser(), options, result);
    p.status(QString());
    m_lastResult = result;
    // No program showed the page: say where it is (the grid shows the table below).
    if (!result.page.isEmpty() && !result.pageShown)
        p.message(pageNotShownText(result.page), platform::Icon::Warning);

    if (!result.generated.isEmpty()) {
        // The generated queries stand beside the generating one: show them.
        loadQueryTree();
        if (QTreeWidgetItem* again = nodeByKey(path)) {
            m_tree->setCurrentItem(again);
            m_tree->scrollToItem(again);
        }
        return;
    }
    if (status != 0 || !result.hasTable) return;
    if (result.map && drawMap && drawMap(result)) return;
    const query::Table& table = result.table;
    // With "IE" the page is the output; when no program showed it, the grid shows the table.
    const bool html = core::hasIniEntry(m_window.session().cnf, QStringLiteral("IE"));
    m_grid->fill(gridTable(table.matrix, table.columns, table.header), !html || !result.pageShown,
                 path);
}

} // namespace mirel::ui
