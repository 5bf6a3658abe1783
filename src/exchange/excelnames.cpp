#include "exchange/excelnames.h"

#include "core/periods.h"
#include "core/text.h"
#include "exchange/cnvsettings.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::exchange {
namespace {

const QStringList WorkbookExtensions{QStringLiteral(".xls"), QStringLiteral(".xlsx"),
                                     QStringLiteral(".ods")};

bool beginsWithDigit(const QString& name) {
    return !name.isEmpty() && core::isDigit(name.at(0));
}

// The staging subfolder shape FFF_YYMM.
bool isStagingFolder(const QString& name) {
    return name.size() == 8 && core::Is_All_Digits(name.left(3)) &&
           name.at(3) == QLatin1Char('_') && core::Is_All_Digits(name.right(4));
}

QString extensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

} // namespace

QString importFolder(const reference::Session& session) {
    return session.dir(core::DirARM) + QLatin1Char('/') + g_s_Import_XLS;
}

bool isWorkbookName(const QString& lowerName) {
    for (const QString& ext : WorkbookExtensions)
        if (lowerName.size() > ext.size() && lowerName.endsWith(ext)) return true;
    return false;
}

QString formKey(const QString& formCode) {
    return QStringLiteral("форма ") + formCode;
}

bool V_XLS(const QString& lowerName, XlsName& parts, const QString& yymm) {
    parts = XlsName();
    bool invalid = !isWorkbookName(lowerName);
    const qsizetype first = lowerName.indexOf(QLatin1Char('_'));
    if (first < 0) return true;
    parts.cod = lowerName.left(first);
    const QString rest = lowerName.mid(first + 1);
    if (rest.isEmpty()) return true;
    const qsizetype second = rest.indexOf(QLatin1Char('_'));
    if (second < 0) return true;
    parts.hasSecond = true;
    parts.fff = rest.left(second);
    const QString after = rest.mid(second + 1);
    if (after.size() < 4) return true;
    parts.yymm = after.left(4);
    return invalid || parts.yymm != yymm;
}

int regionOfName(const reference::Regions& regions, const QString& digits, QString& cod) {
    return RegionIndex(regions).find(digits, cod);
}

RegionIndex::RegionIndex(const reference::Regions& regions) {
    m_slots.reserve(regions.size());
    for (int i = 0; i < regions.size(); ++i) {
        const auto& region = regions.at(i);
        if (!region) continue;
        bool ok = false;
        const qulonglong code = core::Trim(region->code).toULongLong(&ok);
        if (ok && !m_slots.contains(code)) m_slots.insert(code, i); // the first one holds
    }
}

int RegionIndex::find(const QString& digits, QString& cod) const {
    if (digits.isEmpty() || !core::Is_All_Digits(digits) || digits.size() > 18) return -1;
    const qulonglong value = digits.toULongLong();
    cod = QString::number(value);
    return m_slots.value(value, -1);
}

QString Found_BasePer(const reference::FormCatalog& catalog, const QString& formCode,
                      const QString& periodCode) {
    const int i = reference::applicableEntry(catalog, formCode, periodCode);
    return i < 0 ? QString() : catalog.at(i).basePeriod;
}

int Move_XLS_Folders(const QString& folder, const reference::Regions& regions,
                     platform::Prompt& prompt) {
    int moved = 0;
    for (const QString& sub : platform::listDirs(folder)) {
        if (!isStagingFolder(sub)) continue;
        const QString subPath = folder + QLatin1Char('/') + sub;
        for (const QString& file : platform::listFiles(subPath)) {
            const QString upper = file.toUpper();
            if (upper.size() <= 4 || !isWorkbookName(file.toLower())) continue;
            const QString ext = extensionOf(upper);
            const QString regionName = upper.left(upper.size() - ext.size());
            for (const auto& region : regions) {
                if (!region || region->name.toUpper() != regionName) continue;
                const QString target = folder + QLatin1Char('/') + core::Trim(region->code) +
                                       QLatin1Char('_') + sub + ext;
                if (platform::movePath(subPath + QLatin1Char('/') + file, target))
                    ++moved;
                else
                    prompt.message(QStringLiteral("Книга не перенесена из папки ") + sub +
                                       QStringLiteral(" : имя ") + platform::nameOf(target) +
                                       QStringLiteral(" уже занято"),
                                   platform::Icon::Warning, file);
                break;
            }
        }
    }
    return moved;
}

QString ReName_XLS(const QString& message, const QString& name, const QString& folder) {
    const QString ext = extensionOf(name);
    const QString stem = name.left(name.size() - ext.size());
    for (int n = 0; n < 1000; ++n) {
        const QString candidate =
            message + stem + (n == 0 ? QString() : QLatin1Char('_') + QString::number(n)) + ext;
        const QString target = folder + QLatin1Char('/') + candidate;
        if (platform::pathExists(target)) continue;
        return platform::movePath(folder + QLatin1Char('/') + name, target) ? candidate : name;
    }
    return name;
}

