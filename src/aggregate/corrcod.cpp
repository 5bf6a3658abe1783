#include "aggregate/corrcod.h"

#include <QHash>

#include "core/files.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::aggregate {
namespace {

const QString Exit = QStringLiteral("ВЫХОД !!!");

bool isCode(const QString& code) {
    return !code.isEmpty() && core::Is_All_Digits(code);
}

void listEmpty(platform::Prompt& prompt) {
    platform::showError(prompt, QStringLiteral("Файл CORR_COD.TXT пуст !!!"));
}

} // namespace

QString corrCodPath(const QString& shifDir) {
    return shifDir + QStringLiteral("/CORR_COD.TXT");
}

bool Is_CorrCod(const QString& shifDir) {
    return platform::fileExists(corrCodPath(shifDir));
}

bool corrCodListReady(const QString& shifDir, platform::Prompt& prompt) {
    if (core::Trim(core::readText(corrCodPath(shifDir))).trimmed().isEmpty()) {
        listEmpty(prompt);
        return false;
    }
    return true;
}

int F_A_Cods(const QString& path, QStringList& oldCodes, QStringList& newCodes,
             platform::Prompt& prompt) {
    oldCodes.clear();
    newCodes.clear();
    if (!platform::fileExists(path)) {
        listEmpty(prompt);
        return -1;
    }
    return parseCodeList(core::Read_Lines_Upper(path, false, prompt), path, oldCodes, newCodes,
                         prompt);
}

int parseCodeList(const QStringList& lines, const QString& path, QStringList& oldCodes,
                  QStringList& newCodes, platform::Prompt& prompt) {
    oldCodes.clear();
    newCodes.clear();
    for (QString line : lines) {
        core::Tabs_To_Spaces(line);
        line = core::Trim(line);
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        if (blank < 0) continue;
        const QString oldCode = line.left(blank);
        const QString newCode = core::Trim(line.mid(blank + 1));
        if (!isCode(oldCode) || !isCode(newCode)) {
            platform::showError(prompt, QStringLiteral("Ошибка в файле ") + path, Exit);
            oldCodes.clear();
            newCodes.clear();
            return -1;
        }
        if (oldCodes.contains(oldCode)) continue;
        oldCodes.append(oldCode);
        newCodes.append(newCode);
    }
    if (oldCodes.isEmpty()) {
        listEmpty(prompt);
        return -1;
    }
    return 0;
}

QString archiveName(const QDateTime& now) {
    const QTime t = now.time();
    return QStringLiteral("Замена кодов-") + now.date().toString(QStringLiteral("yyyyMMdd")) +
           QLatin1Char('.') + QString::number(t.hour()) + QLatin1Char('-') +
           QString::number(t.minute()) + QLatin1Char('-') + QString::number(t.second());
}

CodeReplacement::CodeReplacement(const QString& programDir, const QString& datDir,
                                 const QString& shifDir, platform::Prompt& prompt)
    : m_programDir(programDir)
    , m_datDir(datDir)
    , m_shifDir(shifDir)
    , m_prompt(prompt) {}

QString CodeReplacement::dirPath(const QString& dirKey) const {
    return platform::resolvePath(m_datDir + QLatin1Char('/') + dirKey);
}

bool CodeReplacement::open() {
    m_tree.clear();
    if (!hasSubfolders(m_datDir)) {
        platform::showError(m_prompt, QStringLiteral("Нет данных !!!"));
        return false;
    }
    scan();
    return true;
}

void CodeReplacement::scan() {
    m_tree.clear();
    for (const PeriodDir& dir : periodDirs(m_datDir)) {
        TreeNode node;
        node.key = dir.key;
        node.text = dir.key;
        node.dir = dir.key;
        m_tree.add(-1, node);
    }
}

// Add_Cod without writing: the code nodes of every directory and the replacements to make.
bool CodeReplacement::plan(const QStringList& oldCodes, const QStringList& newCodes,
                           QList<Replacement>& replacements) {
    scan();
    for (int top : m_tree.children(-1)) {
        const QString dirKey = m_tree.node(top).key;
        const QString dir = dirPath(dirKey);
        QHash<QString, QString> sources; // target name -> the old code it comes from
        bool any = false;
        for (const QString& name : platform::listFiles(dir)) {
            QString code, extension;
            if (!splitDataFileName(name, code, extension)) continue;
            any = true;
            TreeNode node;
            node.key = dirKey + QLatin1Char('_') + code;
            node.text = code;
            node.kind = NodeKind::Code;
            node.code = code;
            m_tree.add(top, node);
            const qsizetype k = oldCodes.indexOf(code);
            if (k < 0) continue;
            const QString target = newCodes.at(k) + QLatin1Char('.') + extension;
            const QString targetPath = dir + QLatin1Char('/') + target;
            if (platform::isReadOnly(targetPath)) {
                platform::showError(
                    m_prompt, QStringLiteral("Файл имеет аттрибут <Только Чтение !!!>"), Exit);
                return false;
            }
            const QString earlier = sources.value(target);
            if (!earlier.isEmpty() && earlier != code) {
                platform::showError(m_prompt,
                                    QStringLiteral("Коды ") + earlier + QStringLiteral(" и ") +
                                        code + QStringLiteral(" заменяются одним кодом ") +
                                        newCodes.at(k) + QStringLiteral(" : ") + dirKey +
                                        QStringLiteral(" !!!"),
                                    Exit);
                return false;
            }
            sources.insert(target, code);
            replacements.append(Replacement{dirKey, code, newCodes.at(k), extension});
        }
        if (!any) {
            TreeNode none;
            none.key = dirKey + QLatin1Char('_');
            none.text = QStringLiteral("Нет данных");
            none.kind = NodeKind::NoData;
            m_tree.add(top, none);
        }
    }
    return true;
}

