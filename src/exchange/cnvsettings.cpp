#include "exchange/cnvsettings.h"

#include <algorithm>
#include <QSet>

#include "core/files.h"
#include "core/text.h"
#include "exchange/excelnames.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::exchange {

int CnvSettings::sheetNumber(int file) const {
    const QString& name = fileNames.at(file);
    return name.mid(name.lastIndexOf(QLatin1Char('.')) + 1).toInt();
}

QString cnvStem(const QString& formDir, const QString& formCode, const QString& basePeriod) {
    return reference::formFolder(formDir, formCode, basePeriod) + QLatin1Char('/') + formCode +
           QStringLiteral("_CNV.");
}

QStringList cnvFileList(const QString& formDir, const QString& formCode,
                        const QString& basePeriod) {
    const QString stem = cnvStem(formDir, formCode, basePeriod);
    // The form folder is listed once; only names it holds (in any case) are looked at.
    QSet<QString> listed;
    for (const QString& name : platform::listFiles(platform::parentOf(stem)))
        listed.insert(name.toUpper());
    const QString stemName = platform::nameOf(stem).toUpper();
    const auto exists = [&](const QString& number, const QString& path) {
        return listed.contains(stemName + number) && platform::fileExists(path);
    };
    QStringList files;
    for (int n = 0; n <= 33; ++n) {
        const QString number = QString::number(n);
        const QString plain = stem + number;
        const QString padded = stem + QLatin1Char('0') + number;
        if (exists(number, plain))
            files.append(plain);
        else if (exists(QLatin1Char('0') + number, padded))
            files.append(padded);
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool Found_FilesCnv(const QString& formDir, const QString& basePeriod, const QString& formCode) {
    const QString stem = cnvStem(formDir, formCode, basePeriod);
    for (const char* n : {"1", "2", "3", "01", "02", "03"})
        if (platform::fileExists(stem + QLatin1String(n))) return true;
    return false;
}

CnvFile F_A_Cnv(const QStringList& lines) {
    CnvFile blocks;
    qsizetype i = 0;
    while (i < lines.size()) {
        CnvBlock block;
        for (; i < lines.size(); ++i) {
            QString line = core::Trim(lines.at(i));
            if (line.isEmpty()) {
                ++i;
                break;
            }
            line.replace(QStringLiteral("  "), QStringLiteral(" "));
            block.append(line.split(QLatin1Char(' ')));
        }
        blocks.append(block);
    }
    while (!blocks.isEmpty() && blocks.last().isEmpty())
        blocks.removeLast();
    return blocks;
}

bool F_A_Cnv_XLS(const QString& formDir, const reference::FormCatalog& catalog,
                 const QString& periodCode, const QString& formCode, CnvSettings& settings,
                 platform::Prompt& prompt) {
    settings = CnvSettings();
    settings.basePeriod = Found_BasePer(catalog, formCode, periodCode);
    if (settings.basePeriod.isEmpty()) {
        platform::showError(
            prompt, QStringLiteral("Форма некаталогизирована для данного отчетного периода !!!"),
            formCode);
        return false;
    }
    const QStringList files = cnvFileList(formDir, formCode, settings.basePeriod);
    if (files.isEmpty()) {
        platform::showError(prompt,
                            QStringLiteral("Нет файлов для заданного отчетного периода !!!"));
        return false;
    }
    int sections = 0;
    for (const QString& path : files) {
        bool exists = false;
        const QString text = core::readText(path, &exists);
        if (!exists) {
            prompt.message(QStringLiteral("Ошибка при открытии файла -> ") + path);
            return false;
        }
        const CnvFile blocks = F_A_Cnv(platform::splitFileLines(text));
        sections += int(blocks.size());
        if (blocks.isEmpty() || sections > MaxSections) {
            prompt.message(QStringLiteral("Ошибка при формировании условий конвертирования -> ") +
                           path);
            return false;
        }
        settings.files.append(blocks);
        settings.fileNames.append(path);
    }
    return true;
}

} // namespace mirel::exchange
