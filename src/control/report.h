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

// A new report file in the temporary folder, named after the moment with every non-digit
// written as "_", plus the extension (".HTM"); a name already taken gets "_1", "_2"...
QString F_Name_Now(const QString& extension, const QDateTime& now);

// Writes a report page under a new name (F_Name_Now) and opens it in the browser. Returns its
// path; empty after the write-error message.
QString writeReport(const QString& html, const QDateTime& now, platform::Prompt& prompt,
                    platform::Browser& browser);

} // namespace mirel::control