bool Import_XLS(const QStringList& files, const QString& folder, const reference::Session& session,
                const QString& year, const QString& month, QList<ImportNode>& nodes,
                platform::Prompt& prompt) {
    const QString yymm = core::shortPeriod(year, month);
    const QString periodCode = core::periodCode(year, month);
    XlsName parts;
    bool anyValid = false;
    for (const QString& file : files)
        if (!V_XLS(file.toLower(), parts, yymm)) anyValid = true;
    if (!anyValid) {
        platform::showError(prompt,
                            QStringLiteral("Нет файлов Excel для заданного отчетного периода !!!"),
                            QStringLiteral("Отчетный период= ") + yymm);
        return false;
    }

    nodes.clear();
    const QString formDir = session.dir(core::DirFORM);
    const RegionIndex regions(session.regions);
    auto rejected = [&](const QString& name, const QString& prefix) {
        const QString now =
            !prefix.isEmpty() && beginsWithDigit(name) ? ReName_XLS(prefix, name, folder) : name;
        nodes.append({NodeKind::Rejected,
                      folder + QLatin1Char('/') + now,
                      now,
                      PictureRejected,
                      QString(),
                      {}});
    };
    for (const QString& name : files) {
        const QString lower = name.toLower();
        if (!isWorkbookName(lower)) {
            nodes.append({NodeKind::Rejected,
                          folder + QLatin1Char('/') + name,
                          NotExcelPrefix + name,
                          PictureRejected,
                          QString(),
                          {}});
            continue;
        }
        const bool invalid = V_XLS(lower, parts, yymm);
        if (parts.cod.isEmpty()) {
            rejected(name, NoRegionPrefix);
            continue;
        }
        QString cod;
        if (!core::Is_All_Digits(parts.cod)) {
            rejected(name, QString()); // listed under its own name
            continue;
        }
        if (regions.find(parts.cod, cod) < 0) {
            rejected(name, BadRegionPrefix);
            continue;
        }
        if (!parts.hasSecond || parts.fff.isEmpty()) {
            rejected(name, NoFormPrefix);
            continue;
        }
        const bool catalogued =
            std::any_of(session.forms.begin(), session.forms.end(),
                        [&](const reference::CatalogEntry& e) { return e.formCode == parts.fff; });
        if (parts.fff.size() != 3 || !catalogued) {
            rejected(name, BadFormPrefix);
            continue;
        }
        if (invalid) {
            rejected(name, BadPeriodPrefix);
            continue;
        }
        const QString basePeriod = Found_BasePer(session.forms, parts.fff, periodCode);
        const bool settings =
            !basePeriod.isEmpty() && Found_FilesCnv(formDir, basePeriod, parts.fff);
        auto form = std::find_if(nodes.begin(), nodes.end(), [&](const ImportNode& n) {
            return n.kind == NodeKind::Form && n.formCode == parts.fff;
        });
        if (form == nodes.end()) {
            nodes.append({NodeKind::Form,
                          formKey(parts.fff),
                          settings ? parts.fff : parts.fff + NoSettingsSuffix,
                          PictureForm,
                          parts.fff,
                          {}});
            form = nodes.end() - 1;
        }
        form->children.append({NodeKind::Workbook,
                               folder + QLatin1Char('/') + name,
                               name,
                               settings ? PictureWorkbook : PictureRejected,
                               parts.fff,
                               {}});
    }
    return true;
}

Listing listImportFolder(const reference::Session& session, const QString& year,
                         const QString& month, platform::Prompt& prompt) {
    Listing listing;
    listing.folder = importFolder(session);
    if (!platform::dirExists(listing.folder)) {
        platform::FsError error;
        if (!platform::makeDir(listing.folder, &error)) {
            platform::showError(prompt, QStringLiteral("Ошибка при создании папки !!!"),
                                listing.folder);
            return listing;
        }
    }
    // Workbooks waiting in staging subfolders join the folder first, so that a rejected file
    // left in the folder never keeps them out.
    Move_XLS_Folders(listing.folder, session.regions, prompt);
    const QStringList files = platform::listFiles(listing.folder);
    if (files.isEmpty()) {
        platform::showError(prompt, QStringLiteral("Нет файлов Excel для загрузки !!!"));
        return listing;
    }
    if (!Import_XLS(files, listing.folder, session, year, month, listing.nodes, prompt)) {
        listing.status = Listing::Status::NoneForPeriod;
        return listing;
    }
    listing.status = Listing::Status::Listed;
    return listing;
}

QStringList treeLines(const QList<ImportNode>& nodes) {
    QStringList lines;
    for (const ImportNode& node : nodes) {
        lines.append(node.text + QLatin1Char('\t') + QString::number(node.picture));
        for (const ImportNode& child : node.children)
            lines.append(QStringLiteral("  ") + child.text + QLatin1Char('\t') +
                         QString::number(child.picture));
    }
    return lines;
}

} // namespace mirel::exchange
