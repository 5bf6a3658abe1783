#include "core/periods.h"

#include "core/text.h"

namespace mirel::core {

QString yearCode(const QString& yearField) {
    return (QStringLiteral("0000") + yearField).right(4);
}
QString monthCode(const QString& monthField) {
    return (QStringLiteral("00") + monthField).right(2);
}

QString periodCode(const QString& yearField, const QString& monthField) {
    return yearCode(yearField) + monthCode(monthField);
}

QString shortPeriod(const QString& yearField, const QString& monthField) {
    return yearCode(yearField).right(2) + monthCode(monthField);
}

QString formFolderPeriod(const QString& yearField, const QString& monthField) {
    return yearCode(yearField) + QLatin1Char('_') + monthCode(monthField);
}

bool VVOD_Actual_Per(int periodicity, int month) {
    switch (periodicity) {
    case 12:
        return true;
    case 4:
        return month == 3 || month == 6 || month == 9 || month == 12;
    case 2:
        return month == 6 || month == 12;
    case 1:
        return month == 12;
    default:
        return false;
    }
}

YearMonth previousMonth(const QDate& today) {
    int month = today.month() - 1;
    int year = today.year();
    if (month == 0) {
        month = 12;
        --year;
    }
    return {QString::number(year), QString::number(month)};
}

YearMonth periodFromPreamble(const IniSections& cnf, const YearMonth& current, const QDate& today) {
    const IniSection* pre = preamble(cnf);
    if (!pre) return previousMonth(today);
    YearMonth result = current;
    for (const QString& raw : pre->lines) {
        const QString line = Trim(raw);
        const qsizetype blank = line.indexOf(QLatin1Char(' '));
        if (blank < 0) continue;
        const QString first = Trim(line.left(blank));
        const QString second = Trim(line.mid(blank + 1));
        if (IsNumeric(first)) result.year = first;
        if (IsNumeric(second)) result.month = second;
    }
    return result;
}

} // namespace mirel::core
