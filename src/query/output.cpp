#include "query/output.h"

#include <functional>

#include "core/files.h"
#include "core/lists.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "query/queryfile.h"

namespace mirel::query {
namespace {

// Region names are text, not markup.
QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString cellText(const Table& table, int row, int column) {
    if (row < 0 || row >= table.matrix.size()) return QString();
    return escaped(table.matrix.at(row).value(column == 0 ? 0 : column + 1));
}

// Replaces placeholders "1\" a "\" b (with ">" before and "<" after when delimited) for which
// value(a, b) gives a text; the others stay.
using PlaceholderValue = std::function<std::optional<QString>(int, int)>;
QString replacePlaceholders(const QString& text, bool delimited, const PlaceholderValue& value) {
    const QString mark = delimited ? QStringLiteral(">1\\") : QStringLiteral("1\\");
    QString out;
    qsizetype from = 0;
    qsizetype i = text.indexOf(mark);
    while (i >= 0) {
        const bool standalone = delimited || i == 0 || !core::isDigit(text.at(i - 1));
        qsizetype j = i + mark.size();
        qsizetype a0 = j;
        while (j < text.size() && core::isDigit(text.at(j)))
            ++j;
        const QString a = text.mid(a0, j - a0);
        QString b;
        bool ok = standalone && !a.isEmpty() && a.size() < 9 && j < text.size() &&
                  text.at(j) == QLatin1Char('\\');
        if (ok) {
            const qsizetype b0 = ++j;
            while (j < text.size() && core::isDigit(text.at(j)))
                ++j;
            b = text.mid(b0, j - b0);
            ok = !b.isEmpty() && b.size() < 9 &&
                 (!delimited || (j < text.size() && text.at(j) == QLatin1Char('<')));
        }
        std::optional<QString> v;
        if (ok) v = value(a.toInt(), b.toInt());
        if (v) {
            out += text.mid(from, i - from);
            out += delimited ? QLatin1Char('>') + *v + QLatin1Char('<') : *v;
            from = delimited ? j + 1 : j;
            i = text.indexOf(mark, from);
        } else {
            i = text.indexOf(mark, i + 1);
        }
    }
    out += text.mid(from);
    return out;
}

// Start of the table row ("<tr>" or "<tr ...>") that holds position pos, -1 when none.
qsizetype rowStart(const QString& text, qsizetype pos) {
    qsizetype i = text.lastIndexOf(QStringLiteral("<tr"), pos, Qt::CaseInsensitive);
    while (i >= 0) {
        const QChar next = i + 3 < text.size() ? text.at(i + 3) : QChar();
        if (next == QLatin1Char('>') || next.isSpace()) return i;
        i = i == 0 ? -1 : text.lastIndexOf(QStringLiteral("<tr"), i - 1, Qt::CaseInsensitive);
    }
    return -1;
}

qsizetype nextRowStart(const QString& text, qsizetype from) {
    qsizetype i = text.indexOf(QStringLiteral("<tr"), from, Qt::CaseInsensitive);
    while (i >= 0) {
        const QChar next = i + 3 < text.size() ? text.at(i + 3) : QChar();
        if (next == QLatin1Char('>') || next.isSpace()) return i;
        i = text.indexOf(QStringLiteral("<tr"), i + 3, Qt::CaseInsensitive);
    }
    return -1;
}

std::optional<QString> rowTemplatePage(const QString& text, const Table& table) {
    const qsizetype marker = text.indexOf(QStringLiteral(">1\\1\\0<"));
    const qsizetype start = rowStart(text, marker);
    const qsizetype close = text.indexOf(QStringLiteral("</tr>"), marker, Qt::CaseInsensitive);
    if (start < 0 || close < 0) return std::nullopt;
    const qsizetype end = close + 5;
    const QString row = text.mid(start, end - start);
    QString out = text.left(start);
    for (int r = 0; r < table.matrix.size(); ++r)
        out += replacePlaceholders(row, true, [&](int a, int j) -> std::optional<QString> {
            if (a != 1 || j > table.columns) return std::nullopt;
            return cellText(table, r, j);
        });
    out += text.mid(end);
    return out;
}

std::optional<QString> regionBlocksPage(const QString& text, const Table& table) {
    QList<qsizetype> starts;
    for (qsizetype i = nextRowStart(text, 0); i >= 0; i = nextRowStart(text, i + 3))
        starts.append(i);
    if (starts.isEmpty()) return std::nullopt;
    QStringList rows;
    for (int k = 0; k < starts.size(); ++k)
        rows.append(k + 1 < starts.size() ? text.mid(starts.at(k), starts.at(k + 1) - starts.at(k))
                                          : text.mid(starts.at(k)));
    // The last row ends at its "</tr>"; what follows it is the tail.
    QString tail;
    const qsizetype lastClose =
        rows.last().indexOf(QStringLiteral("</tr>"), 0, Qt::CaseInsensitive);
    if (lastClose >= 0) {
        tail = rows.last().mid(lastClose + 5);
        rows.last().truncate(lastClose + 5);
    }
    int first = -1;
    for (int k = 0; k < rows.size() && first < 0; ++k)
        if (rows.at(k).contains(QStringLiteral("1\\1\\1"))) first = k;
    if (first < 0 || table.blockRows < 1) return std::nullopt;
    int count = 0;
    while (
        first + count < rows.size() &&
        rows.at(first + count)
            .contains(QStringLiteral("1\\") + QString::number(count + 1) + QStringLiteral("\\1")))
        ++count;
    QString out = text.left(starts.first());
    for (int k = 0; k < first; ++k)
        out += rows.at(k);
    const int blocks = int(table.matrix.size()) / table.blockRows;
    for (int b = 0; b < blocks; ++b)
        for (int k = 0; k < count; ++k)
            out += replacePlaceholders(
                rows.at(first + k), false, [&](int a, int j) -> std::optional<QString> {
                    if (a != k + 1 || j > table.columns) return std::nullopt;
                    const QString v = cellText(table, b * table.blockRows + k, j);
                    return v.startsWith(QLatin1Char('*')) ? QStringLiteral("***") : v;
                });
    for (int k = first + count; k < rows.size(); ++k)
        out += rows.at(k);
    return out + tail;
}

} // namespace

PageTexts pageTexts(const Table& table, const reference::Session& session,
                    const RegionSelector& selector) {
    PageTexts t;
    t.region = selector.state == RegionSelector::State::Hidden ? table.regionName : selector.text;
    t.year = core::Trim(session.year);
    t.month = core::Trim(session.month);
    t.period =
        core::Month_Name(core::wholeInt(core::Val(session.month))) + QLatin1Char(' ') + t.year;
    return t;
}

QString templatePage(const QString& templ, const Table& table, const PageTexts& texts) {
    QString text = templ;
    text.replace(QStringLiteral("наименование_региона"), escaped(texts.region));
    text.replace(QStringLiteral("отчетный_период"), texts.period);
    if (text.contains(QStringLiteral(">1\\1\\0<")))
        if (const auto page = rowTemplatePage(text, table)) return *page;
    if (table.layout == QStringLiteral("MULTY_REG Y"))
        if (const auto page = regionBlocksPage(text, table)) return *page;
    return replacePlaceholders(text, true, [&](int r, int j) -> std::optional<QString> {
        if (r < 1 || r > table.matrix.size() || j > table.columns) return std::nullopt;
        return cellText(table, r - 1, j);
    });
}

QString plainTablePage(const Table& table, const PageTexts& texts) {
    const QString& nl = core::CRLF;
    QString page;
    page += QStringLiteral("<html") + nl;
    page += QStringLiteral("<body lang=RU style='tab-interval:35.4pt'>") + nl;
    page += QStringLiteral("<div class=Section1>") + nl;
    page += QStringLiteral("<table border=1 cellspacing=0 cellpadding=0 style='border-collapse:"
                           "collapse;border:none;mso-border-alt:solid windowtext .5pt;"
                           "mso-padding-alt:0cm 5.4pt 0cm 5.4pt'>") +
            nl;
    page += QStringLiteral("<tr> <td>") + texts.year + QLatin1Char(' ') + texts.month +
            QStringLiteral(". ") + escaped(texts.region) + QStringLiteral("</td> <tr>") + nl;
    const int gridColumns = table.columns + 1 + (table.layout.isEmpty() ? 0 : 1);
    const QString span = QStringLiteral(
        "style='font-size:8.0pt;mso-bidi-font-size:12.0pt;mso-ansi-language:EN-US'>");
    const QString spanEnd = QStringLiteral("<u2:p></u2:p></span></p>");
    for (int r = 0; r < table.matrix.size(); ++r) {
        page += QStringLiteral("<tr>") + nl;
        page += QStringLiteral("  <td width=222 valign=top style='width:159.5pt;border:solid "
                               "windowtext .5pt;") +
                nl;
        page += QStringLiteral("  padding:0cm 5.4pt 0cm 5.4pt'>") + nl;
        page += QStringLiteral("<p class=MsoNormal><span lang=EN-US ") + nl;
        page += span + cellText(table, r, 0) + spanEnd + nl;
        page += QStringLiteral("</td>") + nl;
        for (int k = 1; k < gridColumns; ++k)
            page += QStringLiteral("<td width=99 valign=top style='width:159.5pt;border:solid "
                                   "windowtext .5pt;border-left:none;mso-border-left-alt:solid "
                                   "windowtext .5pt;padding:0cm 5.4pt 0cm 5.4pt'><p "
                                   "class=MsoNormal align=right style='text-align:right'><span "
                                   "lang=EN-US ") +
                    span + cellText(table, r, k) + spanEnd + QStringLiteral("</td>") + nl;
        page += QStringLiteral(" </tr>") + nl;
    }
    page += QStringLiteral("</table>") + nl;
    page += QStringLiteral("<p class=MsoNormal><u2:p></u2:p><![if !supportEmptyParas]>&nbsp;"
                           "<![endif]><o:p></o:p></p>") +
            nl;
    page += QStringLiteral("</div>") + nl + QStringLiteral("</body>") + nl +
            QStringLiteral("</html>") + nl;
    return page;
}

bool pageHead(const QString& page, QString& head) {
    const qsizetype body = page.indexOf(QStringLiteral("<body"), 0, Qt::CaseInsensitive);
    if (body < 0) return false;
    const qsizetype close = page.indexOf(QLatin1Char('>'), body);
    head = close < 0 ? page : page.left(close + 1);
    return true;
}

bool pageBody(const QString& page, QString& body) {
    const qsizetype open = page.indexOf(QStringLiteral("<body"), 0, Qt::CaseInsensitive);
    if (open < 0) return false;
    qsizetype start = page.indexOf(QLatin1Char('>'), open);
    start = start < 0 ? page.size() : start + 1;
    qsizetype end = page.indexOf(QStringLiteral("</body>"), start, Qt::CaseInsensitive);
    if (end < 0) end = page.size();
    body = page.mid(start, end - start);
    return true;
}

QString temporaryPageName(const QTime& time) {
    return QString::number(time.msecsSinceStartOfDay() / 1000) + QStringLiteral(".HTM");
}

QString fileNameOf(const QString& rowLine) {
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    QString name;
    for (QChar c : rowLine)
        name += forbidden.contains(c) || c.unicode() < 32 ? QLatin1Char('_') : c;
    name = core::Trim(name).left(100);
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

int generateTemplateQueries(const QString& path, const reference::Session& session,
                            platform::Prompt& prompt, QStringList& written) {
    const QString templPath = templatePath(path);
    if (!platform::fileExists(templPath)) {
        prompt.message(QStringLiteral("Отсутствует шапка шаблона запроса !"));
        return -1;
    }
    const QString stem = platform::nameOf(path).left(11);
    const QString form = stem.left(3);
    const QString year = QString::number(2000 + stem.mid(4, 2).toInt());
    const QString month = stem.mid(6, 2);
    const QString section = stem.mid(9, 2);
    const QString basePeriod = year + month;
    const QString folder = reference::formFolder(session.dir(core::DirFORM), form, basePeriod);
    if (!platform::dirExists(folder)) {
        prompt.message(QStringLiteral("Отсутствуют настройки на форму ") + form +
                           QStringLiteral(" !"),
                       platform::Icon::None,
                       QStringLiteral("Дата изменения формы - ") + year + QLatin1Char('_') + month);
        return -1;
    }
    const QString descriptionPath = folder + QLatin1Char('/') + stem + QStringLiteral(".TXT");
    if (!platform::fileExists(descriptionPath)) {
        prompt.message(QStringLiteral("Отсутствуют описатели раздела !"));
        return -1;
    }
    const int entry = reference::Find_Catalog_Entry(session.forms, form, basePeriod) - 1;
    if (entry < 0) {
        prompt.message(QStringLiteral("Ошибка при определении количества строк и граф !"));
        return -1;
    }
    const int sectionNo = section.toInt();
    const auto& sections = session.forms.at(entry).sections;
    if (sectionNo < 1 || sectionNo > sections.size()) {
        prompt.message(QStringLiteral("Ошибка при определении количества строк и граф раздела !"));
        return -1;
    }
    const reference::SectionStructure& structure = sections.at(sectionNo - 1);
    // The description lists the columns (its header) and then the rows of the printed table.
    const QStringList description = core::Read_Lines(descriptionPath, false, prompt);
    const int header = int(structure.columns.size());
    if (core::isEmptyList(description) || description.size() < header) {
        prompt.message(QStringLiteral("Неверно сформированы описатели раздела !"),
                       platform::Icon::Error);
        return -1;
    }
    const QString queryText = core::Read_Whole_File(path, false, prompt);
    const QString templ = core::Read_Whole_File(templPath, false, prompt);
    const QString dir = platform::parentOf(path);
    bool rowTemplate = false;
    for (const QString& row : structure.rows)
        rowTemplate = rowTemplate || row.contains(QLatin1Char('I'));

    if (!rowTemplate) {
        const QStringList rows = description.mid(header);
        QStringList used{stem.toUpper()};
        for (int k = 0; k < rows.size(); ++k) {
            QString name = fileNameOf(rows.at(k));
            if (name.isEmpty() || used.contains(name.toUpper()))
                name += QLatin1Char('_') + QString::number(k + 1);
            used.append(name.toUpper());
            QString rowName = rows.at(k);
            if (!rowName.isEmpty() && core::isDigit(rowName.at(0)) &&
                rowName.contains(QLatin1Char(' ')))
                rowName = core::Trim(rowName.mid(rowName.indexOf(QLatin1Char(' ')) + 1));
            QString text = queryText;
            text.replace(QStringLiteral("\\?\\"),
                         QLatin1Char('\\') + QString::number(k + 1) + QLatin1Char('\\'));
            QString page = templ;
            page.replace(QStringLiteral("наименование_строки"), rowName);
            // A query or template of that name already in the folder is kept: the pair takes
            // the next free name.
            const QString stemUsed = core::Write_New_Text_Files(
                dir, name, {{QStringLiteral(".PSP"), text}, {QStringLiteral(".HTM"), page}},
                prompt);
            if (stemUsed.isEmpty()) return -1;
            used.append(stemUsed.toUpper());
            written.append(dir + QLatin1Char('/') + stemUsed + QStringLiteral(".PSP"));
        }
        prompt.message(QStringLiteral("Закончена генерация паспортов счета таблиц !"));
        return 0;
    }

    // Rows given by a template: one query over every row ("STR I") with a row-template table.
    QString text = queryText;
    text.replace(QStringLiteral("\\?\\"), QStringLiteral("\\I\\"));
    QStringList lines = platform::splitFileLines(text);
    int columns = 0;
    for (QString& line : lines) {
        QString rest = core::Trim(line);
        if (rest.toUpper().startsWith(QStringLiteral("STR"))) line = QStringLiteral("STR I");
        const QString digits = core::Cut_Lead_Digits(rest);
        if (!digits.isEmpty() && rest.startsWith(QLatin1Char('=')))
            columns = std::max(columns, digits.toInt());
    }
    // One table row of ">1\1\j<" cells; the first (">1\1\0<") marks the row template.
    QString table = QStringLiteral("<table border=1 cellspacing=0 cellpadding=0>\r\n<tr >");
    for (int j = 0; j <= columns; ++j)
        table += QStringLiteral("<td >1\\1\\") + QString::number(j) + QStringLiteral("</td>");
    table += QStringLiteral("</tr>\r\n</table>\r\n");
    QString page = templ;
    page.replace(QStringLiteral("наименование_строки"), QString());
    const qsizetype bodyEnd = page.lastIndexOf(QStringLiteral("</body>"), -1, Qt::CaseInsensitive);
    if (bodyEnd >= 0)
        page.insert(bodyEnd, table);
    else
        page += table;
    const QString stemUsed =
        core::Write_New_Text_Files(dir, stem + QStringLiteral(" I"),
                                   {{QStringLiteral(".PSP"), lines.join(core::CRLF) + core::CRLF},
                                    {QStringLiteral(".HTM"), page}},
                                   prompt);
    if (stemUsed.isEmpty()) return -1;
    written.append(dir + QLatin1Char('/') + stemUsed + QStringLiteral(".PSP"));
    prompt.message(QStringLiteral("Закончена генерация паспорта счета таблицы !!!"));
    return 0;
}

} // namespace mirel::query
