#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

namespace mirel::platform {
class Prompt;
}
namespace mirel::reference {
struct Session;
}

namespace mirel::ui {

// What a query asks of the region selector, read from its lines (trimmed, lower-cased): a
// line that reads "cod" asks for the selector, the line after it names the region to
// preselect, and a line beginning "shif" after the first line names the classifier
// ("shif.txt" when there is none).
struct RegionRequest {
    bool wanted = false;
    QString code;
    QString classifier; // file name in the SHIF directory
};
RegionRequest regionRequest(const QStringList& lines);

// Fills the region selector for the query file (a node click): with a "cod" line the
// selector lists the names of the query's classifier, preselects the region of the query and
// is shown; otherwise it is hidden. A classifier file that does not exist gives "Нет файла !"
// (titled with its path, unless quiet) and leaves the selector shown and empty; the result
// is then false.
bool fillRegionSelector(QComboBox* combo, const QString& queryPath,
                        const reference::Session& session, platform::Prompt& prompt,
                        bool quiet = false);

} // namespace mirel::ui
