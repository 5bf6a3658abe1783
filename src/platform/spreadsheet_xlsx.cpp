// .xlsx workbooks: the workbook part for the order of the worksheets, the shared strings, the
// number formats (to tell dates), and the worksheet parts.

#include <QHash>
#include <QList>
#include <QXmlStreamReader>

#include "platform/evaluator.h"
#include "platform/spreadsheet_p.h"

namespace mirel::platform::sheets {
namespace {

// A relationship target is relative to the folder of the part that names it, or absolute.
QString resolveTarget(const QString& base, const QString& target) {
    if (target.startsWith(QLatin1Char('/'))) return target.mid(1);
    QStringList parts = base.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& piece : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == QLatin1String("..")) {
            if (!parts.isEmpty()) parts.removeLast();
        } else if (piece != QLatin1String(".")) {
            parts.append(piece);
        }
    }
    return parts.join(QLatin1Char('/'));
}

// Relationship id -> (type, target part).
struct Relation {
    QString type;
    QString target;
};
QHash<QString, Relation> readRelations(const QByteArray& xml, const QString& base) {
    QHash<QString, Relation> out;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("Relationship")) {
            const auto a = r.attributes();
            out.insert(a.value(QLatin1String("Id")).toString(),
                       {a.value(QLatin1String("Type")).toString(),
                        resolveTarget(base, a.value(QLatin1String("Target")).toString())});
        }
    }
    return out;
}

// The text of a rich or plain string (<si> or <is>): its <t> pieces, without phonetic runs.
QString readRichText(QXmlStreamReader& r) {
    QString text;
    const QString end = r.name().toString();
    int phonetic = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            if (r.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (r.name() == QLatin1String("t") && phonetic == 0)
                text += r.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (r.isEndElement()) {
            if (r.name() == QLatin1String("rPh"))
                --phonetic;
            else if (r.name() == end)
                break;
        }
    }
    return text;
}

// Whether a number format shows dates or times: its codes outside quotes, escapes and
// brackets (colours, conditions) hold d, m, y, h or s; elapsed times such as [h] count.
bool isDateFormat(const QString& code) {
    bool inQuote = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i).toLower();
        if (inQuote) {
            if (c == QLatin1Char('"')) inQuote = false;
            continue;
        }
        if (c == QLatin1Char('"'))
            inQuote = true;
        else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*'))
            ++i;
        else if (c == QLatin1Char('[')) {
            const qsizetype close = code.indexOf(QLatin1Char(']'), i);
            if (close < 0) return false;
            const QString inner = code.mid(i + 1, close - i - 1).toLower();
            if (!inner.isEmpty() &&
                (inner.at(0) == QLatin1Char('h') || inner.at(0) == QLatin1Char('m') ||
                 inner.at(0) == QLatin1Char('s')) &&
                inner.count(inner.at(0)) == inner.size())
                return true;
            i = close;
        } else if (c == QLatin1Char('d') || c == QLatin1Char('m') || c == QLatin1Char('y') ||
                   c == QLatin1Char('h') || c == QLatin1Char('s'))
            return true;
        else if (c == QLatin1Char(';'))
            break; // the first section decides
    }
    return false;
}

