#include "reference/regions.h"

#include <QHash>

#include "core/files.h"
#include "core/lists.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::reference {
namespace {

const QString Slash = QStringLiteral("/");

// The classifier file named by fileName: ".TXT" appended when the name does not end so (the
// test is case-sensitive, as the names come upper-cased from the configuration); "shif.txt"
// when the name is empty or names no file.
QString classifierPath(const QString& shifDir, const QString& fileName) {
    if (!fileName.isEmpty()) {
        QString path = shifDir + Slash + fileName;
        if (!path.endsWith(QLatin1String(".TXT"))) path += QStringLiteral(".TXT");
        if (platform::fileExists(path)) return path;
    }
    return shifDir + QStringLiteral("/shif.txt");
}

bool containsSum(const QString& line) {
    return line.contains(QLatin1String("SUM"));
}

} // namespace

int Load_Regions(Regions& regions, const QString& shifDir, const QString& fileName,
                 platform::Prompt& prompt) {
    const QString path = classifierPath(shifDir, fileName);
    const QStringList lines = core::Read_Lines(path, false, prompt);
    if (lines.first().isEmpty()) {
        prompt.message(QStringLiteral("Справочник регионов не сформирован !!!"),
                       platform::Icon::Warning);
        return 0;
    }
    // A classifier replaces the previous one whole: slots of an earlier, longer file must not
    // survive behind the new regions.
    Regions loaded;
    QHash<QString, int> seen;
    QStringList duplicates;
    loaded.reserve(lines.size());
    seen.reserve(lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        QString rest = lines.at(i);
        const QString digits = core::Cut_Lead_Digits(rest);
        if (digits.isEmpty() || core::Val(digits) <= 0) continue;
        if (loaded.size() < i + 1) loaded.resize(i + 1);
        loaded[i] = Region{digits, rest};
        if (seen.contains(digits))
            duplicates.append(digits);
        else
            seen.insert(digits, i);
    }
    regions = loaded;
    // Lookups take the first line of a code; the later ones would silently never be found.
    for (const QString& code : duplicates)
        prompt.message(QStringLiteral("Код региона ") + code +
                           QStringLiteral(" повторяется в справочнике регионов !!!"),
                       platform::Icon::Warning, path);
    return 0;
}

Regions VVOD_A_Reg(const core::IniSections& cnf, const QString& shifDir, platform::Prompt& prompt) {
    Regions regions;
    const core::IniSection* pre = core::preamble(cnf);
    if (!pre) return regions;
    QString name = QStringLiteral("SHIF.TXT");
    for (const QString& line : pre->lines) {
        const qsizetype at = line.indexOf(QLatin1String("SHIF"));
        if (at >= 0) {
            name = QStringLiteral("SHIF") + line.mid(at + 4);
            break;
        }
    }
    Load_Regions(regions, shifDir, name, prompt);
    return regions;
}

bool In_A_Reg(const Regions& regions, const QString& code) {
    return regionIndex(regions, code) >= 0;
}

int regionIndex(const Regions& regions, const QString& code) {
    return core::Find_In_Pairs(regions, code, [](const Region& r) { return r.code; }) - 1;
}

QString regionName(const Regions& regions, const QString& code) {
    const int i = regionIndex(regions, code);
    return i < 0 ? QString() : regions.at(i)->name;
}

SummList VVOD_Summ(const core::IniSections& cnf, const Regions& regions, const QString& shifDir,
                   bool& enabled, platform::Prompt& prompt) {
    SummList list;
    if (const core::IniSection* pre = core::preamble(cnf)) {
        for (const QString& line : pre->lines) {
            if (!containsSum(line)) continue;
            const QString rest = line.mid(line.indexOf(QLatin1String("SUM")) + 3);
            QString path = shifDir + QStringLiteral("/SUM") + rest;
            if (!platform::fileExists(path)) {
                const QString withTxt = path + QStringLiteral(".TXT");
                if (!platform::fileExists(withTxt)) {
                    prompt.message(QStringLiteral("Не найден файл суммирования !!!"),
                                   platform::Icon::Error, path);
                    continue;
                }
                path = withTxt;
            }
            if (VVOD_A_Summ(list, path, regions, prompt) != 0) {
                list.clear();
                break;
            }
        }
    }
    enabled = !list.isEmpty();
    if (!enabled)
        prompt.message(QStringLiteral("Не заданы условия суммирования !!!"), platform::Icon::Error,
                       QStringLiteral("Суммарные данные будут записаны в матрицы с кодом 0."));
    return list;
}

SummFile readSummFile(const QString& path, platform::Prompt& prompt) {
    const QStringList lines = core::Read_Lines_Upper(path, false, prompt);
    SummFile blocks;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0 || i == lines.size() - 1) continue;
        SummBlock block{core::Trim(line.left(colon)), {}};
        int j = i + 1;
        while (j < lines.size() && !lines.at(j).contains(QLatin1Char(':')))
            block.members.append(lines.at(j++));
        if (block.members.isEmpty()) block.members.append(QStringLiteral(" "));
        blocks.append(block);
        i = j - 1;
    }
    return blocks;
}

int VVOD_A_Summ(SummList& list, const QString& path, const Regions& regions,
                platform::Prompt& prompt) {
    const SummFile blocks = readSummFile(path, prompt);
    for (const SummBlock& block : blocks) {
        if (!In_A_Reg(regions, block.code)) {
            prompt.message(block.code +
                               QStringLiteral(" - Код суммирования не найден в классификаторе !!!"),
                           platform::Icon::Error, path);
            return -1;
        }
    }
    list.push_back(blocks);
    return 0;
}

QString VVOD_Sign_Summ(const SummFile& blocks, const QString& code) {
    for (const SummBlock& block : blocks) {
        if (block.code == code) return QStringLiteral("сумма");
        if (block.members.contains(code)) return QStringLiteral("+");
    }
    return QString();
}

} // namespace mirel::reference
