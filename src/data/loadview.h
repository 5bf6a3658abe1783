#pragma once

#include <optional>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "reference/session.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::data {

// A table of texts as a grid shows it: the header row and the rows of cells.
struct TextTable {
    QStringList header;
    QList<QStringList> rows;
};

// The region grid of the data-loading view (VVOD_Grid): header "код", "наименование", one
// column per summation file and one further column, all but the last fixed; one row per
// classifier slot (empty cells for a slot that is not a region). When summation is enabled the
// summation cells hold VVOD_Sign_Summ ("сумма", "+" or empty).
TextTable VVOD_Grid(const reference::Regions& regions, const reference::SummList& summ,
                    bool summEnabled);

// The list of the form selector (VVOD_Combo_FFF): for each form the display name
// "FFF - title" of its structure that applies to the period fields, when the form is due in the
// reporting month; sorted as text, one name per form code. An empty list shows "Нет форм,
// каталогизированных для данного отчетного периода !!!" (error icon).
QStringList VVOD_Combo_FFF(const reference::Session& session, platform::Prompt& prompt);

// Step 1 of the register: the entry of names that the selector text (trimmed) stands for, by
// its first three characters. -1 after "Не выбрана форма !!!" (empty text) or
// "Недействительное значение кода формы !!!" (no such entry).
int selectFormEntry(const QString& selectorText, const QStringList& names,
                    platform::Prompt& prompt);

// What entering the data-loading view gives the window.
struct LoadView {
    TextTable regionGrid;
    QStringList forms;        // the form selector's list
    bool loadEnabled = false; // "Загрузить данные" enabled (at least one form)
};

// Entering the data-loading view ("ВВОД ДАННЫХ" with takePreamblePeriod; Enter in a period
// field without it): the period from the preamble, then the classifier of the entry mode into
// session.regions (VVOD_A_Reg), the summation files into session.summ (VVOD_Summ), the region
// grid and the list of forms due, in that order, each with its messages.
LoadView enterLoadView(reference::Session& session, bool takePreamblePeriod, const QDate& today,
                       platform::Prompt& prompt);

// One row of the register: region code and name (both empty for a classifier slot that is not
// a region) and per section the mark shown (empty when the file is missing).
struct RegisterRow {
    QString code;
    QString name;
    QStringList marks;
};

// The register of submitted reports of a form for the period fields (Cmd_Load_DD).
struct Register {
    QString formCode;
    QString basePeriod;
    int sections = 0;
    bool missingOnly = false; // the rows are the regions without any file
    QStringList header;       // "код", "наименование", "1".."n"
    QList<RegisterRow> rows;
};

// Fills the register for a form code (steps 2 to 6 of Cmd_Load_DD) over session.regions, making
// the applicable entry the current form entry. "Все": one row per classifier slot. With
// missing: the regions that have no data file for any section; when there is none,
// "Нет регионов непредставивших отчеты !!!" (information icon) and the full register with
// missingOnly false, as the option returns to "Все". nullopt after "Форма некаталогизирована
// для данного отчетного периода !!!". Progress runs over the rows; a run the person stopped
// says so and gives nullopt.
std::optional<Register> Cmd_Load_DD(reference::Session& session, const QString& formCode,
                                    bool missing, platform::Prompt& prompt);

// The marks of one region's row, read again after data entry (VVOD_Region). known holds the
// marks already known for sections 1, 2, ... (a run that has just read or written the files);
// only the others are read.
QStringList registerMarks(const reference::Session& session, const QString& formCode,
                          const QString& regionCode, int sections,
                          const QList<std::optional<QString>>& known = {});

// True when the register row may open data entry: its code has a value above 0.
bool opensEntry(const QString& regionCode);
// The caption handed to the data entry window (g_Caption_VV): code, " - ", the name without
// any ".", ". ", the selector text.
QString entryCaption(const QString& regionCode, const QString& regionName,
                     const QString& selectorText);

} // namespace mirel::data
