#include "query/references.h"

#include <QSet>

#include "core/periods.h"
#include "core/text.h"
#include "platform/prompt.h"

namespace mirel::query {
namespace {

QString offsetValue(const QString& given, const QString& current) {
    // Both held far below the range of the sum.
    return QString::number(core::wholeInt(core::Val(current)) +
                           qint64(core::wholeInt(core::Val(given))));
}

bool isOffset(const QString& given) {
    return given.startsWith(QLatin1Char('+')) || given.startsWith(QLatin1Char('-'));
}

} // namespace

const reference::SectionStructure* Reference::structure(const reference::FormCatalog& forms) const {
    if (entry < 0 || entry >= forms.size()) return nullptr;
    const auto& sections = forms.at(entry).sections;
    if (sectionNo < 1 || sectionNo > sections.size()) return nullptr;
    return &sections.at(sectionNo - 1);
}

QString resolveYear(const QString& given, const QString& currentYear) {
    if (given.isEmpty() || given == QStringLiteral("YEAR"))
        return QString::number(core::wholeLong(core::Val(currentYear)));
    if (given == QStringLiteral("LAST"))
        return QString::number(qint64(core::wholeInt(core::Val(currentYear))) - 1);
    if (isOffset(given)) return offsetValue(given, currentYear);
    return given;
}

QString resolveMonth(const QString& given, const QString& currentMonth) {
    if (given.isEmpty() || given == QStringLiteral("MOUNTH"))
        return QString::number(core::wholeLong(core::Val(currentMonth)));
    if (isOffset(given)) return offsetValue(given, currentMonth);
    return given;
}

int sectionIndex(const reference::CatalogEntry& entry, const QString& section) {
    for (int i = 0; i < entry.sections.size(); ++i)
        if (entry.sections.at(i).designator == section) return i + 1;
    // "01" names the section "1" too, since both are written by people.
    if (!section.isEmpty() && core::Is_All_Digits(section))
        for (int i = 0; i < entry.sections.size(); ++i) {
            const QString& d = entry.sections.at(i).designator;
            if (!d.isEmpty() && core::Is_All_Digits(d) && d.toLongLong() == section.toLongLong())
                return i + 1;
        }
    return 0;
}

int findReference(const ReferenceTable& table, const QString& number) {
    for (int i = 0; i < table.size(); ++i)
        if (table.at(i).number == number) return i;
    return -1;
}

bool parseReferenceLines(const QStringList& lines, const reference::FormCatalog& forms,
                         const Period& period, ReferenceTable& table, platform::Prompt& prompt) {
    table.clear();
    QSet<QString> numbers;
    for (const QString& original : lines) {
        if (!original.contains(QLatin1Char(':'))) continue;
        QString line = original;
        Reference ref;
        const bool fixed = core::Remove_First(line, QStringLiteral("FIX"));
        if (fixed) ref.fix = QStringLiteral("FIX");

        QString rest = line;
        ref.number = core::Trim(core::Cut_Before(rest, QStringLiteral(":")));
        if (numbers.contains(ref.number)) {
            prompt.message(QStringLiteral("Повторное использование ссылки -> ") + original);
            return false;
        }
        if (ref.number.isEmpty() || !core::Is_All_Digits(ref.number)) {
            prompt.message(QStringLiteral("Неверная ссылка -> ") + original);
            return false;
        }

        rest = core::Trim(rest);
        const qsizetype blank = rest.indexOf(QLatin1Char(' '));
        if (blank >= 0) {
            ref.form = rest.left(blank);
            rest = core::Trim(rest.mid(blank + 1));
        } else if (fixed) {
            ref.form = rest.left(3);
            rest = core::Trim(rest.mid(3));
        } else {
            prompt.message(QStringLiteral("Не задан код формы -> ") + original);
            return false;
        }
        bool catalogued = false;
        for (const auto& entry : forms)
            catalogued = catalogued || entry.formCode == ref.form;
        if (!catalogued || ref.form.isEmpty()) {
            prompt.message(QStringLiteral("Недопустимое значение кода формы -> ") + ref.form);
            return false;
        }

        const qsizetype gap = rest.indexOf(QLatin1Char(' '));
        if (gap >= 0) {
            ref.section = rest.left(gap);
            QString tail = core::Trim(rest.mid(gap + 1));
            const qsizetype next = tail.indexOf(QLatin1Char(' '));
            ref.year = next >= 0 ? tail.left(next) : tail;
            ref.month = next >= 0 ? core::Trim(tail.mid(next + 1)) : QString();
            if (ref.month.isEmpty()) ref.month = QStringLiteral("MOUNTH");
        } else {
            QString remainder;
            if (fixed) {
                ref.section = rest.left(2);
                remainder = rest.mid(2);
            } else {
                ref.section = rest;
            }
            if (remainder.startsWith(QStringLiteral("LAST"))) {
                ref.year = QStringLiteral("LAST");
                ref.month = remainder.mid(4);
            } else {
                ref.year = QStringLiteral("YEAR");
                ref.month = QStringLiteral("MOUNTH");
            }
        }

        // The section must exist in the version catalogued for the referenced period.
        const QString year = resolveYear(ref.year, period.year);
        const QString month = core::monthCode(resolveMonth(ref.month, period.month));
        const int entry = reference::applicableEntry(forms, ref.form, core::yearCode(year) + month);
        if (entry < 0) {
            prompt.message(
                QStringLiteral("Форма некаталогизирована для данного отчетного периода : ") +
                ref.form + QLatin1Char(' ') + year + QLatin1Char(' ') + month);
            return false;
        }
        const int section = sectionIndex(forms.at(entry), ref.section);
        if (section == 0) {
            prompt.message(QStringLiteral("Неверное значение идентификатора раздела -> ") +
                           ref.section);
            return false;
        }
        ref.position = QString::number(entry + 1) + QLatin1Char(' ') + QString::number(section);
        ref.entry = entry;
        ref.sectionNo = section;
        ref.resolvedYear = year;
        ref.resolvedMonth = resolveMonth(ref.month, period.month);
        numbers.insert(ref.number);
        table.append(ref);
    }
    return true;
}

void resolvePeriods(ReferenceTable& table, const reference::FormCatalog& forms,
                    const Period& period) {
    for (Reference& ref : table) {
        ref.resolvedYear = resolveYear(ref.year, period.year);
        ref.resolvedMonth = resolveMonth(ref.month, period.month);
        const QString code = core::yearCode(ref.resolvedYear) + core::monthCode(ref.resolvedMonth);
        const int entry = reference::applicableEntry(forms, ref.form, code);
        if (entry >= 0) {
            const int section = sectionIndex(forms.at(entry), ref.section);
            if (section > 0) {
                ref.entry = entry;
                ref.sectionNo = section;
            }
        }
    }
}

} // namespace mirel::query
