#pragma once

#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

#include "data/entry.h"
#include "data/sectionfile.h"

namespace mirel::platform {
class Browser;
class Prompt;
} // namespace mirel::platform

namespace mirel::data {

// The summary report ("Сводный отчет") of one region's form: HTML templates filled with the
// region's figures for the period.

// The templates the form's text file (FFF_YYMM.TXT of the base period) lists: each line that
// names a file ending in ".HTM" or ".HTML", as written (a name in the form folder, or a path).
QStringList summaryTemplates(const QString& formDir, const QString& formCode,
                             const QString& basePeriod);

// The values of one section for filling: its catalogued rows and columns, and the matrix read
// from its file (nullopt without data).
struct SummarySection {
    int rows = 0;
    int columns = 0;
    std::optional<SectionMatrix> matrix;
};

// Fills one template: ">name_region<", ">gg<" and ">mm<" become the region name, the year and
// the month between ">" and "<"; the first occurrence of each cell marker ">RR\ROW\COL<" of a
// section of the form becomes ">" + the cell's value + "<" ("0" when the section, the row or
// the column has no data). Inserted texts are escaped for HTML.
QString fillSummaryTemplate(const QString& templ, const QString& regionName, const QString& year,
                            const QString& month, const QList<SummarySection>& sections);

// The summary report (VV__Svod): every listed template must exist ("Нет файла " + the name, and
// nothing is written); the sections are read, and when they hold no value at all "Ошибка при
// определении количества показателей !!!" is shown. Otherwise each filled template is written
// into a new file of the temporary folder (template name, "_", COD, "_", YYMM, ".HTM"), the
// message CR LF "Записано :" and the files, one per line, is shown and each page is opened.
// Progress runs over the templates; a stopped run writes nothing. Returns the written paths;
// nullopt after a message that stopped the report (a form without templates says so and gives
// an empty list).
std::optional<QStringList> VV__Svod(const EntryForm& form, platform::Prompt& prompt,
                                    platform::Browser& browser);

} // namespace mirel::data
