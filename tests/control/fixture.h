#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "control/logcontrol.h"
#include "control/target.h"
#include "data/sectiongrid.h"
#include "platform/prompt.h"
#include "recorderprompt.h"
#include "workspace.h"

namespace mirel::test {

// Keeps the pages a run opens instead of opening them.
class RecorderBrowser : public platform::Browser {
public:
    bool open(const QString& path) override {
        opened.append(path);
        return true;
    }
    QStringList opened;
};

// A workspace with a DAT and a FORM folder, and the section under control in a grid: form 101,
// section 1, region 1401, March 2005, rows x columns cells.
struct ControlFixture {
    TempWorkspace ws;
    RecorderPrompt prompt;
    control::ControlTarget target{ws.file("DAT"), ws.file("FORM"), "101", 1, "2005", "3", "1401"};
    data::SectionGrid grid;

    explicit ControlFixture(
        const QList<QStringList>& cells = {
            {"10", "1", "2"}, {"4", "1", "2"}, {"5", "1", "2"}, {"0", "0", "0"}, {"0", "0", "0"}}) {
        setGrid(cells);
        ws.mkdir("DAT");
        ws.mkdir("FORM");
    }

    void setGrid(const QList<QStringList>& cells) {
        QStringList labels;
        for (int r = 1; r <= cells.size(); ++r)
            labels.append(QString::number(r));
        QStringList titles;
        for (int c = 1; c <= cells.first().size(); ++c)
            titles.append(QString::number(c));
        grid = data::SectionGrid(target.section, titles, labels);
        for (int r = 0; r < cells.size(); ++r)
            for (int c = 0; c < cells.at(r).size(); ++c)
                grid.setCell(r + 1, c + 1, cells.at(r).at(c));
    }

    // Writes a stored section data file of region 1401: "DAT/DAT_YYMM.FFF/1401.RR".
    void writeSection(const QString& yymm, const QString& form, const QString& rr,
                      const QStringList& dataLines) {
        ws.write("DAT/DAT_" + yymm + "." + form + "/1401." + rr,
                 "PR_?\n! 0000 " + form + " " + rr + " " + yymm.left(2) + " " + yymm.mid(2) +
                     " 1401\n" + dataLines.join("\n") + "\n");
    }

    control::ControlRun run(const QString& rules, bool wholeForm = false) {
        const control::GridCells cells(grid);
        return control::runRules(rules, target, cells, wholeForm, prompt);
    }
};

} // namespace mirel::test
