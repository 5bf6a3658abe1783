#pragma once

#include <optional>
#include <QString>
#include <QStringList>

namespace mirel::platform {
class Prompt;
}

namespace mirel::query {

// Kinds of query: 0 none, 1 region table (one row per region), 2 row table (one row per
// "STR" block, for one region).
enum QueryKind { NoKind = 0, RegionTable = 1, RowTable = 2 };

// Reads a query or batch list whole as code page 1251 text, upper-cases it and replaces every
// "N_PERIOD" by the month field as typed. nullopt (after the read routine's message) when the
// file does not exist.
std::optional<QString> readQueryText(const QString& path, const QString& monthField,
                                     platform::Prompt& prompt);

// True for a batch list (the path ends in ".LINK", without regard to case).
bool isBatchList(const QString& path);
// True when the file name without folder and four-character extension reads three digits,
// "_", four digits, ".", two digits (a generated template query such as 101_2512.01.PSP).
bool isGeneratedTemplateQuery(const QString& path);

// Splits an upper-cased query text into its lines: each trimmed, empty ones dropped, runs of
// blanks reduced to one. Shows "Паспорт счета пуст !!!" when no line remains, and the bracket
// message at the first line whose "(" and ")" counts differ; nullopt then.
std::optional<QStringList> queryLines(const QString& text, platform::Prompt& prompt);

// The kind of a query from its lines: 2 when any line contains "STR", else 1 when any line
// contains "DAT", else 0 after "Не определен тип запроса !!!".
int queryKind(const QStringList& lines, platform::Prompt& prompt);

// The query names of a batch list text (already upper-cased): every paragraph of one line,
// with ".PSP" added when it does not end so. Paragraphs of several lines name nothing.
QStringList batchNames(const QString& text);

// The path of the companion file with another extension: the template of a query (".HTM"
// instead of ".PSP") or the batch page of a list (".HTM" instead of ".LINK").
QString templatePath(const QString& queryPath);

} // namespace mirel::query
