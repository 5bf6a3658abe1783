#include <QDate>
#include <QFile>

#include "app/commands.h"
#include "core/config.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "ui/querytree.h"

namespace mirel::app {

namespace {

// The pictures of the query tree beside the configuration; a picture already there (whatever
// the case of its name) is kept. False after the write error message.
bool writeTreePictures(const QString& workspace, platform::Prompt& prompt) {
    for (const QString& name : ui::TreePictureNames) {
        const QString path = workspace + QLatin1Char('/') + name;
        if (platform::pathExists(path)) continue;
        QFile picture(QStringLiteral(":/pictures/") + name);
        if (!picture.open(QIODevice::ReadOnly) ||
            !platform::writeFileAtomic(path, picture.readAll())) {
            platform::showError(prompt, QStringLiteral("Ошибка при записи информации !!!"), path);
            return false;
        }
    }
    return true;
}

} // namespace

// Start-up up to the folders: the default configuration when missing, then the directory
// set resolved and created, and the pictures of the query tree. A fresh workspace needs forms
// before the window can open.
int cmdInit(CommandContext& ctx) {
    if (!ctx.args.isEmpty()) return usage(QStringLiteral("init"));
    core::V_File_Ini(ctx.workspace, QDate::currentDate(), ctx.prompt);
    const core::IniSections cnf = core::Read_Ini_Sections(
        ctx.workspace + QStringLiteral("/") + core::IniFileName, ctx.prompt);
    if (cnf.isEmpty()) {
        ctx.prompt.message(QStringLiteral("Ошибка при формировании конфигуратора системы !!!"));
        return 1;
    }
    core::DirSet dirs = core::emptyDirSet();
    QStringList importMenu;
    if (core::Ini_A_Dir(cnf, dirs, importMenu, ctx.workspace, ctx.prompt) != 0) return 1;
    if (!writeTreePictures(ctx.workspace, ctx.prompt)) return 1;
    static const char* const names[] = {"ARM", "DAT", "FORM", "MAP", "PASP", "SHIF", "IMPORT"};
    for (int slot = 0; slot <= core::DirIMPORT; ++slot)
        ctx.out << names[slot] << '\t' << dirs.at(slot) << '\n';
    return 0;
}

} // namespace mirel::app
