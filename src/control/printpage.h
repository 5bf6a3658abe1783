#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "data/sectiongrid.h"

namespace mirel::platform {
class Browser;
class Prompt;
} // namespace mirel::platform

namespace mirel::control {

// The printable page of a section as the entry window shows it ("Печать" / "Документ").

// The title of the page: region code, region name, form code, section, year and month,
// separated by blanks.
QString matrixTitle(const QString& regionCode, const QString& regionName, const QString& formCode,
                    int section, const QString& year, const QString& month);

// The page: the head of the control report (title, the window's caption as subtitle), a header
// row "N/N" and the column numbers, each followed by "- " and the corresponding line of the
// section document when there is one (documentLines), then one row per grid row. A row with a
// value other than zero shows its label in bold and every value ("0" for an empty cell); a row
// whose values are all zero shows its label underlined and "---" in every value cell. Texts
// from the grid are escaped for HTML.
QString matrixPage(const data::SectionGrid& grid, const QString& title, const QString& subtitle,
                   const QStringList& documentLines, const QDateTime& now);

// Cmd_Matrix: writes the page into a new file of the temporary folder and opens it, as the
// control reports are (writeReport). Returns its path; empty after the write-error message.
QString Cmd_Matrix(const data::SectionGrid& grid, const QString& title, const QString& subtitle,
                   const QStringList& documentLines, const QDateTime& now, platform::Prompt& prompt,
                   platform::Browser& browser);

} // namespace mirel::control
