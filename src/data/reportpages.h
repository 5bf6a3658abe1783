#pragma once

#include <QString>
#include <QStringList>

#include "data/reports.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::data {

// Report pages: the HTML templates of a form folder filled with one region's stored data.
// A template is any HTML text; the cell texts ">name_region<", ">gg<", ">mm<" and
// ">" + section + "\" + row + "\" + column + "<" (numbers, leading zeros allowed: >1\2\3< and
// >01\2\3< are the same cell) are placeholders.

// The templates of the form version the report applies to: the files of its form folder whose
// names end in ".HTM" (any case), sorted by name. Empty when the form is not catalogued.
QStringList reportTemplates(const QString& formDir, const RegionReport& report,
                            const reference::FormCatalog& forms);

// The number of values of all sections (rows times columns, summed). A section without data
// stops the count with "Ошибка при чтении данных !!!" (title "РАЗДЕЛ " + RR); then, and when
// the count is zero, "Ошибка при определении количества показателей !!!" follows and -1 is
// returned.
qint64 countReportValues(const RegionReport& report, platform::Prompt& prompt);

// The template with its placeholders replaced: the region name (the code when the classifier
// lacks it), the year, the month, and each cell's stored value ("0" for a row or column the
// matrix has not). A cell placeholder of a section the form has not stays as it is.
QString fillReportTemplate(const QString& templ, const RegionReport& report);

// The name of the page written from a template, without ".HTM": FFF_YYMM_COD_ and the
// template's name without its extension; distinct per template, region and period.
QString reportPageStem(const RegionReport& report, const QString& templatePath);

// What writeReportPages did: the pages written, and whether every template was.
struct WrittenPages {
    QStringList pages;
    bool complete = false;
};

// Counts the values (countReportValues), then fills every template and writes each page,
// declaring its code page, as a new file in the working directory under a name nobody holds
// (reportPageStem, then _1, _2...). Progress goes through the prompt. Stops after the message
// when the count fails, a template cannot be read or a page cannot be written, and with
// platform::stoppedText() when the person asks to stop; the pages written until then stay.
WrittenPages writeReportPages(const QString& workDir, const RegionReport& report,
                              const QStringList& templates, platform::Prompt& prompt);

// "Записано :" and the written pages, one per line.
QString writtenPagesText(const QStringList& pages);

} // namespace mirel::data
