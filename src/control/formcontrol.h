#pragma once

#include <memory>
#include <QDateTime>
#include <QList>
#include <QString>

#include "control/logcontrol.h"
#include "control/target.h"
#include "data/sectiongrid.h"
#include "reference/catalog.h"

namespace mirel::platform {
class Browser;
class Prompt;
} // namespace mirel::platform

namespace mirel::control {

// The single-section run ("Раздела"): the control of the current section without the
// incomplete-control check. Nothing failed: "Нет ошибок !!!"; else the report page (subtitle
// FFF RR YYYY MM COD) is written and opened. The state mark is never changed.
struct SectionControl {
    ControlRun run;
    QString reportPath; // empty when no page was written
};
SectionControl controlSection(const reference::FormCatalog& catalog, const ControlTarget& target,
                              const SectionCells& current, const QDateTime& now,
                              platform::Prompt& prompt, platform::Browser& browser);

// What the whole-form run needs from the place where the sections are held: the entry window
// shows each section in its grid and saves it with its own save; the command loads the stored
// files (StoredForm).
class FormSections {
public:
    virtual ~FormSections() = default;
    // Makes the section (1-based) current and returns its cells; nullptr when it cannot be
    // loaded (its message shown). The cells stay valid until the next load.
    virtual const SectionCells* load(int section) = 0;
    // Saves the current section with the state mark ("PR_++"...); false after the write-error
    // message.
    virtual bool save(int section, const QString& mark) = 0;
    // Asked before each section (1-based, of count): false stops the run; nothing more is
    // loaded or marked and no page is written.
    virtual bool proceed(int section, int count) {
        (void)section;
        (void)count;
        return true;
    }
};

// The sections of a form as stored: each loaded into a grid of its catalogued structure as the
// entry window loads it, and saved back through the grid's save (data and state line). A
// section without a data file is checked as an empty one but not written.
class StoredForm : public FormSections {
public:
    StoredForm(const data::DataKey& key, const reference::CatalogEntry& entry,
               platform::Prompt& prompt);
    const SectionCells* load(int section) override;
    bool save(int section, const QString& mark) override;

private:
    data::DataKey m_key;
    const reference::CatalogEntry& m_entry;
    platform::Prompt& m_prompt;
    data::SectionGrid m_grid;
    std::unique_ptr<GridCells> m_cells;
};

// The outcome of one section in the whole-form run.
struct SectionOutcome {
    int section = 0;
    ControlRun run;     // NoRules: skipped; Stopped: not loaded or stopped by its rules
    QString mark;       // the mark to write ("PR_++"...), empty when none was due
    bool saved = false; // the mark was written
};

struct FormControl {
    bool ran = false; // false when the form is not catalogued for the period (message shown)
    bool stopped = false; // the sections asked to stop (proceed) before the end
    QList<SectionOutcome> sections;
    QString reportPath; // empty when the page could not be written
};

// The whole-form run ("Формы"): every section that has a rule file is loaded, controlled with
// the incomplete-control check and saved with its state mark; the failures of each section
// follow its banner in one page headed by the caption, which is written and opened even when
// nothing failed. A section whose rules stop the run, or that cannot be loaded, keeps its mark
// and the run goes on; so does a section whose mark cannot be written.
FormControl controlForm(const reference::FormCatalog& catalog, const ControlTarget& target,
                        FormSections& sections, const QString& caption, const QDateTime& now,
                        platform::Prompt& prompt, platform::Browser& browser);

} // namespace mirel::control