bool isBuiltinDate(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

class XlsxSheet : public Worksheet {
public:
    QString cellText(int row, int column) const override {
        return m_cells.value(cellKey(0, row, column));
    }
    QHash<quint64, QString> m_cells;
};

class XlsxBook : public Workbook {
public:
    int sheetCount() const override { return int(m_parts.size()); }

    const Worksheet* sheet(int number) override {
        if (number < 1 || number > sheetCount()) return nullptr;
        return m_sheets.at(size_t(number - 1)).get();
    }

    explicit XlsxBook(const QByteArray& bytes)
        : m_zip(bytes) {}

    bool load(QString* error) {
        auto fail = [error](const QString& reason) {
            if (error) *error = reason;
            return false;
        };
        QByteArray xml;
        const QString workbookPart = QStringLiteral("xl/workbook.xml");
        if (!m_zip.read(workbookPart, xml)) return fail(DamagedWorkbook);
        QByteArray relsXml;
        m_zip.read(QStringLiteral("xl/_rels/workbook.xml.rels"), relsXml);
        const QHash<QString, Relation> rels = readRelations(relsXml, QStringLiteral("xl"));

        QXmlStreamReader r(xml);
        while (!r.atEnd()) {
            r.readNext();
            if (!r.isStartElement()) continue;
            if (r.name() == QLatin1String("workbookPr")) {
                const QString v = r.attributes().value(QLatin1String("date1904")).toString();
                m_1904 = v == QLatin1String("1") ||
                         v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
            } else if (r.name() == QLatin1String("sheet")) {
                QString id;
                for (const QXmlStreamAttribute& a : r.attributes())
                    if (a.name() == QLatin1String("id") && !a.prefix().isEmpty())
                        id = a.value().toString();
                // Chart sheets and the like are listed too but are not worksheets, which are
                // numbered without them; a sheet with no part at all would number the ones after
                // it wrong.
                const auto rel = rels.constFind(id);
                if (rel == rels.constEnd()) return fail(DamagedWorkbook);
                if (rel->type.endsWith(QLatin1String("/worksheet"))) m_parts.append(rel->target);
            }
        }
        if (r.hasError()) return fail(DamagedWorkbook);

        QString stringsPart = QStringLiteral("xl/sharedStrings.xml");
        QString stylesPart = QStringLiteral("xl/styles.xml");
        for (const Relation& rel : rels) {
            if (rel.type.endsWith(QLatin1String("/sharedStrings"))) stringsPart = rel.target;
            if (rel.type.endsWith(QLatin1String("/styles"))) stylesPart = rel.target;
        }
        // Every part is read whole and to its end now, as the other kinds of workbook are: a
        // part cut short or missing would otherwise read as cells that are empty, and empty
        // cells are taken for zeros.
        if (m_zip.has(stringsPart) && !(m_zip.read(stringsPart, xml) && readStrings(xml)))
            return fail(DamagedWorkbook);
        if (m_zip.has(stylesPart) && !(m_zip.read(stylesPart, xml) && readStyles(xml)))
            return fail(DamagedWorkbook);
        for (const QString& part : m_parts) {
            auto sheet = std::make_unique<XlsxSheet>();
            if (!m_zip.read(part, xml) || !readSheet(xml, *sheet)) return fail(DamagedWorkbook);
            m_sheets.push_back(std::move(sheet));
        }
        return true;
    }

private:
    bool readStrings(const QByteArray& xml) {
        QXmlStreamReader r(xml);
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement() && r.name() == QLatin1String("si"))
                m_strings.append(readRichText(r));
        }
        return !r.hasError();
    }

    bool readStyles(const QByteArray& xml) {
        QHash<int, bool> customDate;
        QXmlStreamReader r(xml);
        bool inXfs = false;
        while (!r.atEnd()) {
            r.readNext();
            if (r.isEndElement() && r.name() == QLatin1String("cellXfs")) inXfs = false;
            if (!r.isStartElement()) continue;
            const auto a = r.attributes();
            if (r.name() == QLatin1String("numFmt")) {
                customDate.insert(a.value(QLatin1String("numFmtId")).toInt(),
                                  isDateFormat(a.value(QLatin1String("formatCode")).toString()));
            } else if (r.name() == QLatin1String("cellXfs")) {
                inXfs = true;
            } else if (inXfs && r.name() == QLatin1String("xf")) {
                const int id = a.value(QLatin1String("numFmtId")).toInt();
                m_dateStyles.append(customDate.contains(id) ? customDate.value(id)
                                                            : isBuiltinDate(id));
            }
        }
        return !r.hasError();
    }

    bool readSheet(const QByteArray& xml, XlsxSheet& sheet) const {
        QXmlStreamReader r(xml);
        int row = -1;
        int column = -1;
        while (!r.atEnd()) {
            r.readNext();
            if (!r.isStartElement()) continue;
            if (r.name() == QLatin1String("row")) {
                bool ok = false;
                const int n = r.attributes().value(QLatin1String("r")).toInt(&ok);
                row = ok && n >= 1 ? n - 1 : row + 1;
                column = -1;
            } else if (r.name() == QLatin1String("c")) {
                const auto a = r.attributes();
                CellPos pos;
                if (parseA1(a.value(QLatin1String("r")).toString(), pos)) {
                    row = pos.row;
                    column = pos.column;
                } else {
                    ++column;
                }
                if (row < 0 || row >= MaxSheetRows || column < 0 || column >= MaxSheetColumns) {
                    r.skipCurrentElement();
                    continue;
                }
                const QString type = a.value(QLatin1String("t")).toString();
                const int style = a.value(QLatin1String("s")).toInt();
                const QString text = readCell(r, type, style);
                if (!text.isEmpty()) sheet.m_cells.insert(cellKey(0, row, column), text);
            }
        }
        return !r.hasError();
    }

    QString readCell(QXmlStreamReader& r, const QString& type, int style) const {
        QString value;
        QString inlineText;
        bool hasValue = false;
        while (!r.atEnd()) {
            r.readNext();
            if (r.isEndElement() && r.name() == QLatin1String("c")) break;
            if (!r.isStartElement()) continue;
            if (r.name() == QLatin1String("v")) {
                value = r.readElementText(QXmlStreamReader::SkipChildElements);
                hasValue = true;
            } else if (r.name() == QLatin1String("is")) {
                inlineText = readRichText(r);
            } else if (r.name() == QLatin1String("f")) {
                r.skipCurrentElement();
            }
        }
        if (type == QLatin1String("inlineStr")) return inlineText;
        if (!hasValue) return QString();
        if (type == QLatin1String("s")) {
            bool ok = false;
            const int i = value.trimmed().toInt(&ok);
            return ok && i >= 0 && i < m_strings.size() ? m_strings.at(i) : QString();
        }
        if (type == QLatin1String("str") || type == QLatin1String("e")) return value;
        if (type == QLatin1String("b"))
            return value.trimmed() == QLatin1String("1") ? QStringLiteral("1")
                                                         : QStringLiteral("0");
        if (type == QLatin1String("d")) {
            const QString text = isoDateText(value.trimmed());
            return text.isEmpty() ? value : text;
        }
        bool ok = false;
        const double number = value.trimmed().toDouble(&ok);
        if (!ok) return value;
        if (style >= 0 && style < m_dateStyles.size() && m_dateStyles.at(style)) {
            const QString date = serialDateText(number, m_1904);
            if (!date.isEmpty()) return date;
        }
        return numberText(number);
    }

    Zip m_zip;
    QStringList m_parts;
    std::vector<std::unique_ptr<XlsxSheet>> m_sheets;
    QStringList m_strings;
    QList<bool> m_dateStyles;
    bool m_1904 = false;
};

} // namespace

std::unique_ptr<Workbook> openXlsx(const QByteArray& bytes, QString* error) {
    auto book = std::make_unique<XlsxBook>(bytes);
    if (!book->load(error)) return nullptr;
    return book;
}

} // namespace mirel::platform::sheets
