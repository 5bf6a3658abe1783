#include "data/summaryreport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include "core/files.h"
#include "core/html.h"
#include "core/periods.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "reference/catalog.h"

namespace mirel::data {
namespace {

QString templatePath(const QString& formFolder, const QString& name) {
    const QString native = platform::nativePath(name);
    return QDir::isAbsolutePath(native) ? native : formFolder + QLatin1Char('/') + native;
}

} // namespace

QStringList summaryTemplates(const QString& formDir, const QString& formCode,
                             const QString& basePeriod) {
    const QString text = core::readText(reference::descriptionPath(formDir, formCode, basePeriod));
    QStringList names;
    for (const QString& raw : platform::splitFileLines(text)) {
        const QString line = core::Trim(raw);
        if (line.startsWith(QLatin1String("//"))) continue;
        const QString upper = line.toUpper();
        if (upper.endsWith(QLatin1String(".HTM")) || upper.endsWith(QLatin1String(".HTML")))
            names.append(line);
    }
    return names;
}

QString fillSummaryTemplate(const QString& templ, const QString& regionName, const QString& year,
                            const QString& month, const QList<SummarySection>& sections) {
    QString text = templ;
    const auto marker = [](const QString& value) {
        return QLatin1Char('>') + value.toHtmlEscaped() + QLatin1Char('<');
    };
    text.replace(QStringLiteral(">name_region<"), marker(regionName));
    text.replace(QStringLiteral(">gg<"), marker(year));
    text.replace(QStringLiteral(">mm<"), marker(month));

    static const QRegularExpression cell(QStringLiteral(">(\\d\\d)\\\\(\\d+)\\\\(\\d+)<"));
    QString out;
    out.reserve(text.size());
    QSet<QString> filled;
    qsizetype at = 0;
    for (QRegularExpressionMatchIterator it = cell.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int section = m.captured(1).toInt();
        if (section < 1 || section > sections.size() || filled.contains(m.captured(0))) continue;
        filled.insert(m.captured(0));
        const SummarySection& s = sections.at(section - 1);
        bool rowOk = false;
        bool columnOk = false;
        const int row = m.captured(2).toInt(&rowOk);
        const int column = m.captured(3).toInt(&columnOk);
        QString value = QStringLiteral("0");
        if (s.matrix && rowOk && columnOk) value = s.matrix->value(row, column);
        out += QStringView(text).mid(at, m.capturedStart() - at);
        out += marker(value);
        at = m.capturedEnd();
    }
    out += QStringView(text).mid(at);
    return out;
}

std::optional<QStringList> VV__Svod(const EntryForm& form, platform::Prompt& prompt,
                                    platform::Browser& browser) {
    const QString folder = reference::formFolder(form.formDir, form.formCode(), form.basePeriod);
    const QStringList names = summaryTemplates(form.formDir, form.formCode(), form.basePeriod);
    if (names.isEmpty()) {
        prompt.message(
            QStringLiteral("Нет шаблонов сводного отчета в файле ") +
                reference::descriptionPath(form.formDir, form.formCode(), form.basePeriod),
            platform::Icon::Warning);
        return QStringList();
    }
    for (const QString& name : names) {
        if (!platform::fileExists(templatePath(folder, name))) {
            platform::showError(prompt, QStringLiteral("Нет файла ") + name);
            return std::nullopt;
        }
    }

    QList<SummarySection> sections;
    qint64 values = 0;
    for (int s = 1; s <= form.sectionCount(); ++s) {
        const reference::SectionStructure& structure = form.entry.sections.at(s - 1);
        SummarySection section{int(structure.rows.size()), int(structure.columns.size()), {}};
        SectionMatrix matrix;
        if (A_DD_Read(form.path(s), matrix, prompt)) {
            values += qint64(matrix.rows) * matrix.columns;
            section.matrix = matrix;
        }
        sections.append(section);
    }
    if (values == 0) {
        platform::showError(prompt,
                            QStringLiteral("Ошибка при определении количества показателей !!!"));
        return std::nullopt;
    }

    // Filled first, written afterwards: a stopped run leaves no page behind.
    QList<std::pair<QString, QString>> pages;
    {
        platform::Progress progress(prompt, int(names.size()));
        for (int i = 0; i < names.size(); ++i) {
            const QString path = templatePath(folder, names.at(i));
            const QString filled = fillSummaryTemplate(core::readText(path), form.regionName,
                                                       core::yearCode(form.key.year),
                                                       core::monthCode(form.key.month), sections);
            const QString stem = QFileInfo(path).completeBaseName() + QLatin1Char('_') +
                                 form.regionCode() + QLatin1Char('_') +
                                 core::shortPeriod(form.key.year, form.key.month);
            pages.append({stem, filled});
            if (!progress.step(i + 1)) {
                prompt.message(platform::stoppedText());
                return std::nullopt;
            }
        }
    }
    QStringList written;
    for (const auto& [stem, html] : pages) {
        const QString path = core::Write_New_Text_File(
            platform::tempDir(), stem, QStringLiteral(".HTM"), core::withCharset(html), prompt);
        if (path.isEmpty()) return std::nullopt;
        written.append(path);
    }
    platform::showInfo(prompt, core::CRLF + QStringLiteral("Записано :") + core::CRLF +
                                   written.join(core::CRLF));
    for (const QString& path : written)
        browser.open(path);
    return written;
}

} // namespace mirel::data
