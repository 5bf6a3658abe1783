#include "ui/mapview.h"

#include <QTableWidget>

#include "maps/mapdata.h"
#include "query/runquery.h"
#include "ui/form_map.h"
#include "ui/frm_mirel.h"
#include "ui/querytree.h"
#include "ui/resultgrid.h"

namespace mirel::ui {

MapView::MapView(Frm_mirel& window)
    : QObject(&window)
    , m_window(window) {
    setObjectName(QStringLiteral("MapView"));
    m_tree = window.findChild<QueryTree*>();
    if (!m_tree) return;
    m_tree->resultGrid().setMapAction([this] { Cmd_Map_Click(); });
    m_tree->drawMap = [this](const query::QueryResult& result) { return drawQueryMap(result); };
}

void MapView::Cmd_Map_Click() {
    // Grid column k shows query column k + 1; the label column is the grid's header.
    const int column = std::max(1, m_window.controls().Grid->currentColumn() + 1);
    platform::Prompt& prompt = m_window.prompt();
    const QString name = maps::F_Map_Name(prompt, column);
    QString path;
    const maps::Prepared prepared =
        maps::prepareMap(m_tree->lastResult().table.matrix, column, name,
                         m_window.session().dir(core::DirMAP), prompt, path);
    if (prepared == maps::Prepared::Written) openMaps(name);
}

bool MapView::drawQueryMap(const query::QueryResult& result) {
    QString path;
    if (!maps::writeMapData(result.table.matrix, 1, QString(), m_window.session().dir(core::DirMAP),
                            m_window.prompt(), path))
        return false;
    openMaps(QString());
    return true;
}

void MapView::openMaps(const QString& name) {
    if (m_maps) m_maps->close();
    auto* maps = new Form_map(m_window.session().dir(core::DirMAP), m_window.prompt(), &m_window);
    maps->setAttribute(Qt::WA_DeleteOnClose);
    if (!maps->Form_Load()) {
        delete maps;
        return;
    }
    m_maps = maps;
    maps->setWindowModality(Qt::ApplicationModal);
    maps->show();
    if (maps->selectMap(name)) maps->Cmd_Map_Click();
}

} // namespace mirel::ui
