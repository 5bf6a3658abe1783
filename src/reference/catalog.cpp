#include "reference/catalog.h"

#include <algorithm>

#include "core/files.h"
#include "core/lists.h"
#include "core/periods.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::reference {
namespace {

const QChar Semicolon = QLatin1Char(';');

bool isDigitText(const QString& text) {
    return !text.isEmpty() && core::Is_All_Digits(text);
}

// Texts in the order of the system's sorted lists: without regard to case, ties by exact text.
void sortAsText(QStringList& list) {
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

// YYMM of a base period code YYYYMM, as structure and description file names carry it.
QString baseShortPeriod(const QString& basePeriod) {
    return basePeriod.mid(2, 4);
}

// Designators of the structure files FFF_YYMM.<designator>S of a form folder, sorted. Names are
// compared in upper case; Excel files are not structure files.
QStringList structureDesignators(const QString& folder, const QString& formCode,
                                 const QString& basePeriod) {
    const QString prefix =
        (formCode + QLatin1Char('_') + baseShortPeriod(basePeriod) + QLatin1Char('.')).toUpper();
    QStringList designators;
    for (const QString& name : platform::listFiles(folder)) {
        const QString upper = name.toUpper();
        if (upper.size() <= prefix.size() || !upper.startsWith(prefix) ||
            !upper.endsWith(QLatin1Char('S')) || upper.endsWith(QLatin1String(".XLS")))
            continue;
        const QString designator = upper.mid(prefix.size(), upper.size() - prefix.size() - 1);
        if (!designators.contains(designator)) designators.append(designator);
    }
    sortAsText(designators);
    return designators;
}

} // namespace

bool parseFormFolderName(const QString& name, QString& formCode, QString& basePeriod) {
    const qsizetype underscore = name.indexOf(QLatin1Char('_'));
    if (underscore < 0) return false;
    const QString year = name.left(underscore);
    const QString rest = name.mid(underscore + 1);
    // Base periods are compared as six-character texts, so the year must have four digits.
    if (year.size() != 4 || !isDigitText(year) || rest.size() < 4 || !isDigitText(rest.left(2)) ||
        rest.at(2) != QLatin1Char('.'))
        return false;
    formCode = rest.mid(3);
    basePeriod = year + rest.left(2);
    return true;
}

int Load_Form_Catalog(const QString& formDir, FormCatalog& catalog, platform::Prompt& prompt) {
    if (!platform::dirExists(formDir)) {
        prompt.message(QStringLiteral("Отсутствует директорий ") + formDir, platform::Icon::Error);
        return -1;
    }
    const int status = Scan_Form_Dir(formDir, catalog, prompt);
    if (status != 0) return status;
    if (catalog.isEmpty()) {
        prompt.message(formDir + core::CRLF + QStringLiteral("Справочник форм пуст !!!"),
                       platform::Icon::Error);
        return -1;
    }
    return 0;
}

int Scan_Form_Dir(const QString& formDir, FormCatalog& catalog, platform::Prompt& prompt) {
    catalog.clear();
    for (const QString& name : platform::listDirs(formDir)) {
        QString formCode;
        QString basePeriod;
        const QString folder = formDir + QLatin1Char('/') + name;
        if (!parseFormFolderName(name, formCode, basePeriod)) {
            // A folder that starts like a form folder was most likely meant to be one: say why
            // its form does not appear instead of dropping it silently.
            if (!name.isEmpty() && name.at(0).isDigit() && name.contains(QLatin1Char('_')))
                prompt.message(QStringLiteral("Папка не соответствует шаблону ГГГГ_ММ.ФФФ и не "
                                              "включена в справочник форм !!!"),
                               platform::Icon::Warning, folder);
            continue;
        }
        const QStringList designators = structureDesignators(folder, formCode, basePeriod);
        const QString prefix = folder + QLatin1Char('/') + formCode + QLatin1Char('_') +
                               baseShortPeriod(basePeriod) + QLatin1Char('.');
        if (Read_Form_Sections(catalog, formCode, basePeriod, prefix, designators, prompt) != 0)
            return -1;
    }
    return 0;
}

int Read_Form_Sections(FormCatalog& catalog, const QString& formCode, const QString& basePeriod,
                       const QString& pathPrefix, const QStringList& designators,
                       platform::Prompt& prompt) {
    for (const QString& designator : designators) {
        const QString path = pathPrefix + designator + QLatin1Char('S');
        SectionStructure section;
        section.designator = designator;
        if (parseStructure(core::Read_Lines_Upper(path, false, prompt), path, section, prompt) != 0)
            return -1;
        const int at = Find_Catalog_Entry(catalog, formCode, basePeriod);
        if (at > 0)
            Add_Catalog_Section(catalog[at - 1], section);
        else
            New_Catalog_Entry(catalog, formCode, basePeriod, section);
    }
    return 0;
}

int parseStructure(const QStringList& lines, const QString& path, SectionStructure& section,
                   platform::Prompt& prompt) {
    const int n = int(lines.size());
    int columnLine = -1;
    for (int i = 0; i < n; ++i) {
        const QString& line = lines.at(i);
        if (line.startsWith(QLatin1String("//")) || !line.contains(Semicolon)) continue;
        if (i + 1 < n && lines.at(i + 1).contains(Semicolon))
            continue; // a line of the printed table head
        columnLine = i;
        break;
    }
    if (columnLine < 0) {
        // Kept as one empty row and one empty column, as stored data may rely on that shape,
        // but the person should know the file describes no columns.
        section.rows = QStringList{QString()};
        section.columns = QStringList{QString()};
        prompt.message(
            QStringLiteral("В структурном файле не найдена строка идентификаторов граф !!!"),
            platform::Icon::Warning, path);
        return 0;
    }
    if (columnLine == n - 1) {
        prompt.message(QStringLiteral("Ошибка в формате матрицы !!! Файл - ") + path,
                       platform::Icon::Error);
        return -1;
    }
    QString rest = lines.at(columnLine);
    core::Cut_Before(rest, QString(Semicolon));
    QStringList columns;
    for (qsizetype end = rest.indexOf(Semicolon); end >= 0; end = rest.indexOf(Semicolon)) {
        columns.append(core::Trim(rest.left(end)));
        rest = rest.mid(end + 1);
    }
    if (columns.isEmpty()) {
        prompt.message(QStringLiteral("Ошибка в формате матрицы. Файл : ") + path,
                       platform::Icon::Error);
        return -1;
    }
    section.columns = columns;
    section.rows = lines.mid(columnLine + 1);
    return 0;
}

void New_Catalog_Entry(FormCatalog& catalog, const QString& formCode, const QString& basePeriod,
                       const SectionStructure& first) {
    catalog.append(CatalogEntry{formCode, basePeriod, {first}});
}

void Add_Catalog_Section(CatalogEntry& entry, const SectionStructure& section) {
    entry.sections.append(section);
}

int Find_Catalog_Entry(const FormCatalog& catalog, const QString& formCode,
                       const QString& basePeriod) {
    for (int i = 0; i < catalog.size(); ++i)
        if (catalog.at(i).formCode == formCode && catalog.at(i).basePeriod == basePeriod)
            return i + 1;
    return 0;
}

int applicableEntry(const FormCatalog& catalog, const QString& formCode,
                    const QString& periodCode) {
    int best = -1;
    for (int i = 0; i < catalog.size(); ++i) {
        const CatalogEntry& e = catalog.at(i);
        if (e.formCode != formCode || e.basePeriod > periodCode) continue;
        // The first entry of the greatest base period wins.
        if (best < 0 || e.basePeriod > catalog.at(best).basePeriod) best = i;
    }
    return best;
}

int VVOD_Base_Per(const QString& formCode, const QString& periodCode, const FormCatalog& catalog,
                  QString& basePeriod, int& entryIndex, platform::Prompt& prompt) {
    const int i = applicableEntry(catalog, formCode, periodCode);
    if (i < 0) {
        prompt.message(QStringLiteral("Форма некаталогизирована для данного отчетного периода !!!"),
                       platform::Icon::Error, formCode);
        return -1;
    }
    basePeriod = catalog.at(i).basePeriod;
    entryIndex = i;
    return 0;
}

QString formFolder(const QString& formDir, const QString& formCode, const QString& basePeriod) {
    return formDir + QLatin1Char('/') + basePeriod.left(4) + QLatin1Char('_') +
           basePeriod.mid(4, 2) + QLatin1Char('.') + formCode;
}

QString formFilePrefix(const QString& formDir, const QString& formCode, const QString& basePeriod) {
    return formFolder(formDir, formCode, basePeriod) + QLatin1Char('/') + formCode +
           QLatin1Char('_') + baseShortPeriod(basePeriod);
}

QString descriptionPath(const QString& formDir, const QString& formCode,
                        const QString& basePeriod) {
    const QString path = formFilePrefix(formDir, formCode, basePeriod) + QStringLiteral(".TXT");
    if (platform::fileExists(path)) return path;
    return formFilePrefix(formDir, formCode, basePeriod);
}

int formPeriodicity(const QString& descriptionFile, bool& found, platform::Prompt& prompt) {
    const QStringList lines = core::Read_Lines_Upper(descriptionFile, false, prompt);
    const int at = core::Find_Prefix(lines, QStringLiteral("N_PERIOD"));
    found = at > 0;
    if (!found) return 0;
    QString rest = core::Trim(lines.at(at - 1).mid(8));
    return core::Cut_Lead_Digits(rest).toInt();
}

QString VVOD_Name_Form(const QString& formDir, const QString& formCode, const QString& basePeriod,
                       int reportingMonth, platform::Prompt& prompt) {
    const QString path = descriptionPath(formDir, formCode, basePeriod);
    bool found = false;
    const int periodicity = formPeriodicity(path, found, prompt);
    if (!found || !core::VVOD_Actual_Per(periodicity, reportingMonth)) return QString();
    return formCode + QStringLiteral(" - ") + core::Read_First_Line(path, false, true, prompt);
}

QString S_RR_Info(int section, int rows, int columns) {
    const auto two = [](int n) { return (QStringLiteral(" ") + QString::number(n)).right(2); };
    return QStringLiteral("Раздел ") + (QStringLiteral("0") + QString::number(section)).right(2) +
           QStringLiteral(". Строк : ") + two(rows) + QStringLiteral(". Граф : ") + two(columns);
}

} // namespace mirel::reference
