#include "data/loadview.h"

#include <algorithm>

#include "core/periods.h"
#include "core/text.h"
#include "data/sectionfile.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::data {

TextTable VVOD_Grid(const reference::Regions& regions, const reference::SummList& summ,
                    bool summEnabled) {
    const int summColumns = summEnabled ? int(summ.size()) : 0;
    TextTable table;
    table.header = QStringList{QStringLiteral("код"), QStringLiteral("наименование")};
    for (int i = 0; i <= summColumns; ++i)
        table.header.append(QString());
    for (const auto& slot : regions) {
        QStringList row(table.header.size());
        if (slot) {
            row[0] = slot->code;
            row[1] = slot->name;
            for (int i = 0; i < summColumns; ++i)
                row[2 + i] = reference::VVOD_Sign_Summ(summ.at(i), slot->code);
        }
        table.rows.append(row);
    }
    return table;
}

QStringList VVOD_Combo_FFF(const reference::Session& session, platform::Prompt& prompt) {
    const QString period = session.periodCode();
    const int month = core::monthCode(session.month).toInt();
    QStringList codes;
    for (const reference::CatalogEntry& e : session.forms)
        if (!codes.contains(e.formCode)) codes.append(e.formCode);
    QStringList names;
    for (const QString& code : codes) {
        // Only the structure in force for the period says whether the form is due and how
        // it is called; older versions of the form do not.
        const int i = reference::applicableEntry(session.forms, code, period);
        if (i < 0) continue;
        const QString name = reference::VVOD_Name_Form(
            session.dir(core::DirFORM), code, session.forms.at(i).basePeriod, month, prompt);
        if (!name.isEmpty()) names.append(name);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    QStringList list;
    for (const QString& name : names)
        if (list.isEmpty() || list.last().left(3) != name.left(3)) list.append(name);
    if (list.isEmpty())
        prompt.message(
            QStringLiteral("Нет форм, каталогизированных для данного отчетного периода !!!"),
            platform::Icon::Error);
    return list;
}

int selectFormEntry(const QString& selectorText, const QStringList& names,
                    platform::Prompt& prompt) {
    const QString text = core::Trim(selectorText);
    if (text.isEmpty()) {
        prompt.message(QStringLiteral("Не выбрана форма !!!"));
        return -1;
    }
    const QString code = text.left(3);
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).left(3) == code) return i;
    prompt.message(QStringLiteral("Недействительное значение кода формы !!!"),
                   platform::Icon::Error);
    return -1;
}

LoadView enterLoadView(reference::Session& session, bool takePreamblePeriod, const QDate& today,
                       platform::Prompt& prompt) {
    if (takePreamblePeriod) {
        const core::YearMonth period =
            core::periodFromPreamble(session.cnf, {session.year, session.month}, today);
        session.year = core::Trim(period.year);
        session.month = core::Trim(period.month);
    }
    session.regions = reference::VVOD_A_Reg(session.cnf, session.dir(core::DirSHIF), prompt);
    session.summ = reference::VVOD_Summ(session.cnf, session.regions, session.dir(core::DirSHIF),
                                        session.summEnabled, prompt);
    LoadView view;
    view.regionGrid = VVOD_Grid(session.regions, session.summ, session.summEnabled);
    view.forms = VVOD_Combo_FFF(session, prompt);
    view.loadEnabled = !view.forms.isEmpty();
    return view;
}

QStringList registerMarks(const reference::Session& session, const QString& formCode,
                          const QString& regionCode, int sections,
                          const QList<std::optional<QString>>& known) {
    const DataKey key{session.dir(core::DirDAT), session.year, session.month, formCode, regionCode};
    QStringList marks;
    marks.reserve(sections);
    for (int s = 1; s <= sections; ++s) {
        const std::optional<QString> mark = s <= known.size() ? known.at(s - 1) : std::nullopt;
        marks.append(mark ? *mark : registerMark(key.path(s)));
    }
    return marks;
}

std::optional<Register> Cmd_Load_DD(reference::Session& session, const QString& formCode,
                                    bool missing, platform::Prompt& prompt) {
    if (session.selectForm(formCode, prompt) != 0) return std::nullopt;
    const reference::CatalogEntry& entry = *session.currentEntry();
    Register reg;
    reg.formCode = formCode;
    reg.basePeriod = entry.basePeriod;
    reg.sections = int(entry.sections.size());
    reg.header = QStringList{QStringLiteral("код"), QStringLiteral("наименование")};
    for (int s = 1; s <= reg.sections; ++s)
        reg.header.append(QString::number(s));

    QList<RegisterRow> all;
    QList<RegisterRow> absent;
    // The period folder is opened once and its files are read by name: a register reads
    // thousands of them.
    const DataKey key{session.dir(core::DirDAT), session.year, session.month, formCode, QString()};
    platform::FolderFiles folder(key.dir());
    QByteArray head;
    platform::Progress progress(prompt, int(session.regions.size()));
    for (int i = 0; i < session.regions.size(); ++i) {
        const auto& slot = session.regions.at(i);
        RegisterRow row;
        if (slot) {
            row.code = slot->code;
            row.name = slot->name;
            row.marks.reserve(reg.sections);
            // An empty mark is a missing file or an empty one; only the first is "absent".
            bool anyFile = false;
            for (int s = 1; s <= reg.sections; ++s) {
                const bool exists = folder.read(sectionFileName(slot->code, s), head, 4096);
                anyFile = anyFile || exists;
                row.marks.append(exists ? registerMarkOf(head) : QString());
            }
            if (!anyFile) absent.append(RegisterRow{row.code, row.name, row.marks});
        } else {
            row.marks = QStringList(reg.sections);
        }
        all.append(row);
        if (!progress.step(i + 1)) {
            prompt.message(platform::stoppedText());
            return std::nullopt;
        }
    }
    progress.finish();

    if (missing && !absent.isEmpty()) {
        reg.missingOnly = true;
        reg.rows = absent;
        return reg;
    }
    if (missing)
        prompt.message(QStringLiteral("Нет регионов непредставивших отчеты !!!"),
                       platform::Icon::Information);
    reg.rows = all;
    return reg;
}

bool opensEntry(const QString& regionCode) {
    return core::Val(regionCode) > 0;
}

QString entryCaption(const QString& regionCode, const QString& regionName,
                     const QString& selectorText) {
    QString name = regionName;
    name.remove(QLatin1Char('.'));
    return regionCode + QStringLiteral(" - ") + name + QStringLiteral(". ") + selectorText;
}

} // namespace mirel::data
