#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "query/references.h"
#include "reference/regions.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::query {

// One formula of a query: its column identifier (or virtual column number), the text after
// "=", and the regions excluded from it by NOT_CALC. virtualTable names the DAT block whose
// "V" lines apply to it.
struct Formula {
    QString column;
    QString text;
    QStringList notCalc;
    int virtualTable = 0;
};

// An entry of the DEC, RANG or IND table: the column, the second number (precision or result
// column), the mode of RANG/IND and the regions excluded by NOT_CALC.
struct ColumnEntry {
    int column = 0;
    int second = 0;
    int mode = 1;
    QStringList notCalc;
};

// The tables a query shares between all its row blocks.
struct QueryTables {
    QMap<int, ColumnEntry> dec;
    QMap<int, ColumnEntry> rang;
    QMap<int, ColumnEntry> ind;
    QList<int> summ;
    QList<int> mid;
    QList<int> del; // {0} for a DEL line without a list
    bool hasDel = false;
    QMap<int, QString> sort; // direction per column
    QStringList vv;          // global virtual references, in line order
};

// One row of the table being built: for a region table the whole file, for a row table one
// "STR" block. formulas are the column formulas in line order; virtuals the "V" lines of each
// DAT block.
struct RowBlock {
    QString id;
    QStringList lines;
    QList<Formula> formulas;
    QList<QList<Formula>> virtuals;
};

// What the block parser needs besides the lines: the base section (for "J" templates).
struct BlockContext {
    const reference::SectionStructure* base = nullptr;
};

// Parses one block with the block keywords (DAT, VV, DEC, RANG, IND, SUMM, MID, DEL, SORT).
// impliedDat starts the block inside a DAT formula list (row blocks). Formulas go to the block,
// the lists to the shared tables. False after the first message.
bool parseBlock(RowBlock& block, bool impliedDat, const BlockContext& context, QueryTables& tables,
                platform::Prompt& prompt);

// Collects the texts of all "VV" lines, in line order; the two VV messages are shown (when
// report is set) and collecting goes on.
QStringList collectVV(const QStringList& lines, platform::Prompt& prompt, bool report = true);

// Replaces every "STR I" template by one copy per row identifier of the base section.
QStringList expandRowTemplates(const QStringList& lines, const reference::SectionStructure* base);

// Cuts the lines into "STR" blocks. False after the message.
bool cutRowBlocks(const QStringList& lines, QList<RowBlock>& blocks, platform::Prompt& prompt);

// The number of columns of the table: the largest column identifier of all formulas.
int columnCount(const QList<RowBlock>& blocks);

// Checks DEC, RANG, IND and SORT columns against the number of columns. False after the
// message.
bool validateTables(const QueryTables& tables, int columns, platform::Prompt& prompt);

// "MULTY_" letter n: the first line beginning with "MULTY_". count < 2 means no setting.
struct Multy {
    QChar letter;
    int count = 0;
    bool active() const {
        return count >= 2 && (letter == QLatin1Char('X') || letter == QLatin1Char('Y'));
    }
};
Multy multySetting(const QStringList& lines);
// "MULTY_REG" [X|Y]: 0 none, 'X' across, 'Y' down (any letter but X).
QChar multyRegSetting(const QStringList& lines);

// The classifier files named by "SHIF" lines (".TXT" added), in line order.
QStringList shifNames(const QStringList& lines);

// The COD line: the code on the line after the first line beginning with "COD". Shows the COD
// messages; empty after a message.
struct CodResult {
    bool present = false; // a COD line with a code after it
    QString code;
};
CodResult codLine(const QStringList& lines, platform::Prompt& prompt);

} // namespace mirel::query
