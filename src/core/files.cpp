#include "core/files.h"

#include "core/lists.h"
#include "core/text.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::core {
namespace {

QStringList readLines(const QString& path, bool oem, bool upper, platform::Prompt& prompt) {
    bool exists = false;
    const QString text = readText(path, &exists);
    if (!exists) {
        prompt.message(QStringLiteral("Файл отсутствует : ") + path);
        return emptyList();
    }
    QStringList out;
    for (const QString& raw : platform::splitFileLines(text)) {
        QString line = Trim(raw);
        if (oem) line = platform::toOem(line);
        if (line.isEmpty()) continue;
        out.append(upper ? line.toUpper() : line);
    }
    if (out.isEmpty()) return emptyList();
    return out;
}

} // namespace

QString readText(const QString& path, bool* exists) {
    const auto bytes = platform::readFileBytes(path);
    if (exists) *exists = bytes.has_value();
    return bytes ? platform::decode1251(*bytes) : QString();
}

QStringList Read_Lines_Upper(const QString& path, bool oem, platform::Prompt& prompt) {
    return readLines(path, oem, true, prompt);
}

QStringList Read_Lines(const QString& path, bool oem, platform::Prompt& prompt) {
    return readLines(path, oem, false, prompt);
}

QString Read_First_Line(const QString& path, bool oem, bool quiet, platform::Prompt& prompt) {
    (void)oem;
    bool exists = false;
    const QString text = readText(path, &exists);
    if (!exists) {
        if (!quiet) prompt.message(QStringLiteral("Файл отсутствует : ") + path);
        return QString();
    }
    const QStringList lines = platform::splitFileLines(text);
    return lines.isEmpty() ? QString() : Trim(lines.first());
}

QString Read_Whole_File(const QString& path, bool quiet, platform::Prompt& prompt, bool* found) {
    bool exists = false;
    const QString text = readText(path, &exists);
    if (found) *found = exists;
    if (!exists && !quiet) {
        // No file (nothing, or a folder) is missing to the person.
        const platform::ReadFailure why = platform::readFailure(path);
        const QString text = why == platform::ReadFailure::NotPermitted
                                 ? QStringLiteral("Нет прав на чтение файла !!!")
                             : why == platform::ReadFailure::ReadError
                                 ? QStringLiteral("Ошибка при чтении файла !!!")
                                 : QStringLiteral("Файл не найден !!!");
        prompt.message(text + CRLF + path);
    }
    return text;
}

bool writeTextFile(const QString& path, const QString& text) {
    return platform::writeFileAtomic(path, platform::encode1251(text));
}

int Write_Text_File(const QString& path, const QString& text, platform::Prompt& prompt,
                    platform::Links links) {
    return writeEncodedFile(path, platform::encode1251(text), prompt, links);
}

int writeEncodedFile(const QString& path, const QByteArray& bytes, platform::Prompt& prompt,
                     platform::Links links, platform::Known known) {
    if (platform::writeFileAtomic(path, bytes, nullptr, links, known)) return 0;
    prompt.message(QStringLiteral("Ошибка при записи информации !!!"), platform::Icon::Error, path);
    return -1;
}

QString Write_New_Text_File(const QString& dir, const QString& stem, const QString& suffix,
                            const QString& text, platform::Prompt& prompt) {
    const QString path = platform::writeNewFile(dir, stem, suffix, platform::encode1251(text));
    if (path.isEmpty())
        prompt.message(QStringLiteral("Ошибка при записи информации !!!"), platform::Icon::Error,
                       dir);
    return path;
}

QString Write_New_Text_Files(const QString& dir, const QString& stem,
                             const QList<QPair<QString, QString>>& files,
                             platform::Prompt& prompt) {
    QList<QPair<QString, QByteArray>> bytes;
    for (const auto& [suffix, text] : files)
        bytes.append({suffix, platform::encode1251(text)});
    const QString used = platform::writeNewFiles(dir, stem, bytes);
    if (used.isEmpty())
        prompt.message(QStringLiteral("Ошибка при записи информации !!!"), platform::Icon::Error,
                       dir + QLatin1Char('/') + stem + files.value(0).first);
    return used;
}

} // namespace mirel::core
