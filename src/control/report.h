#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace mirel::platform {
class Browser;
class Prompt;
} // namespace mirel::platform

namespace mirel::control {

// The title of the control report.
inline const QString ReportTitle = QStringLiteral("Логический контроль.");

// The moment a report is made, as its heading shows it: the date "d mmmm yyyy г. " with the
// month's name in the genitive, as Russian writes a date ("7 декабря 2026 г. "), then the time
// "h.m.s )" without leading zeros ("9.5.3 )").
QString reportStamp(const QDateTime& now);

// The head of a report page: the HTML head, the title with the stamp, the table opened and its
// first bold row holding the subtitle. Lines end with CR LF.
QString Head_HTM(const QString& title, const QString& subtitle, const QDateTime& now);
// The end of a report page.
QString Tail_HTM();
// A one-cell bold row: "<tr>", CR LF, "<td><b>", text, "</b></td>", "</tr>", CR LF.
QString boldRow(const QString& text);
// The rows of a failure list: each block comment opens a row in which the entries that follow
// it are paragraphs; entries before the first comment are rows of their own (upper-cased).
QString reportRows(const QStringList& findings);
// The three bold rows that open a section in the report of a whole form.
QString sectionBanner(const QString& section);

// The stem of a report's name: the moment with every non-digit written as "_"
// ("07_12_2026_09_05_03").
QString F_Name_Now(const QDateTime& now);

// Writes a report page, its code page declared, into the temporary folder under a name nobody
// holds: stem + ".HTM", else stem + "_1.HTM", ... Returns its path; empty after the
// write-error message.
QString writeReportPage(const QString& html, const QString& stem, platform::Prompt& prompt);

// Opens a written page in the browser; when no program shows it, says where it was written
// ("Отчет записан в файл : " and the path).
void openReport(const QString& path, platform::Prompt& prompt, platform::Browser& browser);

// writeReportPage under F_Name_Now(now), then openReport. Returns the path; empty after the
// write-error message.
QString writeReport(const QString& html, const QDateTime& now, platform::Prompt& prompt,
                    platform::Browser& browser);

} // namespace mirel::control
