#include "reference/session.h"

#include "core/periods.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::reference {
namespace {

// Puts the value of a "[MIREL_WIN]" key line ("KEY= value") into a period field.
void takePeriodField(const core::IniSections& cnf, const QString& key, QString& field) {
    QString line = core::Trim(core::Ini_Line(cnf, key));
    if (line.isEmpty()) return;
    core::Cut_Before(line, QStringLiteral("="));
    if (!line.isEmpty()) field = line;
}

} // namespace

int F_Global(Session& s, const QDate& today, platform::Prompt& prompt) {
    s.dirs = core::emptyDirSet();
    platform::setProgramFolder(s.programDir); // where temporary pages go without a temp folder
    core::V_File_Ini(s.programDir, today, prompt);
    s.cnf = core::Read_Ini_Sections(s.iniPath(), prompt);
    if (s.cnf.isEmpty()) {
        prompt.message(QStringLiteral("Ошибка при формировании конфигуратора системы !!!"));
        return -1;
    }
    if (core::Ini_A_Dir(s.cnf, s.dirs, s.importMenu, s.programDir, prompt) != 0) return -1;
    if (Load_Form_Catalog(s.dir(core::DirFORM), s.forms, prompt) != 0) return -1;
    // A missing classifier is reported but does not stop the program.
    Load_Regions(s.regions, s.dir(core::DirSHIF), core::Ini_Line(s.cnf, QStringLiteral("SHIF")),
                 prompt);
    takePeriodField(s.cnf, QStringLiteral("YYYY"), s.year);
    takePeriodField(s.cnf, QStringLiteral("MM"), s.month);
    s.year = core::Trim(s.year);
    s.month = core::Trim(s.month);
    return 0;
}

QString Session::periodCode() const {
    return core::periodCode(year, month);
}

int Session::selectForm(const QString& formCode, platform::Prompt& prompt) {
    QString basePeriod;
    int index = -1;
    if (VVOD_Base_Per(formCode, periodCode(), forms, basePeriod, index, prompt) != 0) return -1;
    currentForm = index;
    return 0;
}

const CatalogEntry* Session::currentEntry() const {
    return currentForm >= 0 && currentForm < forms.size() ? &forms.at(currentForm) : nullptr;
}

} // namespace mirel::reference