bool CodeReplacement::archive(const QString& archive, int& step, platform::Progress& progress) {
    const auto failed = [&](const QString& path) {
        platform::showError(m_prompt, QStringLiteral("Ошибка при создании директория !!!"), path);
        return false;
    };
    if (platform::pathExists(archive) || !platform::makeDir(archive)) return failed(archive);
    for (int top : m_tree.children(-1)) {
        const QString dirKey = m_tree.node(top).key;
        if (onDirectory) onDirectory(dirKey);
        const QString from = dirPath(dirKey);
        const QString to = archive + QLatin1Char('/') + platform::nameOf(from);
        if (!platform::makeDir(to)) return failed(to);
        for (const QString& name : platform::listFiles(from)) {
            if (!platform::copyFile(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name))
                return failed(to);
            if (!progress.step(++step)) {
                platform::showInfo(m_prompt, platform::stoppedText(),
                                   QStringLiteral("Данные не изменены"));
                return false;
            }
        }
    }
    return true;
}

bool CodeReplacement::replace(const QList<Replacement>& replacements, const QString& archive,
                              int& step, platform::Progress& progress) {
    struct Done {
        QString target;
        QString original; // the archived copy of the target; empty when it did not exist
    };
    QList<Done> done;
    // Puts back every file replaced so far: the data are as before the run.
    const auto undo = [&] {
        for (qsizetype i = done.size() - 1; i >= 0; --i) {
            const Done& d = done.at(i);
            bool ok = false;
            if (d.original.isEmpty()) {
                ok = platform::removeFile(d.target);
            } else if (const auto bytes = platform::readFileBytes(d.original)) {
                ok = platform::writeFileAtomic(d.target, *bytes);
            }
            if (!ok)
                platform::showError(m_prompt, QStringLiteral("Ошибка при восстановлении файла !!!"),
                                    d.target);
        }
    };
    QString lastDir;
    for (const Replacement& r : replacements) {
        if (r.dirKey != lastDir && onDirectory) onDirectory(r.dirKey);
        lastDir = r.dirKey;
        const QString dir = dirPath(r.dirKey);
        const QString copy = archive + QLatin1Char('/') + platform::nameOf(dir) + QLatin1Char('/');
        const QString targetName = r.newCode + QLatin1Char('.') + r.extension;
        const QString target = dir + QLatin1Char('/') + targetName;
        const QString source = copy + r.oldCode + QLatin1Char('.') + r.extension;
        const bool existed = platform::fileExists(target);
        bool ok = false;
        if (existed) {
            // Replaced whole in one step: the target is never missing or half-written.
            const auto bytes = platform::readFileBytes(source);
            ok = bytes && platform::writeFileAtomic(target, *bytes);
        } else {
            ok = platform::copyFile(source, target);
        }
        if (!ok) {
            platform::showError(m_prompt, QStringLiteral("Ошибка при копировании файла !!!"),
                                target);
            undo();
            return false;
        }
        done.append(Done{target, existed ? copy + targetName : QString()});
        if (!progress.step(++step) && &r != &replacements.last()) {
            undo();
            platform::showInfo(m_prompt, platform::stoppedText(),
                               QStringLiteral("Данные не изменены"));
            return false;
        }
    }
    return true;
}

int CodeReplacement::Corr_Cod(const QDateTime& now, bool dryRun) {
    QStringList oldCodes, newCodes;
    if (F_A_Cods(corrCodPath(m_shifDir), oldCodes, newCodes, m_prompt) != 0) return -1;
    QList<Replacement> replacements;
    if (!plan(oldCodes, newCodes, replacements)) return -1;
    const auto showReplaced = [&] {
        for (const Replacement& r : replacements) {
            const int node = m_tree.find(r.dirKey + QLatin1Char('_') + r.oldCode);
            if (node >= 0 && !m_tree.node(node).text.contains(QLatin1Char(' ')))
                m_tree.node(node).text =
                    r.newCode + QStringLiteral(" (старый код= ") + r.oldCode + QLatin1Char(')');
        }
    };
    if (dryRun) {
        showReplaced();
        return 0;
    }

    int files = 0;
    for (int top : m_tree.children(-1))
        files += int(platform::listFiles(dirPath(m_tree.node(top).key)).size());
    const QString archiveDir = m_programDir + QLatin1Char('/') + archiveName(now);
    {
        platform::Progress progress(m_prompt, files + int(replacements.size()));
        int step = 0;
        if (!archive(archiveDir, step, progress)) return -1;
        m_archive = archiveDir;
        if (!replace(replacements, archiveDir, step, progress)) return -1;
    }
    showReplaced();

    // The list goes into the archive, so that the same replacement cannot run again.
    const QString list = corrCodPath(m_shifDir);
    const QString title = QStringLiteral("Повторная замена кодов категорически запрещена !!!");
    platform::movePath(list, archiveDir + QStringLiteral("/CORR_COD.TXT"));
    if (platform::fileExists(list)) {
        platform::showError(m_prompt,
                            QStringLiteral("Ошибка при перемещении файла CORR_COD.TXT в архив !!!"),
                            title);
        return -1;
    }
    m_prompt.message(QStringLiteral("Файл CORR_COD.TXT перемещен в архив !!!"),
                     platform::Icon::None, title);
    return 0;
}

} // namespace mirel::aggregate
