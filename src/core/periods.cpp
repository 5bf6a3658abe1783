#include "core/periods.h"

#include "core/text.h"

namespace mirel::core {

namespace {

// The last `width` characters of the field with zeros before it ("0000" + field, right 4):
// written in place, since every data file's path is made of such codes.
QChar* padded(QChar* out, qsizetype width, const QString& field) {
    const qsizetype n = field.size();
    for (qsizetype i = 0; i < width; ++i) {
        const qsizetype from = n - width + i;
        out[i] = from >= 0 ? field.at(from) : QChar(u'0');
    }
    return out + width;
}

} // namespace

QString yearCode(const QString& yearField) {
    QString code(4, Qt::Uninitialized);
    padded(code.data(), 4, yearField);
    return code;
}
QString monthCode(const QString& monthField) {
    QString code(2, Qt::Uninitialized);
    padded(code.data(), 2, monthField);
    return code;
}

QString periodCode(const QString& yearField, const QString& monthField) {
    QString code(6, Qt::Uninitialized);
    padded(padded(code.data(), 4, yearField), 2, monthField);
    return code;
}

QString shortPeriod(const QString& yearField, const QString& monthField) {
    // The last two digits of the year code are the last two of the field, padded.
    QString code(4, Qt::Uninitialized);
    padded(padded(code.data(), 2, yearField), 2, monthField);
    return code;
}

QString formFolderPeriod(const QString& yearField, const QString& monthField) {
    QString code(7, Qt::Uninitialized);
    QChar* at = padded(code.data(), 4, yearField);
    *at++ = QLatin1Char('_');
    padded(at, 2, monthField);
    return code;
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
