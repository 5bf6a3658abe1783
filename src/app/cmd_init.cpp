#include <QDate>

#include "app/commands.h"
#include "app/treepictures.h"
#include "core/config.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::app {

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
    const QString unwritten = writeTreePictures(ctx.workspace);
    if (!unwritten.isEmpty()) {
        platform::showError(ctx.prompt, QStringLiteral("Ошибка при записи информации !!!"),
                            unwritten);
        return 1;
    }
    static const char* const names[] = {"ARM", "DAT", "FORM", "MAP", "PASP", "SHIF", "IMPORT"};
    for (int slot = 0; slot <= core::DirIMPORT; ++slot)
        ctx.out << names[slot] << '\t' << dirs.at(slot) << '\n';
    return 0;
}

} // namespace mirel::app
