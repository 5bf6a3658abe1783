#include "ui/regionselector.h"

#include <QComboBox>

#include "core/files.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "reference/regions.h"
#include "reference/session.h"

namespace mirel::ui {

RegionRequest regionRequest(const QStringList& lines) {
    RegionRequest request;
    const qsizetype cod = lines.indexOf(QStringLiteral("cod"));
    if (cod < 0) return request;
    request.wanted = true;
    request.code = lines.value(cod + 1);
    request.classifier = QStringLiteral("SHIF.TXT");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (!line.startsWith(QStringLiteral("shif"))) continue;
        // A name written with its extension names the same file, as in the computation.
        request.classifier = (line.endsWith(QStringLiteral(".txt")) ? line.chopped(4) : line) +
                             QStringLiteral(".TXT");
        break;
    }
    return request;
}

bool fillRegionSelector(QComboBox* combo, const QString& queryPath,
                        const reference::Session& session, platform::Prompt& prompt, bool quiet) {
    QStringList lines = core::Read_Lines(queryPath, false, prompt);
    for (QString& line : lines)
        line = line.toLower();
    const RegionRequest request = regionRequest(lines);
    combo->clear();
    if (!request.wanted) {
        combo->hide();
        return true;
    }
    const QString shifDir = session.dir(core::DirSHIF);
    const QString path = shifDir + QLatin1Char('/') + request.classifier;
    combo->show();
    if (!platform::fileExists(path)) {
        if (!quiet) platform::showError(prompt, QStringLiteral("Нет файла !"), path);
        return false;
    }
    reference::Regions regions;
    reference::Load_Regions(regions, shifDir, request.classifier, prompt);
    for (const auto& region : regions)
        if (region) combo->addItem(region->name, region->code);
    combo->setCurrentIndex(combo->findData(request.code));
    return true;
}

} // namespace mirel::ui
