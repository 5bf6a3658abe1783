#pragma once

#include <functional>
#include <optional>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "control/formcontrol.h"
#include "control/target.h"
#include "reference/catalog.h"
#include "reference/regions.h"

namespace mirel::platform {
class Browser;
class Prompt;
} // namespace mirel::platform

namespace mirel::control {

// One region of the run over all regions.
struct RegionRun {
    QString code;
    QString name;
    FormControl form; // its sections; form.reportPath is its page, written when it has findings
    // One mark per section of the form after the run: the mark written without "PR_" ("++",
    // "??", "0++", "0??"); "--" when the section's check stopped or its mark could not be
    // written; empty when the section has no rules or the region has not sent it.
    QStringList marks;
    // The register's mark of each section file as the run left it (data::registerMarkOf);
    // nullopt for a file the run did not read (a section without rules, or one not readable).
    QList<std::optional<QString>> fileMarks;
    // Something went wrong for the region (a stopped section, a mark or page not written, an
    // evaluation error); its messages were shown.
    bool failed = false;
};

struct AllRegionsRun {
    // false when the form is not catalogued for the period or has no rule file (message shown)
    bool ran = false;
    bool stopped = false;     // the person stopped the run; the regions done are whole
    QList<RegionRun> regions; // the regions checked, in classifier order
    int withFindings = 0;     // regions that have a page
    QString summaryPath;      // the summary page; empty when none was written
    // "Проверено регионов : N, с замечаниями : M" (", прервано" after a stop).
    QString summary() const;
};

// Logical control of the whole form (controlForm) for every region of the classifier that has
// sent the form in the period (has any section data file of it), in classifier order, with
// progress; the person may stop it between two regions (stoppedText() is said). Where the
// machine has two cores the regions are checked by two threads, a few regions ahead of the one
// reported; results, messages and regionDone still come in classifier order, and after a stop
// the regions already begun are finished and reported as done. Every region
// gets its state marks; a region with findings gets its own page (as its whole-form run writes
// it, named after the moment and the region code), and the run ends with a summary page: one
// row per region with findings or faults, its marks and a link to its page, then the totals.
// The summary page is opened; the region pages are not. A message met in several regions (a
// fault of the rules) is shown once; before a message the status text names its region. target
// gives the folders, form and period (its region and section are not used); formName is the text of
// the form selector ("FFF - title"). regionDone, when given, is called after each region.
AllRegionsRun controlAllRegions(const reference::FormCatalog& catalog, const ControlTarget& target,
                                const reference::Regions& regions, const QString& formName,
                                const QDateTime& now, platform::Prompt& prompt,
                                platform::Browser& browser,
                                const std::function<void(const RegionRun&)>& regionDone = {});

} // namespace mirel::control
