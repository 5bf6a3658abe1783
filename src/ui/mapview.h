#pragma once

#include <QObject>
#include <QPointer>

#include "ui/form_map.h"

namespace mirel::query {
struct QueryResult;
}

namespace mirel::ui {

class Frm_mirel;
class QueryTree;

// Thematic maps in the main window: "Карта" beside a computed table (Cmd_Map_Click) asks for
// the map name, writes the map data file of the grid's current column into the MAP folder and
// opens "Картографический интерпретатор." with that map drawn. A map query (its path holds
// "КАРТА") writes the map "" (shown as "Данные") from its first column and opens the window in
// place of the table.
class MapView : public QObject {
    Q_OBJECT
public:
    explicit MapView(Frm_mirel& window);

    void Cmd_Map_Click();
    // The map of a map query; false when it could not be written (the table is shown then).
    bool drawQueryMap(const query::QueryResult& result);

    // The map window opened last (while it is open).
    Form_map* mapWindow() const { return m_maps; }

private:
    // Opens the map window with the named map selected and drawn.
    void openMaps(const QString& name);

    Frm_mirel& m_window;
    QueryTree* m_tree = nullptr;
    QPointer<Form_map> m_maps;
};

} // namespace mirel::ui
