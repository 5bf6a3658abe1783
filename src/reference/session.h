#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include "core/config.h"
#include "reference/catalog.h"
#include "reference/regions.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::reference {

// The state the main window holds for the whole run and hands to every other part: the
// configuration, the directory set, the form catalog, the region classifier and the two
// period fields. Every routine that needs the period reads year and month from here at the
// moment it runs; the window keeps them equal to its fields.
struct Session {
    QString programDir;                      // the workspace ("the program folder")
    core::IniSections cnf;                   // a_Cnf
    core::DirSet dirs = core::emptyDirSet(); // a_Dir
    QStringList importMenu;                  // captions of the import menu entries
    FormCatalog forms;                       // a_Form
    Regions regions;                         // a_reg
    SummList summ;                           // a_Summ of the data-loading view
    bool summEnabled = false; // "Алгоритм суммирования" enabled (a summation file was read)
    QString year = QStringLiteral("2001"); // year field
    QString month = QStringLiteral("12");  // month field
    int currentForm = -1;                  // index of the current form entry in forms, -1 when none

    QString dir(core::DirSlot slot) const { return dirs.value(slot); }
    // The period code YYYYMM of the period fields.
    QString periodCode() const;
    // VVOD_Base_Per for the period fields: makes the applicable entry of the form the current
    // form entry. 0 on success; -1 after "Форма некаталогизирована для данного отчетного
    // периода !!!" (current entry unchanged).
    int selectForm(const QString& formCode, platform::Prompt& prompt);
    // The current form entry, nullptr when none.
    const CatalogEntry* currentEntry() const;
    QString iniPath() const { return programDir + QLatin1Char('/') + core::IniFileName; }
};

// Start-up: default configuration when missing, configuration read, directories resolved and
// created, form catalog and region classifier loaded, period fields set. 0 on success;
// non-zero after the failing step has shown its message.
int F_Global(Session& session, const QDate& today, platform::Prompt& prompt);

} // namespace mirel::reference
