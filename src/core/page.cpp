#include "core/page.h"

#include "core/files.h"
#include "core/html.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::core {

QString nowStem(const QDateTime& now) {
    QString stem = now.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    for (QChar& c : stem)
        if (!isDigit(c)) c = QLatin1Char('_');
    return stem;
}

QString pageWrittenText(const QString& path) {
    return QStringLiteral("Страница записана в файл :") + CRLF + path;
}

QString showPage(const QString& html, const QString& stem, platform::Prompt& prompt,
                 platform::Browser& browser) {
    const QString path = Write_New_Text_File(platform::tempDir(), stem, QStringLiteral(".HTM"),
                                             withCharset(html), prompt);
    if (path.isEmpty()) return path;
    if (!browser.open(path))
        prompt.message(pageWrittenText(path), platform::Icon::Information,
                       QStringLiteral("Нет программы для просмотра страниц"));
    return path;
}

} // namespace mirel::core
