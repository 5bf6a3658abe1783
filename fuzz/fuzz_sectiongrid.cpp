// Feeds random bytes to grid loading and to the standard reading of a section, which read lines
// and fields in the file's bytes: the grid, its caption, the matrix, the result and the messages
// must be what the plain reading of the decoded text gives (lines split at LF, tabs as blanks,
// fields split at blanks; for the grid the text trimmed and cut after its last digit, and a
// first line that holds a CR is no state line).
// Seeds: DAT/*/*.0?
#include "fuzzsupport.h"

#include "data/sectiongrid.h"

#include <cstddef>
#include <cstdint>
#include <QStringList>

#include "core/text.h"
#include "data/sectionfile.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "platform/prompt.h"
#include "reference/catalog.h"

using namespace mirel;

namespace {

struct Recorder : platform::Prompt {
    QStringList texts;
    void message(const QString& text, platform::Icon, const QString& title) override {
        texts << text + QLatin1Char('|') + title;
    }
    bool askYesNo(const QString&, const QString&) override { return false; }
    bool askOkCancel(const QString&, const QString&) override { return false; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

void formatError(Recorder& prompt, const QString& what, int count, int expected) {
    prompt.message(QStringLiteral("Ошибка в формате данных !!!") + core::CRLF + what + core::CRLF +
                       QString::number(count) + core::CRLF + QStringLiteral("Должно быть = ") +
                       QString::number(expected),
                   platform::Icon::Error, QStringLiteral("Ошибка !!!"));
}

int plainLoad(data::SectionGrid& grid, const QString& fileText, Recorder& prompt) {
    const QString rr = data::sectionNumber(grid.section());
    QString text = core::Trim(fileText);
    while (!text.isEmpty() && !core::isDigit(text.back()))
        text.chop(1);
    const QStringList lines = platform::splitFileLines(text + core::CRLF);
    QString first = core::Trim(lines.value(0));
    if (first.startsWith(QLatin1String("PR_")) && !first.contains(QLatin1Char('\r')))
        grid.setCaption(rr + QStringLiteral(": ") + core::Trim(first.mid(3)));
    else
        grid.setCaption(rr + QStringLiteral(": -"));
    grid.clearData();
    bool rowZeroReported = false;
    for (QString line : lines) {
        core::Tabs_To_Spaces(line);
        line = core::Trim(line);
        if (line.isEmpty() || !core::isDigit(line.at(0))) continue;
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() != grid.columns() + 1) {
            formatError(prompt, QStringLiteral("К-во граф = "), int(fields.size()) - 1,
                        grid.columns());
            grid.setCaption(rr + QStringLiteral(": --"));
            return -1;
        }
        const int row = data::rowNumber(fields.first());
        if (row > grid.rows()) {
            formatError(prompt, QStringLiteral("К-во строк = "), row, grid.rows());
            grid.setCaption(rr + QStringLiteral(": --"));
            return -1;
        }
        if (row < 1) {
            if (!rowZeroReported)
                prompt.message(QStringLiteral("Ошибка в формате данных !!!") + core::CRLF +
                                   QStringLiteral("Строка с номером ") + fields.first() +
                                   QStringLiteral(" вне раздела (строк : ") +
                                   QString::number(grid.rows()) + QStringLiteral(") пропущена"),
                               platform::Icon::Warning, QStringLiteral("f"));
            rowZeroReported = true;
            continue;
        }
        for (int c = 1; c <= grid.columns(); ++c)
            grid.setCell(row, c, fields.at(c));
    }
    return 0;
}

// The standard reading as plainly as it can be written: every data line split, the shape from
// the last one.
bool plainRead(const QString& text, const QString& path, data::SectionMatrix& matrix,
               Recorder& prompt) {
    if (text.isEmpty()) return false;
    QList<QStringList> lines;
    for (QString line : platform::splitFileLines(text)) {
        core::Tabs_To_Spaces(line);
        line = core::Trim(line);
        if (!line.isEmpty() && core::isDigit(line.at(0)))
            lines.append(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }
    if (lines.isEmpty()) return false;
    const int rows = data::rowNumber(lines.last().first());
    const int columns = int(lines.last().size()) - 1;
    const QString error = QStringLiteral("Ошибка в формате данных !!!") + core::CRLF;
    if (qint64(rows) > data::maxCells || qint64(rows) * columns > data::maxCells) {
        prompt.message(error + QStringLiteral("Строк : ") + QString::number(rows) +
                           QStringLiteral(", граф : ") + QString::number(columns) +
                           QStringLiteral(" - размер раздела недопустим, данные не считаны"),
                       platform::Icon::Warning, path);
        return false;
    }
    data::SectionMatrix result;
    result.rows = rows;
    result.columns = columns;
    result.cells = QList<QStringList>(rows, QStringList(columns, QStringLiteral("0")));
    bool unequal = false, outside = false;
    for (const QStringList& fields : lines) {
        if (fields.size() != columns + 1) {
            if (!unequal)
                prompt.message(QStringLiteral("При считывании данных обнаружено переменное число "
                                              "данных в строке !!!"),
                               platform::Icon::Error, path);
            unequal = true;
            continue;
        }
        const int row = data::rowNumber(fields.first());
        if (row < 1 || row > rows) {
            if (!outside)
                prompt.message(error + QStringLiteral("Строка с номером ") + fields.first() +
                                   QStringLiteral(" вне раздела (строк : ") +
                                   QString::number(rows) + QStringLiteral(") пропущена"),
                               platform::Icon::Warning, path);
            outside = true;
            continue;
        }
        result.cells[row - 1] = fields.mid(1);
    }
    matrix = result;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const reference::SectionStructure structure{"2", {"1", "2", "3 ИТОГО"}, {"1", "2"}};
    data::SectionGrid fast = data::SectionGrid::fromStructure(2, structure);
    data::SectionGrid plain = fast;
    Recorder fastPrompt, plainPrompt;
    const int fastResult = data::Load_DD_Bytes(fast, bytes, QStringLiteral("f"), false, fastPrompt);
    const int plainResult =
        plainLoad(plain, platform::decode1251(bytes.toByteArray()), plainPrompt);
    fuzz::check(fastResult == plainResult, "grid loading: result");
    fuzz::check(fast.caption() == plain.caption(), "grid loading: caption");
    fuzz::check(fastPrompt.texts == plainPrompt.texts, "grid loading: messages");
    for (int r = 0; r <= fast.rows(); ++r)
        for (int c = 0; c <= fast.columns(); ++c)
            fuzz::check(fast.cell(r, c) == plain.cell(r, c), "grid loading: a cell");

    const QString path = fuzz::putFile(QStringLiteral("DAT/DAT_2512.210/1102.01"), data, size);
    data::SectionMatrix fastMatrix, plainMatrix;
    fastPrompt.texts.clear();
    plainPrompt.texts.clear();
    fuzz::check(
        data::A_DD_Read(path, fastMatrix, fastPrompt) ==
            plainRead(platform::decode1251(bytes.toByteArray()), path, plainMatrix, plainPrompt),
        "standard reading: result");
    fuzz::check(fastPrompt.texts == plainPrompt.texts, "standard reading: messages");
    fuzz::check(fastMatrix.rows == plainMatrix.rows && fastMatrix.columns == plainMatrix.columns &&
                    fastMatrix.cells == plainMatrix.cells,
                "standard reading: matrix");
    return 0;
}
