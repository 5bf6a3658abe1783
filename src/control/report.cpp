#include "control/report.h"

#include <QLocale>

#include "core/files.h"
#include "core/html.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::control {
namespace {

const QString Font2 = QStringLiteral("<font size=\"2\">");

} // namespace

QString reportStamp(const QDateTime& now) {
    const QString date = QLocale(QLocale::Russian, QLocale::Russia)
                             .toString(now.date(), QStringLiteral("d MMMM yyyy"));
    const QTime t = now.time();
    return date + QStringLiteral(" г. ") + QString::number(t.hour()) + QLatin1Char('.') +
           QString::number(t.minute()) + QLatin1Char('.') + QString::number(t.second()) +
           QStringLiteral(" )");
}

QString Head_HTM(const QString& title, const QString& subtitle, const QDateTime& now) {
    const QString& n = core::CRLF;
    return QStringLiteral("<html>") + n + QStringLiteral("<head>") + n + QStringLiteral("<title>") +
           n + QStringLiteral("Отчет") + n + QStringLiteral("</title>") + n +
           QStringLiteral("</head>") + n + QStringLiteral("<body bgcolor='white'>") + n +
           QStringLiteral("<font face='Arial, Helvetica'>") + n +
           QStringLiteral("<p aline= center><b>") + title + QStringLiteral(" ( ") +
           reportStamp(now) + QStringLiteral("</b><br>") + n + QStringLiteral("</font>") + n +
           QStringLiteral("<hr>") + n + QStringLiteral("<center>") + n +
           QStringLiteral("<font face='Courier New, Courier'>") + n +
           QStringLiteral("<table border>") + n + boldRow(subtitle);
}

QString Tail_HTM() {
    const QString& n = core::CRLF;
    return QStringLiteral("</table>") + n + QStringLiteral("</font>") + n +
           QStringLiteral("</center>") + n + QStringLiteral("</body>") + n +
           QStringLiteral("</html>") + n;
}

QString boldRow(const QString& text) {
    return QStringLiteral("<tr>") + core::CRLF + QStringLiteral("<td><b>") + text +
           QStringLiteral("</b></td>") + QStringLiteral("</tr>") + core::CRLF;
}

QString reportRows(const QStringList& findings) {
    QString html;
    bool inGroup = false;
    auto closeGroup = [&] {
        if (inGroup) html += QStringLiteral("</td>") + QStringLiteral("</tr>") + core::CRLF;
        inGroup = false;
    };
    for (const QString& finding : findings) {
        const QString entry = core::Trim(finding);
        if (entry.startsWith(QLatin1String("//"))) {
            closeGroup();
            html += QStringLiteral("<tr>") + core::CRLF + QStringLiteral("<td><b>") + Font2 +
                    entry.toUpper() + QStringLiteral("</b>");
            inGroup = true;
        } else if (inGroup) {
            html += QStringLiteral("<p>") + Font2 + entry + QStringLiteral("</p>");
        } else {
            html += QStringLiteral("<tr>") + core::CRLF + QStringLiteral("<td>") + Font2 +
                    entry.toUpper() + QStringLiteral("</td>") + QStringLiteral("</tr>") +
                    core::CRLF;
        }
    }
    closeGroup();
    return html;
}

QString sectionBanner(const QString& section) {
    return boldRow(QStringLiteral("*********")) + boldRow(QStringLiteral("РАЗДЕЛ ") + section) +
           boldRow(QStringLiteral("*********"));
}

QString F_Name_Now(const QDateTime& now) {
    QString stem = now.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    for (QChar& c : stem)
        if (!core::isDigit(c)) c = QLatin1Char('_');
    return stem;
}

QString writeReportPage(const QString& html, const QString& stem, platform::Prompt& prompt) {
    return core::Write_New_Text_File(platform::tempDir(), stem, QStringLiteral(".HTM"),
                                     core::withCharset(html), prompt);
}

void openReport(const QString& path, platform::Prompt& prompt, platform::Browser& browser) {
    if (!browser.open(path))
        prompt.message(QStringLiteral("Отчет записан в файл : ") + path,
                       platform::Icon::Information);
}

QString writeReport(const QString& html, const QDateTime& now, platform::Prompt& prompt,
                    platform::Browser& browser) {
    const QString path = writeReportPage(html, F_Name_Now(now), prompt);
    if (!path.isEmpty()) openReport(path, prompt, browser);
    return path;
}

} // namespace mirel::control
