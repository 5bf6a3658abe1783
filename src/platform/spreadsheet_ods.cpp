// .ods workbooks: the tables of content.xml. Rows and cells may be repeated (a sheet of a
// million empty rows is one element), so both are kept as runs and looked up by halving.

#include <algorithm>
#include <QList>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "platform/evaluator.h"
#include "platform/spreadsheet_p.h"

namespace mirel::platform::sheets {
namespace {

struct CellRun {
    int first = 0;
    int count = 0;
    QString text;
};
struct RowRun {
    int first = 0;
    int count = 0;
    QList<CellRun> cells;
};

template <typename Run>
const Run* findRun(const QList<Run>& runs, int index) {
    auto it = std::upper_bound(runs.begin(), runs.end(), index,
                               [](int i, const Run& r) { return i < r.first; });
    if (it == runs.begin()) return nullptr;
    --it;
    return index < it->first + it->count ? &*it : nullptr;
}

class OdsSheet : public Worksheet {
public:
    QString cellText(int row, int column) const override {
        const RowRun* r = findRun(m_rows, row);
        if (!r) return QString();
        const CellRun* c = findRun(r->cells, column);
        return c ? c->text : QString();
    }
    QList<RowRun> m_rows;
};

class OdsBook : public Workbook {
public:
    int sheetCount() const override { return int(m_sheets.size()); }
    const Worksheet* sheet(int number) override {
        if (number < 1 || number > sheetCount()) return nullptr;
        return m_sheets.at(size_t(number - 1)).get();
    }
    std::vector<std::unique_ptr<OdsSheet>> m_sheets;
};

// An attribute by its name without the namespace prefix ("value-type" for office:value-type).
QString attribute(const QXmlStreamAttributes& attributes, QLatin1String name) {
    for (const QXmlStreamAttribute& a : attributes)
        if (a.name() == name) return a.value().toString();
    return QString();
}

int repeat(const QXmlStreamReader& r, QLatin1String name) {
    bool ok = false;
    const qint64 n = attribute(r.attributes(), name).toLongLong(&ok);
    return ok && n > 1 ? int(std::min<qint64>(n, MaxSheetRows)) : 1;
}

// The text of a cell's paragraphs: text:s is a run of blanks, text:tab a tab, text:line-break
// a line break; paragraphs are joined by line breaks.
QString paragraphText(QXmlStreamReader& r) {
    QString text;
    int depth = 1;
    while (depth > 0 && !r.atEnd()) {
        r.readNext();
        if (r.isCharacters()) {
            text += r.text();
        } else if (r.isStartElement()) {
            ++depth;
            if (r.name() == QLatin1String("s")) {
                bool ok = false;
                const int n = attribute(r.attributes(), QLatin1String("c")).toInt(&ok);
                text += QString(ok ? std::clamp(n, 1, 1000) : 1, QLatin1Char(' '));
            } else if (r.name() == QLatin1String("tab")) {
                text += QLatin1Char('\t');
            } else if (r.name() == QLatin1String("line-break")) {
                text += QLatin1Char('\n');
            } else if (r.name() == QLatin1String("annotation")) {
                r.skipCurrentElement();
                --depth;
            }
        } else if (r.isEndElement()) {
            --depth;
        }
    }
    return text;
}

QString durationText(const QString& value) {
    // PnDTnHnMnS, as the office writes a time of day.
    static const QRegularExpression re(
        QStringLiteral(R"(^-?P(?:(\d+)D)?T?(?:(\d+)H)?(?:(\d+)M)?(?:(\d+(?:[.,]\d+)?)S)?$)"));
    const QRegularExpressionMatch m = re.match(value.trimmed());
    if (!m.hasMatch()) return value;
    const double seconds = m.captured(1).toDouble() * 86400 + m.captured(2).toDouble() * 3600 +
                           m.captured(3).toDouble() * 60 +
                           m.captured(4).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    return serialDateText(seconds / 86400.0, false);
}

QString cellValue(QXmlStreamReader& r) {
    const auto a = r.attributes();
    const QString type = attribute(a, QLatin1String("value-type"));
    QString paragraphs;
    bool first = true;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isEndElement()) break; // the cell's own end
        if (!r.isStartElement()) continue;
        if (r.name() == QLatin1String("p")) {
            if (!first) paragraphs += QLatin1Char('\n');
            paragraphs += paragraphText(r);
            first = false;
        } else {
            r.skipCurrentElement(); // annotations, frames, sub-tables
        }
    }
    if (type == QLatin1String("float") || type == QLatin1String("percentage") ||
        type == QLatin1String("currency")) {
        bool ok = false;
        const double v = attribute(a, QLatin1String("value")).toDouble(&ok);
        return ok ? numberText(v) : paragraphs;
    }
    if (type == QLatin1String("boolean")) {
        const QString v = attribute(a, QLatin1String("boolean-value")).toLower();
        return v == QLatin1String("true") || v == QLatin1String("1") ? QStringLiteral("1")
                                                                     : QStringLiteral("0");
    }
    if (type == QLatin1String("date")) {
        const QString v = attribute(a, QLatin1String("date-value"));
        QString text = isoDateText(v.left(19));
        if (text.isEmpty()) text = isoDateText(v.left(10));
        return text.isEmpty() ? paragraphs : text;
    }
    if (type == QLatin1String("time"))
        return durationText(attribute(a, QLatin1String("time-value")));
    return paragraphs;
}

