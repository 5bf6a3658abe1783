#pragma once

#include <QString>
#include <QStringList>

#include "platform/fileio.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::core {

// Line readers of the system's text files (code page 1251). Lines are trimmed of blanks, empty
// lines dropped; with the OEM flag each line is converted to the DOS code page. A missing file
// shows "Файл отсутствует : " and the path. Nothing kept gives the empty list (one empty text).
QStringList Read_Lines_Upper(const QString& path, bool oem, platform::Prompt& prompt);
QStringList Read_Lines(const QString& path, bool oem, platform::Prompt& prompt);

// The trimmed first line; the empty text for an empty or (unless quiet, with the message)
// missing file.
QString Read_First_Line(const QString& path, bool oem, bool quiet, platform::Prompt& prompt);

// The whole text, line ends kept; a missing file gives the empty text and, unless quiet,
// "Файл не найден !!!", a line break and the path. A file that is there but cannot be read gives
// the empty text too, said for what it is: "Нет прав на чтение файла !!!" when this user may not
// read it, else "Ошибка при чтении файла !!!". found, when given, tells whether it was read.
QString Read_Whole_File(const QString& path, bool quiet, platform::Prompt& prompt,
                        bool* found = nullptr);

// Replaces the file with the text, unchanged, in code page 1251 (platform::writeFileAtomic:
// the old file stays whole when the write fails; a symbolic link is written through only with
// Links::Follow). 0 on success; -1 after showing "Ошибка при записи информации !!!" titled
// with the path (error icon).
int Write_Text_File(const QString& path, const QString& text, platform::Prompt& prompt,
                    platform::Links links = platform::Links::Refuse);
// The same with the text already in code page 1251 (known: what the caller knows of the name).
int writeEncodedFile(const QString& path, const QByteArray& bytes, platform::Prompt& prompt,
                     platform::Links links = platform::Links::Refuse,
                     platform::Known known = platform::Known::Nothing);

// Writes the text into a new file of the folder under a name nobody holds (stem+suffix, else
// stem_1+suffix, ...; see platform::writeNewFile). Returns its path; the empty text after
// showing "Ошибка при записи информации !!!" titled with the folder.
QString Write_New_Text_File(const QString& dir, const QString& stem, const QString& suffix,
                            const QString& text, platform::Prompt& prompt);

// Writes a set of new files sharing one stem nobody holds (a query and its template; see
// platform::writeNewFiles): files are (suffix, text) pairs. Returns the stem used; the empty
// text after showing "Ошибка при записи информации !!!" titled with the first file's path.
QString Write_New_Text_Files(const QString& dir, const QString& stem,
                             const QList<QPair<QString, QString>>& files, platform::Prompt& prompt);

// The same writer without the message, for callers that report differently.
bool writeTextFile(const QString& path, const QString& text);

// Reads a whole file as code page 1251 text without any message; empty when missing.
QString readText(const QString& path, bool* exists = nullptr);

} // namespace mirel::core
