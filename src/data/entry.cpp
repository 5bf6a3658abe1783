#include "data/entry.h"

#include "core/periods.h"
#include "core/text.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::data {
namespace {

const QString Attention = QStringLiteral("ВНИМАНИЕ !!!");
const QString NotDeleted = QStringLiteral("Раздел не удален !!!");
const QString ErrorTitle = QStringLiteral("ОШИБКА !!!");

// The value of a "[MIREL_WIN]" key line "KEY= value"; empty when there is none.
QString iniValue(const core::IniSections& cnf, const QString& key) {
    QString line = core::Trim(core::Ini_Line(cnf, key));
    if (line.isEmpty()) return QString();
    core::Cut_Before(line, QStringLiteral("="));
    return core::Trim(line);
}

// Any white space, and the blanks between the thousands of a figure pasted from a spreadsheet.
bool isBlank(QChar c) {
    return c.isSpace() || core::isDigitGroupBlank(c);
}

} // namespace

EntryCaption parseEntryCaption(const QString& caption) {
    EntryCaption out;
    QString rest = caption;
    const qsizetype dash = rest.indexOf(QLatin1Char('-'));
    if (dash < 0) {
        out.regionCode = core::Trim(rest);
        return out;
    }
    out.regionCode = core::Trim(rest.left(dash));
    rest = rest.mid(dash + 1);
    const qsizetype dot = rest.indexOf(QLatin1Char('.'));
    if (dot < 0) {
        out.regionName = core::Trim(rest);
        return out;
    }
    out.regionName = core::Trim(rest.left(dot));
    rest = rest.mid(dot + 1);
    const qsizetype dash2 = rest.indexOf(QLatin1Char('-'));
    out.formCode = core::Trim(dash2 < 0 ? rest : rest.left(dash2));
    return out;
}

core::YearMonth entryPeriod(const reference::Session& session) {
    core::YearMonth p{core::Trim(session.year), core::Trim(session.month)};
    if (p.year.isEmpty()) p.year = iniValue(session.cnf, QStringLiteral("YYYY"));
    if (p.month.isEmpty()) p.month = iniValue(session.cnf, QStringLiteral("MM"));
    return p;
}

bool checkEntryValues(const QString& year, const QString& month, const QString& regionCode,
                      platform::Prompt& prompt) {
    const QString y = core::Trim(year);
    const QString m = core::Trim(month);
    const QString r = core::Trim(regionCode);
    QString text;
    if (y.isEmpty() || !core::Is_All_Digits(y))
        text = QStringLiteral("Нечисловое значение года !!!");
    else if (m.isEmpty() || !core::Is_All_Digits(m))
        text = QStringLiteral("Нечисловое значение месяца !!!");
    else if (y.size() != 4 || m.size() > 2 || m.toInt() < 1 || m.toInt() > 12)
        text = QStringLiteral("Нечисловое значение отчетного периода !!!");
    else if (r.isEmpty() || !core::Is_All_Digits(r))
        text = QStringLiteral("Нечисловое значение кода региона !!!");
    if (text.isEmpty()) return true;
    platform::showError(prompt, text);
    return false;
}

std::optional<EntryForm> openEntryForm(const reference::Session& session, const QString& caption,
                                       platform::Prompt& prompt) {
    const EntryCaption parts = parseEntryCaption(caption);
    const core::YearMonth period = entryPeriod(session);
    if (!checkEntryValues(period.year, period.month, parts.regionCode, prompt)) return std::nullopt;
    EntryForm form;
    int index = -1;
    if (reference::VVOD_Base_Per(parts.formCode, core::periodCode(period.year, period.month),
                                 session.forms, form.basePeriod, index, prompt) != 0)
        return std::nullopt;
    form.entry = session.forms.at(index);
    form.key = DataKey{session.dir(core::DirDAT), period.year, period.month, parts.formCode,
                       parts.regionCode};
    form.formDir = session.dir(core::DirFORM);
    form.regionName = parts.regionName;
    form.caption = caption;
    return form;
}

std::optional<OwnRegion> ownRegion(const core::IniSections& cnf) {
    const core::IniSection* pre = core::preamble(cnf);
    if (!pre) return std::nullopt;
    for (const QString& line : pre->lines) {
        const qsizetype dash = line.indexOf(QLatin1Char('-'));
        if (dash < 0) continue;
        const QString code = core::Trim(line.left(dash));
        if (!core::IsNumeric(code)) continue;
        return OwnRegion{code, core::Trim(line.mid(dash + 1))};
    }
    return std::nullopt;
}

QString sectionDocumentPath(const QString& formDir, const QString& formCode,
                            const QString& basePeriod, int section) {
    return reference::formFilePrefix(formDir, formCode, basePeriod) + QLatin1Char('.') +
           sectionNumber(section) + QStringLiteral(".TXT");
}

QString calcFilePath(const QString& formDir, const QString& formCode, const QString& basePeriod,
                     int section) {
    return reference::formFilePrefix(formDir, formCode, basePeriod) + QLatin1Char('.') +
           sectionNumber(section) + QStringLiteral(".CALC");
}

