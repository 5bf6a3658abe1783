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
    // A run over many regions stamps every page with the same moment: it is written once.
    thread_local QDate lastDate;
    thread_local QTime lastTime;
    thread_local QString lastStamp;
    const QTime t = now.time();
    if (!lastStamp.isEmpty() && now.date() == lastDate && t == lastTime) return lastStamp;
    const QString date = QLocale(QLocale::Russian, QLocale::Russia)
                             .toString(now.date(), QStringLiteral("d MMMM yyyy"));
    lastStamp = date + QStringLiteral(" г. ") + QString::number(t.hour()) + QLatin1Char('.') +
                QString::number(t.minute()) + QLatin1Char('.') + QString::number(t.second()) +
                QStringLiteral(" )");
    lastDate = now.date();
    lastTime = t;
    return lastStamp;
}

// The page's text is put together in one buffer: a page is written for every region checked.
QString Head_HTM(const QString& title, const QString& subtitle, const QDateTime& now) {
    const QString stamp = reportStamp(now);
    QString page;
    page.reserve(400 + title.size() + stamp.size() + subtitle.size());
    page += u"<html>\r\n<head>\r\n<title>\r\nОтчет\r\n</title>\r\n</head>\r\n"
            u"<body bgcolor='white'>\r\n<font face='Arial, Helvetica'>\r\n<p aline= center><b>";
    page += title;
    page += u" ( ";
    page += stamp;
    page += u"</b><br>\r\n</font>\r\n<hr>\r\n<center>\r\n<font face='Courier New, Courier'>\r\n"
            u"<table border>\r\n";
    page += boldRow(subtitle);
    return page;
}

QString Tail_HTM() {
    return QStringLiteral("</table>\r\n</font>\r\n</center>\r\n</body>\r\n</html>\r\n");
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
