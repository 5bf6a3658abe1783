#include "exchange/importlog.h"

#include "control/report.h"
#include "core/files.h"
#include "core/html.h"
#include "core/periods.h"
#include "core/text.h"

namespace mirel::exchange {

QString logFileName(const QString& year, const QString& month, const QString& formCode) {
    return QStringLiteral("LOG_") + core::yearCode(year) + QLatin1Char('_') +
           core::monthCode(month) + QLatin1Char('_') + formCode + QStringLiteral(".HTM");
}

QString insertionRow() {
    return logRow(QStringLiteral("***"));
}

QString logRow(const QString& text) {
    static const QString before = QStringLiteral("<tr>\r\n<td><b>");
    static const QString after = QStringLiteral("</b></td></tr>\r\n");
    QString row;
    row.reserve(before.size() + text.size() + after.size());
    row += before;
    row += text;
    row += after;
    return row;
}

QString Head_Log_File(const QString& year, const QString& month, const QString& formCode,
                      const QDateTime& now) {
    const QString& n = core::CRLF;
    const QString page =
        QStringLiteral("<html>") + n + QStringLiteral("<head>") + n + QStringLiteral("<title>") +
        n + QStringLiteral("Отчет") + n + QStringLiteral("</title>") + n +
        QStringLiteral("</head>") + n + QStringLiteral("<body bgcolor='white'>") + n +
        QStringLiteral("<font face='Arial, Helvetica'>") + n +
        QStringLiteral("<p aline= center><b>ЛОГИЧЕСКИЙ КОНТРОЛЬ по форме ") + formCode +
        QStringLiteral(" за период : ") + core::yearCode(year) + QLatin1Char(' ') +
        core::monthCode(month) + QStringLiteral(" ( ") + control::reportStamp(now) +
        QStringLiteral("</b><br>") + n + QStringLiteral("</font>") + n + QStringLiteral("<hr>") +
        n + QStringLiteral("<center>") + n + QStringLiteral("<font face='Courier New, Courier'>") +
        n + QStringLiteral("<table border>") + n + insertionRow() + QStringLiteral("</table>") + n +
        QStringLiteral("</font>") + n + QStringLiteral("</center>") + n +
        QStringLiteral("</body>") + n + QStringLiteral("</html>") + n;
    return core::withCharset(page);
}

QStringList regionRows(const QString& cod, const QString& regionName) {
    static const QString line = logRow(QString(75, QLatin1Char('_')));
    return {line, logRow(cod + QStringLiteral(" - ") + regionName)};
}

QString sectionRow(int section) {
    return logRow(QStringLiteral("РАЗДЕЛ ") + QString::number(section));
}

QString missingRow(const QString& formCode, const QString& section, const QString& year,
                   const QString& month) {
    return logRow(QStringLiteral("Отсутствуют данные по форме ") + formCode +
                  QStringLiteral(" (раздел ") + section +
                  QStringLiteral(") за отчетный период : ") + core::yearCode(year) +
                  QLatin1Char(' ') + core::monthCode(month));
}

bool ImportLog::open(const QString& dir, const QString& year, const QString& month,
                     const QString& formCode, const QDateTime& now, platform::Prompt& prompt) {
    const QString path = dir + QLatin1Char('/') + logFileName(year, month, formCode);
    const QString text = Head_Log_File(year, month, formCode, now);
    if (core::Write_Text_File(path, text, prompt) != 0) return false;
    m_path = path;
    m_text = text;
    m_insertAt = m_text.lastIndexOf(insertionRow());
    m_dirty = false;
    return true;
}

void ImportLog::add(const QStringList& rows) {
    for (const QString& row : rows)
        add(row);
}

void ImportLog::add(const QString& row) {
    if (m_path.isEmpty() || m_insertAt < 0) return;
    m_text.insert(m_insertAt, row);
    m_insertAt += row.size();
    m_dirty = true;
}

bool ImportLog::flush(platform::Prompt& prompt) {
    if (m_path.isEmpty() || !m_dirty) return true;
    if (core::Write_Text_File(m_path, m_text, prompt) != 0) return false;
    m_dirty = false;
    return true;
}

} // namespace mirel::exchange
