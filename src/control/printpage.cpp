#include "control/printpage.h"

#include "control/report.h"
#include "core/periods.h"
#include "core/text.h"

namespace mirel::control {
namespace {

QString cell(const QString& open, const QString& text, const QString& close) {
    return open + text + close;
}

} // namespace

QString matrixTitle(const QString& regionCode, const QString& regionName, const QString& formCode,
                    int section, const QString& year, const QString& month) {
    return QStringList{core::Trim(regionCode),       core::Trim(regionName), formCode,
                       data::sectionNumber(section), core::yearCode(year),   core::monthCode(month)}
        .join(QLatin1Char(' '));
}

QString matrixPage(const data::SectionGrid& grid, const QString& title, const QString& subtitle,
                   const QStringList& documentLines, const QDateTime& now) {
    const QString& n = core::CRLF;
    QString html = Head_HTM(title.toHtmlEscaped(), subtitle.toHtmlEscaped(), now);
    html += QStringLiteral("<tr>") + n + QStringLiteral("<td><b>N/N</b></td>");
    for (int c = 1; c <= grid.columns(); ++c) {
        QString head = QString::number(c);
        if (c <= documentLines.size())
            head += QStringLiteral("- ") + documentLines.at(c - 1).toHtmlEscaped();
        html += cell(QStringLiteral("<td><b>"), head, QStringLiteral("</b></td>"));
    }
    html += QStringLiteral("</tr>") + n;
    for (int r = 1; r <= grid.rows(); ++r) {
        // A row counts as empty only when every value is zero: values that cancel out, or
        // fractions below one, are figures like any other.
        bool zero = true;
        for (int c = 1; c <= grid.columns() && zero; ++c)
            zero = data::cellValue(grid.cell(r, c)) == 0;
        const QString label = grid.cell(r, 0).toHtmlEscaped();
        html += QStringLiteral("<tr>") + n;
        html += zero ? cell(QStringLiteral("<td><u>"), label, QStringLiteral("</u></td>"))
                     : cell(QStringLiteral("<td><b>"), label, QStringLiteral("</b></td>"));
        for (int c = 1; c <= grid.columns(); ++c) {
            if (zero) {
                html += QStringLiteral("<td><b>---</b></td>");
                continue;
            }
            const QString value = core::Trim(grid.cell(r, c));
            html += cell(QStringLiteral("<td> "),
                         value.isEmpty() ? QStringLiteral("0") : value.toHtmlEscaped(),
                         QStringLiteral("</td>"));
        }
        html += QStringLiteral("</tr>") + n;
    }
    return html + Tail_HTM();
}

QString Cmd_Matrix(const data::SectionGrid& grid, const QString& title, const QString& subtitle,
                   const QStringList& documentLines, const QDateTime& now, platform::Prompt& prompt,
                   platform::Browser& browser) {
    return writeReport(matrixPage(grid, title, subtitle, documentLines, now), now, prompt, browser);
}

} // namespace mirel::control
