#pragma once

#include <optional>
#include <QList>
#include <QString>
#include <QStringList>

#include "query/blocks.h"
#include "query/datacache.h"
#include "query/references.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::query {

// One part of a tokenised formula: the literal text before a reference and the reference
// itself (index into the reference table, region code written in it, row, column, trailing
// number). The last part holds only the text after the last reference (ref -1). A grid part
// (the data entry mode's reference 1) reads the grid being edited.
struct Part {
    QString literal;
    int ref = -1;
    bool grid = false;
    QString region;
    QString row;
    QString column;
    QString trailing;
    int columnNo = 0;
    bool isReference() const { return ref >= 0 || grid; }
};

// A formula ready for evaluation: its column number, expanded text, parts and NOT_CALC list.
struct CompiledFormula {
    int column = 0;
    QString text;
    QList<Part> parts;
    QStringList notCalc;
};

// The cells of the grid a ".CALC" text computes (the data entry window's section). Row 0 and
// column 0 are its header row and label column; data cells are rows 1..rowCount()-1 and
// columns 1..columnCount()-1.
class CellGrid {
public:
    virtual ~CellGrid() = default;
    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    virtual QString cell(int row, int column) const = 0;
    virtual void setCell(int row, int column, const QString& text) = 0;
};

// Short names, expanded textually in this order: "S" rows (row tables), "V" virtual columns,
// "VV" global virtual references, "G" columns of the same row. False after the message.
bool expandRowReferences(QList<RowBlock>& blocks, platform::Prompt& prompt);
bool expandShortNames(RowBlock& block, const QStringList& vv, platform::Prompt& prompt);

// Turns a formula into its parts, checking every reference against the reference table and the
// section it names. In the data entry mode reference 1 is the grid. nullopt after the message.
std::optional<QList<Part>> tokenise(const QString& formula, const ReferenceTable& refs,
                                    const reference::FormCatalog& forms, bool entryMode,
                                    platform::Prompt& prompt);

// What a formula is evaluated against: references, data files, the grid of the entry mode.
struct FormulaContext {
    const ReferenceTable* refs = nullptr;
    const reference::FormCatalog* forms = nullptr;
    QString datDir;
    DataCache* cache = nullptr;
    platform::Prompt* prompt = nullptr;
    CellGrid* grid = nullptr; // entry mode
    int gridRow = 0;          // the grid row that "I" stands for

    // The value of a reference for a region: "-" for a missing data file, "0" for a missing row
    // or column, else the text of the field. The text stays valid until the next call.
    QStringView value(const Part& part, const QString& region) const;
    // The cells these parts read are taken from every file as it is read and kept: a run over
    // all regions that is followed by others over the same files reads each file once.
    void keepCellsOf(const QList<Part>& parts) const;

private:
    // Per reference, found on its first use: the section its data files belong to, and whether
    // it is read for the region being computed (a part without a region code of its own).
    struct Source {
        DataCache::Section* section = nullptr;
        bool forRegion = false;
    };
    DataCache::Section& sectionOf(const Part& part) const;
    // The number of the region a part is read for.
    int regionOf(const Part& part, const QString& region) const;

    mutable QList<Source> m_sources;
    mutable QList<DataCache::Section*> m_regionSections;
    mutable QString m_region; // the region being computed and its number in the cache
    mutable int m_regionNumber = -1;
    mutable QString m_value; // the text of the last value read
};

// How a cell came out: a value (also "***"), not computed (empty: NOT_CALC, missing data
// file), or a failure that stops the table (an empty value, or an evaluator error after its
// message).
enum class CellOutcome { Value, Empty, Stop };

// Evaluates a formula for a region into cell, with the precision p (DEC; below 1 plain text).
CellOutcome evaluateFormula(const CompiledFormula& formula, const QString& region, int precision,
                            const FormulaContext& context, QString& cell);

// Evaluates an assembled expression: blanks removed, SUMM_S( (entry mode), IF( rewriting, the
// zero-divisor test, "," as decimal separator, the evaluator, the precision.
CellOutcome evaluateExpression(QString expression, int precision, const FormulaContext& context,
                               QString& cell);

// The IF( rewriting of an assembled expression. nullopt when a condition could not be
// evaluated (error set).
struct ConditionError {
    int number = 0;
    QString description;
    QString expression;
};
std::optional<QString> rewriteIf(const QString& expression, ConditionError& error);

} // namespace mirel::query
