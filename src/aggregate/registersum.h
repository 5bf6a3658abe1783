#pragma once

#include <QString>

#include "reference/session.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::aggregate {

// The register's summation ("Суммировать" in the data-loading view, Cmd_Summ_Click after the
// register is shown): sections 1..sections of the form for the period fields, summed over the
// groups of the data-loading view's summation files (session.summ). For each section every
// group's members (files of more than two characters) are added over their own rows and
// columns (a member larger than the first is a format error) and the summary file is written
// ("PR_?"), or deleted when no member has data. Groups are summed so that a summary region that
// is a member of another group is summed first, whatever the order of the files; a file is
// only ever replaced whole, so a run that fails or is stopped leaves every summary file either
// as it was or new. "Нет данных !!!" when the period data directory is missing; "Ошибка в
// формате данных !!!" (title: the file) for a member that cannot be read; the write and
// deletion messages. Returns 0 when everything was summed (the caller then reloads the register
// and says "Суммирование завершено !!!"), -1 after the message.
int sumRegister(const reference::Session& session, const QString& formCode, int sections,
                platform::Prompt& prompt);

} // namespace mirel::aggregate
