#pragma once

#include <functional>
#include <QStringList>

#include "platform/prompt.h"
#include "recorderprompt.h"
#include "workspace.h"

namespace mirel::ui {
class Form_YYYYMM;
class Frm_mirel;
} // namespace mirel::ui

namespace mirel::test {

// Keeps the pages the window would have opened.
class RecorderBrowser : public platform::Browser {
public:
    bool open(const QString& path) override {
        opened.append(path);
        return shows;
    }
    QStringList opened;
    bool shows = true; // false: no program showed the page
};

// Writes the configuration and what start-up needs beside it to run without a message: one
// form in the catalog, a region classifier and the pictures of the query tree.
void writeStartableWorkspace(const TempWorkspace& ws, const QString& ini);
// Copies the four pictures of the query tree from the demo workspace.
void copyTreePictures(const TempWorkspace& ws);

// Chooses "Отчетный период" in the window's menu and runs the steps on the open dialog. The
// dialog is left with Escape when the steps leave it open. False when no dialog was shown.
bool withPeriodDialog(ui::Frm_mirel& window, const std::function<void(ui::Form_YYYYMM&)>& steps);

} // namespace mirel::test
