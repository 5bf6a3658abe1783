#pragma once

#include <QDateTime>
#include <QString>

namespace mirel::platform {
class Browser;
class Prompt;
} // namespace mirel::platform

namespace mirel::core {

// The stem of a page named after the moment it was made: "dd.MM.yyyy hh:mm:ss" with every
// non-digit written as "_" (21_12_2025_09_05_03).
QString nowStem(const QDateTime& now);

// Writes a page the person is to see into a new file of the temporary folder (stem + ".HTM",
// else stem_1.HTM...; code page 1251 with its declaration) and opens it in the browser. When no
// program showed it, says where it was written ("Страница записана в файл :" and the path).
// Returns the path; empty after the write-error message.
QString showPage(const QString& html, const QString& stem, platform::Prompt& prompt,
                 platform::Browser& browser);

// The message that tells where a page nobody showed was written.
QString pageWrittenText(const QString& path);

} // namespace mirel::core
