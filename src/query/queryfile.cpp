#include "query/queryfile.h"

#include "core/files.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::query {

std::optional<QString> readQueryText(const QString& path, const QString& monthField,
                                     platform::Prompt& prompt) {
    if (!platform::fileExists(path)) {
        core::Read_Whole_File(path, false, prompt); // reports the missing file
        return std::nullopt;
    }
    QString text = core::Read_Whole_File(path, true, prompt).toUpper();
    text.replace(QStringLiteral("N_PERIOD"), monthField);
    return text;
}

bool isBatchList(const QString& path) {
    return path.toUpper().endsWith(QStringLiteral(".LINK"));
}

bool isGeneratedTemplateQuery(const QString& path) {
    const QString name = platform::nameOf(path);
    if (name.size() != 15) return false;
    const QString stem = name.left(11);
    for (int i = 0; i < stem.size(); ++i) {
        const QChar c = stem.at(i);
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (i == 3 ? c != QLatin1Char('_') : i == 8 ? c != QLatin1Char('.') : !digit) return false;
    }
    return true;
}

std::optional<QStringList> queryLines(const QString& text, platform::Prompt& prompt) {
    QStringList lines;
    for (const QString& raw : platform::splitFileLines(text)) {
        QString line = core::Trim(raw);
        if (line.isEmpty()) continue;
        lines.append(core::Squeeze_Spaces(line));
    }
    if (lines.isEmpty()) {
        prompt.message(QStringLiteral("Паспорт счета пуст !!!"));
        return std::nullopt;
    }
    for (const QString& line : lines)
        if (core::Check_Brackets(line, prompt)) return std::nullopt;
    return lines;
}

int queryKind(const QStringList& lines, platform::Prompt& prompt) {
    for (const QString& line : lines)
        if (line.contains(QStringLiteral("STR"))) return RowTable;
    for (const QString& line : lines)
        if (line.contains(QStringLiteral("DAT"))) return RegionTable;
    prompt.message(QStringLiteral("Не определен тип запроса !!!"));
    return NoKind;
}

QStringList batchNames(const QString& text) {
    QStringList names;
    QStringList paragraph;
    const auto flush = [&] {
        if (paragraph.size() == 1) {
            QString name = paragraph.first();
            if (!name.endsWith(QStringLiteral(".PSP"))) name += QStringLiteral(".PSP");
            names.append(name);
        }
        paragraph.clear();
    };
    for (const QString& raw : platform::splitFileLines(text)) {
        const QString line = core::Trim(raw);
        if (line.isEmpty())
            flush();
        else
            paragraph.append(line);
    }
    flush();
    return names;
}

QString templatePath(const QString& queryPath) {
    const qsizetype dot = queryPath.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash =
        std::max(queryPath.lastIndexOf(QLatin1Char('/')), queryPath.lastIndexOf(QLatin1Char('\\')));
    if (dot <= slash) return queryPath + QStringLiteral(".HTM");
    return queryPath.left(dot) + QStringLiteral(".HTM");
}

} // namespace mirel::query