void readTable(QXmlStreamReader& r, OdsSheet& sheet) {
    int row = 0;
    int depth = 1;
    while (depth > 0 && !r.atEnd()) {
        r.readNext();
        if (r.isEndElement()) {
            --depth;
            continue;
        }
        if (!r.isStartElement()) continue;
        if (r.name() == QLatin1String("table-row")) {
            const int count = repeat(r, QLatin1String("number-rows-repeated"));
            RowRun run{row, count, {}};
            int column = 0;
            while (!r.atEnd()) {
                r.readNext();
                if (r.isEndElement()) break; // the row's end
                if (!r.isStartElement()) continue;
                if (r.name() == QLatin1String("table-cell") ||
                    r.name() == QLatin1String("covered-table-cell")) {
                    const int n = repeat(r, QLatin1String("number-columns-repeated"));
                    const QString text = cellValue(r);
                    if (!text.isEmpty() && column < MaxSheetColumns)
                        run.cells.append({column, std::min(n, MaxSheetColumns - column), text});
                    column = std::min(column + n, MaxSheetColumns);
                } else {
                    r.skipCurrentElement();
                }
            }
            if (!run.cells.isEmpty() && row < MaxSheetRows) {
                run.count = std::min(count, MaxSheetRows - row);
                sheet.m_rows.append(run);
            }
            row = std::min(row + count, MaxSheetRows);
        } else if (r.name() == QLatin1String("table-rows") ||
                   r.name() == QLatin1String("table-header-rows") ||
                   r.name() == QLatin1String("table-row-group")) {
            ++depth; // rows inside these count as rows of the table
        } else {
            r.skipCurrentElement(); // columns, shapes, named ranges
        }
    }
}

} // namespace

std::unique_ptr<Workbook> openOds(Zip& zip, QString* error) {
    auto fail = [error](const QString& reason) -> std::unique_ptr<Workbook> {
        if (error) *error = reason;
        return nullptr;
    };
    QByteArray manifest;
    if (zip.read(QStringLiteral("META-INF/manifest.xml"), manifest) &&
        manifest.contains("encryption-data"))
        return fail(ProtectedWorkbook);
    QByteArray xml;
    if (!zip.read(QStringLiteral("content.xml"), xml)) return fail(DamagedWorkbook);
    auto book = std::make_unique<OdsBook>();
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("table") &&
            r.namespaceUri().endsWith(QLatin1String(":table:1.0"))) {
            auto sheet = std::make_unique<OdsSheet>();
            readTable(r, *sheet);
            book->m_sheets.push_back(std::move(sheet));
        }
    }
    if (r.hasError()) return fail(DamagedWorkbook);
    return book;
}

} // namespace mirel::platform::sheets
