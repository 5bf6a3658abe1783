#include "data/reportpages.h"

#include <algorithm>

#include "core/files.h"
#include "core/html.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::data {
namespace {

// Longest digit run taken as a number in a placeholder; longer runs are no cell of a form.
constexpr int MaxDigits = 9;

// Reads a number of 1..MaxDigits digits at i; -1 when there is none.
int readNumber(const QString& text, qsizetype& i) {
    const qsizetype start = i;
    while (i < text.size() && core::isDigit(text.at(i)) && i - start <= MaxDigits)
        ++i;
    if (i == start || i - start > MaxDigits) return -1;
    return text.mid(start, i - start).toInt();
}

// The value of a cell placeholder between ">" and "<" (the text from `from` to the "<" at
// `end`), or nullopt when the text is no cell placeholder of the report.
std::optional<QString> cellValue(const QString& text, qsizetype from, qsizetype end,
                                 const RegionReport& report) {
    qsizetype i = from;
    int numbers[3];
    for (int k = 0; k < 3; ++k) {
        numbers[k] = readNumber(text, i);
        if (numbers[k] < 0) return std::nullopt;
        if (k < 2) {
            if (i >= end || text.at(i) != QLatin1Char('\\')) return std::nullopt;
            ++i;
        }
    }
    if (i != end) return std::nullopt;
    const qsizetype index = report.sections.indexOf(numbers[0]);
    if (index < 0) return std::nullopt;
    const std::optional<SectionMatrix>& matrix = report.matrices.value(index);
    return matrix ? matrix->value(numbers[1], numbers[2]) : QStringLiteral("0");
}

} // namespace

QStringList reportTemplates(const QString& formDir, const RegionReport& report,
                            const reference::FormCatalog& forms) {
    QStringList templates;
    if (report.entry < 0 || report.entry >= forms.size()) return templates;
    const reference::CatalogEntry& entry = forms.at(report.entry);
    const QString folder = reference::formFolder(formDir, entry.formCode, entry.basePeriod);
    for (const QString& name : platform::listFiles(folder))
        if (name.endsWith(QStringLiteral(".HTM"), Qt::CaseInsensitive))
            templates.append(folder + QLatin1Char('/') + name);
    return templates;
}

qint64 countReportValues(const RegionReport& report, platform::Prompt& prompt) {
    qint64 count = 0;
    bool read = true;
    for (qsizetype i = 0; i < report.sections.size(); ++i) {
        const std::optional<SectionMatrix>& matrix = report.matrices.value(i);
        if (!matrix) {
            prompt.message(QStringLiteral("Ошибка при чтении данных !!!"), platform::Icon::Error,
                           QStringLiteral("РАЗДЕЛ ") + sectionNumber(report.sections.at(i)));
            read = false;
            break;
        }
        count += qint64(matrix->rows) * matrix->columns;
    }
    if (!read || count == 0) {
        prompt.message(QStringLiteral("Ошибка при определении количества показателей !!!"),
                       platform::Icon::Error);
        return -1;
    }
    return count;
}

QString fillReportTemplate(const QString& templ, const RegionReport& report) {
    static const QString NameRegion = QStringLiteral("name_region");
    static const QString Year = QStringLiteral("gg");
    static const QString Month = QStringLiteral("mm");
    const QString name = report.regionName.isEmpty() ? report.regionCode : report.regionName;

    QString page;
    page.reserve(templ.size() + templ.size() / 4);
    qsizetype done = 0; // templ[0, done) is in page
    qsizetype open = templ.indexOf(QLatin1Char('>'));
    while (open >= 0) {
        const qsizetype close = templ.indexOf(QLatin1Char('<'), open + 1);
        if (close < 0) break;
        // The cell text is what lies between this ">" and the next "<"; a ">" inside it starts
        // a cell text of its own.
        const qsizetype inner = templ.lastIndexOf(QLatin1Char('>'), close);
        const QStringView text = QStringView(templ).mid(inner + 1, close - inner - 1);
        std::optional<QString> value;
        if (text == NameRegion)
            value = name;
        else if (text == Year)
            value = report.year();
        else if (text == Month)
            value = report.month();
        else if (!text.isEmpty() && core::isDigit(text.front()))
            value = cellValue(templ, inner + 1, close, report);
        if (value) {
            page += QStringView(templ).mid(done, inner + 1 - done);
            // A name or figure with "<" or "&" stays text, never markup.
            page += value->toHtmlEscaped();
            done = close;
        }
        open = templ.indexOf(QLatin1Char('>'), close + 1);
    }
    page += QStringView(templ).mid(done);
    return page;
}

QString reportPageStem(const RegionReport& report, const QString& templatePath) {
    QString name = platform::nameOf(templatePath);
    name.chop(4); // ".HTM"
    return report.folder.formCode + QLatin1Char('_') + report.folder.shortPeriod +
           QLatin1Char('_') + report.regionCode + QLatin1Char('_') + name;
}

WrittenPages writeReportPages(const QString& workDir, const RegionReport& report,
                              const QStringList& templates, platform::Prompt& prompt) {
    WrittenPages written;
    if (countReportValues(report, prompt) < 0) return written;
    platform::Progress progress(prompt, int(templates.size()));
    for (qsizetype i = 0; i < templates.size(); ++i) {
        const QString templ = core::Read_Whole_File(templates.at(i), false, prompt);
        if (templ.isEmpty() && !platform::fileExists(templates.at(i))) return written;
        const QString page = core::Write_New_Text_File(
            workDir, reportPageStem(report, templates.at(i)), QStringLiteral(".HTM"),
            core::withCharset(fillReportTemplate(templ, report)), prompt);
        if (page.isEmpty()) return written;
        written.pages.append(page);
        if (!progress.step(int(i + 1)) && i + 1 < templates.size()) {
            prompt.message(platform::stoppedText(), platform::Icon::Information);
            return written;
        }
    }
    written.complete = true;
    return written;
}

QString writtenPagesText(const QStringList& pages) {
    return QStringLiteral("Записано :") + core::CRLF + pages.join(core::CRLF);
}

} // namespace mirel::data