QString cleanEntry(const QString& typed) {
    QString out;
    out.reserve(typed.size());
    for (QChar c : typed)
        if (!isBlank(c)) out.append(c);
    return out;
}

QStringList splitMatrixLine(const QString& line) {
    if (line.contains(QLatin1Char('\t'))) {
        QStringList values = line.split(QLatin1Char('\t'));
        for (QString& v : values)
            v = cleanEntry(v);
        return values;
    }
    QStringList values;
    QString current;
    for (QChar c : line) {
        if (isBlank(c)) {
            if (!current.isEmpty()) values.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty()) values.append(current);
    return values;
}

QList<QStringList> parseMatrix(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && core::Trim(lines.last()).isEmpty())
        lines.removeLast();
    QList<QStringList> rows;
    rows.reserve(lines.size());
    for (const QString& line : lines)
        rows.append(splitMatrixLine(line));
    return rows;
}

std::optional<CellEdit> enterValue(SectionGrid& grid, int row, int column, const QString& typed) {
    if (row < 1 || row > grid.rows() || column < 1 || column > grid.columns()) return std::nullopt;
    if (grid.isZeroCell(row, column)) return std::nullopt;
    CellEdit edit{row, column, grid.cell(row, column), cleanEntry(typed)};
    grid.setCell(row, column, edit.after);
    return edit;
}

QList<CellEdit> pasteBlock(SectionGrid& grid, int row, int column,
                           const QList<QStringList>& block) {
    QList<CellEdit> edits;
    for (int i = 0; i < block.size(); ++i) {
        for (int j = 0; j < block.at(i).size(); ++j) {
            const std::optional<CellEdit> edit =
                enterValue(grid, row + i, column + j, block.at(i).at(j));
            if (edit && edit->before != edit->after) edits.append(*edit);
        }
    }
    return edits;
}

QString copyBlock(const SectionGrid& grid, int top, int left, int bottom, int right) {
    QString out;
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            if (c > left) out += QLatin1Char('\t');
            out += grid.cell(r, c);
        }
        out += QLatin1Char('\n');
    }
    return out;
}

void undoEdits(SectionGrid& grid, const QList<CellEdit>& edits) {
    for (qsizetype i = edits.size() - 1; i >= 0; --i)
        grid.setCell(edits.at(i).row, edits.at(i).column, edits.at(i).before);
}

bool hasEnteredData(const SectionGrid& grid) {
    for (int r = 1; r <= grid.rows(); ++r) {
        for (int c = 1; c <= grid.columns(); ++c) {
            const QString text = core::Trim(grid.cell(r, c));
            if (text.isEmpty()) continue;
            if (cellValue(text) != 0) return true;
            if (!core::IsNumeric(text)) return true;
        }
    }
    return false;
}

LeaveResult V__Changed(SectionGrid& grid, const DataKey& key, bool gridVisible, bool loadFailed,
                       platform::Prompt& prompt) {
    // A grid nobody changed since it was loaded or saved holds what its file held: comparing is
    // not needed, and a file changed meanwhile by someone else is not overwritten.
    if (!grid.changed()) return LeaveResult::Unchanged;
    const QString path = key.path(grid.section());
    bool save = false;
    if (loadFailed) {
        save = true;
    } else if (platform::fileExists(path)) {
        // Compared on a copy: the comparison must not touch the tab caption of the grid.
        SectionGrid copy = grid;
        save = Load_DD(copy, path, true, prompt) != 0;
    } else {
        save = gridVisible && hasEnteredData(grid);
    }
    if (!save) return LeaveResult::Unchanged;
    return VV_Save(grid, key, QStringLiteral("PR_?"), prompt).isEmpty() ? LeaveResult::Failed
                                                                        : LeaveResult::Saved;
}

DeleteResult menu_DelRR(const DataKey& key, int section, platform::Prompt& prompt) {
    const QString path = key.path(section);
    if (!platform::fileExists(path)) return DeleteResult::NoFile;
    if (!prompt.askOkCancel(QStringLiteral("Удалить раздел ?"), Attention))
        return DeleteResult::Cancelled;
    if (!platform::removeFile(path)) {
        platform::showError(prompt, NotDeleted, ErrorTitle);
        return DeleteResult::Failed;
    }
    prompt.message(QStringLiteral("Раздел удален !!!"));
    return DeleteResult::Deleted;
}

std::optional<QList<int>> menu_DelAll(const DataKey& key, int sectionCount,
                                      platform::Prompt& prompt) {
    if (!prompt.askOkCancel(QStringLiteral("Удалить все разделы ?"), Attention))
        return std::nullopt;
    QList<int> deleted;
    for (int s = 1; s <= sectionCount; ++s) {
        const QString path = key.path(s);
        if (!platform::fileExists(path)) continue;
        if (platform::removeFile(path))
            deleted.append(s);
        else
            platform::showError(prompt, NotDeleted + core::CRLF + path, ErrorTitle);
    }
    return deleted;
}

} // namespace mirel::data
