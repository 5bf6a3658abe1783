#pragma once

#include <memory>
#include <optional>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

#include "control/rules.h"
#include "control/target.h"
#include "platform/evaluator.h"
#include "reference/catalog.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::control {

// A section that the rules refer to and that has no data for the period.
struct MissingSection {
    QString formCode; // FFF
    QString section;  // RR
    QString year;     // YYYY
    QString month;    // MM
    QString path;     // the data file looked for
};

// The outcome of a control run of one section.
struct ControlRun {
    enum class Status {
        NoRules, // the section has no rule file: nothing was checked
        Checked, // the rules were evaluated; findings holds what failed
        Stopped  // a fault of the rules (or a form not catalogued) stopped the run after its
                 // message: nothing is to be reported or marked
    };
    Status status = Status::NoRules;
    // The failure list in order of discovery: in whole-form mode first the incomplete-control
    // entries, then per failing block an empty entry, the block comment and an empty entry,
    // then per failed condition its lines. Empty when everything held.
    QStringList findings;
    // Every selection whose section has no data, in definition order (whatever the mode).
    QList<MissingSection> missing;
    // Evaluation errors shown during the run (their conditions count as failed).
    int evaluationErrors = 0;
    // The cells (row, column) of the section under control that a failed condition refers to,
    // in order of discovery, each once: the entry window marks them.
    QList<std::pair<int, int>> wrongCells;

    bool checked() const { return status == Status::Checked; }
    bool stopped() const { return status == Status::Stopped; }
};

// The rule file of a section: formFilePrefix + "." + RR + ".LOG" in the form folder of the base
// period, e.g. FORM/2005_01.101/101_0501.02.LOG.
QString ruleFilePath(const QString& formDir, const QString& formCode, const QString& basePeriod,
                     int section);

// Runs the rules of a rule text on the current section (whole-form mode adds the
// incomplete-control entries). Messages of rule faults and of evaluation errors go to the
// prompt. A text holding NUL characters (no text file) and a text without any block of formulas
// stop the run with their message, titled with ruleFile.
ControlRun runRules(const QString& ruleText, const ControlTarget& target,
                    const SectionCells& current, bool wholeForm, platform::Prompt& prompt,
                    const QString& ruleFile = QString());

// A rule file as read: its path, whether it exists and its text. A run over many regions reads
// each rule file once, and when its rules read no stored section (every selection is the section
// under control) it parses them once for all regions: parsed keeps them for parsedFor.
struct RuleFile {
    QString path;
    bool exists = false;
    QString text;
    std::shared_ptr<const RuleSet> parsed;
    // The form, section, period and shape of the section they were parsed for.
    struct Use {
        QString formCode;
        int section = 0;
        QString year;
        QString month;
        int rows = 0;
        int columns = 0;
        bool operator==(const Use&) const = default;
    };
    Use parsedFor;
};
RuleFile readRuleFile(const QString& path);
// runRules on a rule file; NoRules when the file does not exist.
ControlRun runRuleFile(RuleFile& file, const ControlTarget& target, const SectionCells& current,
                       bool wholeForm, platform::Prompt& prompt);
// The same reading the file now.
ControlRun Log_RR(const QString& ruleFile, const ControlTarget& target, const SectionCells& current,
                  bool wholeForm, platform::Prompt& prompt);

// The control of one section: finds the base period of the form for the target's period (Stopped
// after "Форма некаталогизирована для данного отчетного периода !!!" when there is none) and runs
// the section's rule file when it exists.
ControlRun LogRR(const reference::FormCatalog& catalog, const ControlTarget& target,
                 const SectionCells& current, bool wholeForm, platform::Prompt& prompt);

// The incomplete-control entry of a section without data.
QString incompleteEntry(const MissingSection& missing);

// The state mark a control run leaves on its section: "PR_++" / "PR_??" by the findings,
// "PR_0++" / "PR_0??" when the sum of the section's values is zero.
QString controlMark(bool hasFindings, double sum);

// The evaluation steps, exposed for the tests.

// The text a cell puts into an expression: the trimmed text when it is one number as the
// evaluator reads numbers (sign, digits, one decimal separator "." or "," written as ".",
// exponent), "0" for an empty cell. Any other text (a letter, a bracket, a second number, a
// line break) gives nullopt: it never enters an expression, and the formula that refers to the
// cell fails with an evaluation error that names the cell and its text.
std::optional<QString> cellNumber(const QString& cell);

// The outcome of one condition: whether it holds, and the evaluator's error (errorNumber 0 for
// none; a division by zero is no error and does not hold). A division by a literal zero is not
// evaluated and does not hold; a failed plain equality holds when both sides give the same
// number text, rounded to the smaller number of decimals when both have decimals.
struct Condition {
    bool holds = false;
    platform::EvalResult error;
    QString expression; // blanks removed; empty when two plain numbers were compared
};
Condition evaluateCondition(const QString& left, const QString& relation, const QString& right);
// "Script_Control_Eval", a line break and the evaluator's description, titled with the
// expression (error icon).
void showEvalError(const Condition& condition, platform::Prompt& prompt);

// evaluateCondition that shows its error: whether the condition holds, and whether its
// evaluation failed.
struct Verdict {
    bool holds = false;
    bool error = false;
};
Verdict VV_Eval(const QString& left, const QString& relation, const QString& right,
                platform::Prompt& prompt);
// The value of one side as text with "," as decimal separator; "***" when it cannot be computed.
QString VV_Calc(const QString& side);
// The relation that states the failure: "=" gives "<>", "<" gives ">=", and so on.
QString negateRelation(const QString& relation);
// The violated relation with values: left, negated relation, right, "." written as ",".
QString Mod_S_Res(const QString& left, const QString& relation, const QString& right);
// The readable condition: the formula with S and G put in and every reference ID\ROW\COL
// written as the selection's label, "с.", ROW, "г.", COL.
QString Mod_Usl(const QString& source, int s, int g, const RuleSet& rules, const Block& block);

// Which control items the entry window offers for a section.
struct LogMenu {
    bool control = false; // "Логический контроль"
    bool section = false; // "Раздела"
    bool form = false;    // "Формы"
};
// With the section's rule file: all offered, "Раздела" not for a form of one section. Without
// it: "Логический контроль" and "Формы" when any rule file of the form exists, else nothing.
LogMenu Log_Enable(const QString& formDir, const QString& formCode, const QString& basePeriod,
                   int section, int sectionCount);

} // namespace mirel::control
