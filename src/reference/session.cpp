#include "reference/session.h"

#include "core/text.h"
#include "platform/prompt.h"

namespace mirel::reference {
namespace {

// Puts the value of a "[MIREL_WIN]" key line ("KEY= value") into a period field.
void takePeriodField(const core::IniSections& cnf, const QString& key, QString& field)
{
    QString line = core::Trim(core::Ini_Line(cnf, key));
    if (line.isEmpty())
        return;
    core::Cut_Before(line, QStringLiteral("="));
    if (!line.isEmpty())
        field = line;
}

} // namespace

int F_Global(Session& s, const QDate& today, platform::Prompt& prompt)
{
    s.dirs = core::emptyDirSet();
    core::V_File_Ini(s.programDir, today, prompt);
    s.cnf = core::Read_Ini_Sections(s.iniPath(), prompt);
    if (s.cnf.isEmpty()) {
        prompt.message(QStringLiteral("Ошибка при формировании конфигуратора системы !!!"));
        return -1;
    }
    if (core::Ini_A_Dir(s.cnf, s.dirs, s.importMenu, s.programDir, prompt) != 0)
        return -1;
    takePeriodField(s.cnf, QStringLiteral("YYYY"), s.year);
    takePeriodField(s.cnf, QStringLiteral("MM"), s.month);
    s.year = core::Trim(s.year);
    s.month = core::Trim(s.month);
    return 0;
}

} // namespace mirel::reference
