#pragma once

#include <QDate>
#include <QString>

#include "core/config.h"

namespace mirel::core {

// Period forms built from the texts of the year and month fields.
QString yearCode(const QString& yearField);                               // "0000" + year, last 4
QString monthCode(const QString& monthField);                             // "00" + month, last 2
QString periodCode(const QString& yearField, const QString& monthField);  // YYYYMM
QString shortPeriod(const QString& yearField, const QString& monthField); // YYMM
QString formFolderPeriod(const QString& yearField, const QString& monthField); // YYYY_MM

// Whether a form of periodicity p is due in the month (12 every month, 4 quarterly,
// 2 half-yearly, 1 yearly, anything else never).
bool VVOD_Actual_Per(int periodicity, int month);

struct YearMonth {
    QString year;
    QString month;
};

// The previous calendar month of the date.
YearMonth previousMonth(const QDate& today);

// The period that the preamble of the configuration gives (lines "year month"); the
// previous month when the configuration has no preamble. Fields not set by any line keep the
// current values.
YearMonth periodFromPreamble(const IniSections& cnf, const YearMonth& current, const QDate& today);

} // namespace mirel::core
