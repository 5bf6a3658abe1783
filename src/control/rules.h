#pragma once

#include <optional>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "control/fastformula.h"
#include "control/target.h"
#include "data/sectionfile.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::control {

// The text with every blank and tab removed: rule lines and expressions mean the same without
// them.
QString withoutBlanks(const QString& text);

// A code list of the rule language ("COD 1401-1420, 1450", "S=1-5,7", "PERIOD 3,6,9,12"):
// blanks, letters and other characters are ignored, runs of digits are numbers, "," separates
// entries, "a-b" is an inclusive range. The empty list matches everything.
class CodeList {
public:
    static CodeList parse(const QString& line);
    bool isEmpty() const { return m_entries.isEmpty(); }
    bool matches(qint64 value) const;

private:
    QList<std::pair<qint64, qint64>> m_entries;
};

// A named data source of the rules: the section under control, or a stored section of some
// form and period of the same region.
struct Selection {
    QString name;         // the identifier references use
    QString label;        // names it in the readable condition ("" for the current section)
    bool current = false; // the section under control: its cells come from the caller
    QString formCode;     // FFF
    QString section;      // RR
    QString year;         // YYYY
    QString month;        // MM
    QString path;         // the data file; empty for the current section
    bool hasData = false; // the data file was read (always true for the current section)
    data::SectionMatrix matrix;
};

// One piece of a formula side: literal expression text, or a reference to a cell of a
// selection whose row may be the row variable S and whose column the column variable G.
struct Piece {
    QString text;
    int selection = -1; // index into RuleSet::selections; -1 for literal text
    int row = 0;
    int column = 0;
    bool rowS = false;
    bool columnG = false;
    bool isReference() const { return selection >= 0; }
};

struct Formula {
    bool usesS = false;
    bool usesG = false;
    QList<Piece> left;
    QString relation;
    QList<Piece> right;
    QString source;   // the formula line as written (upper-cased, macros expanded)
    FastFormula fast; // the formula computed on doubles, when it has that form
};

// The fast form of a parsed formula (an unusable one when a side holds anything but numbers,
// references, + - * / and brackets, or the relation is not one of the evaluator's).
FastFormula compileFast(const Formula& formula);

// The points (S, G) a block's loops go through, in loop order; 0 for a variable its first
// formula does not use.
struct BlockPoints {
    std::vector<int> rows;
    std::vector<int> columns;
    // Of a block over rows and columns: each point's cell in the section's row-major values.
    std::vector<int> cells;
};

struct Block {
    QString comment;
    bool showValues = false; // the comment begins with "///"
    CodeList rowList;        // S=
    CodeList columnList;     // G=
    CodeList regions;        // COD
    QList<Formula> formulas;
    QList<int> localSelections; // selections defined inside the block, in order
    BlockPoints points;         // for the section shape of RuleSet::preparedShape
};

// The parsed rules of one section.
struct RuleSet {
    QList<Selection> selections;
    QList<Block> blocks;
    int writtenBlocks = 0; // blocks in the text, those left out for the month included
    // The rows and columns of the section the rules were prepared for (prepareForShape), so
    // that rules kept for many sections of one shape do not work out their points and cells
    // every time; {-1, -1} when not prepared.
    std::pair<int, int> preparedShape{-1, -1};
};

// The points of a block's loops over a section of the given rows and columns.
void blockPoints(const Block& block, int rows, int columns, BlockPoints& points);
// Finds every block's points for a section of that shape, and the cells of the fixed
// references to the section under control (FastStep::flat).
void prepareForShape(RuleSet& rules, int rows, int columns);

// Reads a rule text (as the rule file holds it) for the target: selections with their data,
// macros expanded, blocks split and checked, formulas parsed. Every message names the fault; a
// fault stops the control: nullopt is returned after its message and nothing is to be written.
std::optional<RuleSet> Log_A_Str(const QString& ruleText, const ControlTarget& target,
                                 const SectionCells& current, platform::Prompt& prompt);

// The steps of Log_A_Str, exposed for the tests and for the callers that need one of them.

// Expands the "SUMM_S(a,b,c)" and then the "SUMM_G(a,b,c)" macros of a line that begins with a
// reference ID "\": rows a..b of column c, or columns a..b of row c, of the line's first
// reference ID, joined by "+". A macro inside a product, a power or after "-" is put in
// brackets so that it stays one sum. Arguments that are not three numbers 1 <= a <= b, or a
// range of more than maxMacroTerms, leave the macro as written (the formula then fails its check).
QString expandMacros(const QString& line);
inline constexpr int maxMacroTerms = 10000;

// Parses a selection line NAME ":" DEFINITION for the target and reads its data. nullopt after
// "ОШИБКА ! КОД ФОРМЫ = " or "ОШИБКА ! ЧИСЛО РАЗДЕЛОВ = " (titled with the line).
std::optional<Selection> parseSelection(const QString& line, const ControlTarget& target,
                                        platform::Prompt& prompt);

// The target period of a relative selection: the reporting year and month moved back by years
// and months.
std::pair<int, int> movePeriod(int year, int month, int years, int months);

// The selection an ID names for a formula of the block: the block's own selections first, then
// all selections in definition order; -1 when none.
int findSelection(const RuleSet& rules, const Block& block, const QString& id);

// True for a line that names a selection: it holds ":" and is not a comment ("//").
bool isSelectionLine(const QString& line);

} // namespace mirel::control
