#pragma once

#include <memory>
#include <optional>
#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "control/logcontrol.h"
#include "control/target.h"
#include "data/sectiongrid.h"
#include "reference/catalog.h"

namespace mirel::platform {
class Browser;
class FolderFiles;
class Prompt;
} // namespace mirel::platform

namespace mirel::control {

// The single-section run ("Раздела"): the control of the current section without the
// incomplete-control check. Nothing failed: "Нет ошибок !!!"; else the report page (subtitle
// FFF RR YYYY MM COD) is written and opened. The state mark is never changed.
struct SectionControl {
    ControlRun run;
    QString reportPath; // empty when no page was written
};
SectionControl controlSection(const reference::FormCatalog& catalog, const ControlTarget& target,
                              const SectionCells& current, const QDateTime& now,
                              platform::Prompt& prompt, platform::Browser& browser);

// What the whole-form run needs from the place where the sections are held: the entry window
// shows each section in its grid and saves it with its own save; the command loads the stored
// files (StoredForm).
class FormSections {
public:
    virtual ~FormSections() = default;
    // Makes the section (1-based) current and returns its cells; nullptr when it cannot be
    // loaded (its message shown). The cells stay valid until the next load.
    virtual const SectionCells* load(int section) = 0;
    // Saves the current section with the state mark ("PR_++"...); false after the write-error
    // message.
    virtual bool save(int section, const QString& mark) = 0;
    // Asked before each section (1-based, of count): false stops the run; nothing more is
    // loaded or marked and no page is written.
    virtual bool proceed(int section, int count) {
        (void)section;
        (void)count;
        return true;
    }
};

// The sections of a form as stored, each read as the entry window loads it into a grid of its
// catalogued structure. The stored data are never rewritten: save changes the state line of the
// file and nothing else (and writes nothing when the mark is already there). A section without
// a data file, or with an empty one, is checked as an empty section and not written. A file
// that cannot be read, or that holds text but no data line (line ends other than CR LF or LF,
// lines that begin with a character other than a digit or a blank), is a format error: load
// shows it and returns nullptr.
class StoredForm : public FormSections {
public:
    // folder, when given, is the key's period folder opened once for a run over many regions:
    // the sections are read relative to it.
    StoredForm(const data::DataKey& key, const reference::CatalogEntry& entry,
               platform::Prompt& prompt, platform::FolderFiles* folder = nullptr);
    const SectionCells* load(int section) override;
    bool save(int section, const QString& mark) override;
    // True when the section's file carries the mark of the last save (written now or already
    // there); false for a section not sent.
    bool marked(int section) const { return m_marked.contains(section); }
    // The mark the register shows for the section's file as this form left it (read or written
    // by it: data::registerMarkOf); nullopt for a section it has not read.
    std::optional<QString> fileMark(int section) const;

private:
    data::DataKey m_key;
    const reference::CatalogEntry& m_entry;
    platform::Prompt& m_prompt;
    platform::FolderFiles* m_folder;
    QString m_folderPath; // the key's period folder and "/"
    int m_section = 0;    // the section loaded
    std::unique_ptr<SectionCells> m_cells;
    QByteArray m_bytes; // the file as loaded
    QSet<int> m_marked;
    QHash<int, QString> m_fileMarks;
};

// The file bytes with the state line "PR_" + mark (mark given with or without "PR_"): the first
// line replaced when it is a state line, else a state line put before it; every other byte kept.
// The line end is the first line's own (CR LF when the file has none).
QByteArray withStateLine(const QByteArray& bytes, const QString& mark);

// The outcome of one section in the whole-form run.
struct SectionOutcome {
    int section = 0;
    ControlRun run;     // NoRules: skipped; Stopped: not loaded or stopped by its rules
    QString mark;       // the mark to write ("PR_++"...), empty when none was due
    bool saved = false; // the mark was written
};

struct FormControl {
    bool ran = false;     // false when the form is not catalogued for the period (message shown)
    bool stopped = false; // the sections asked to stop (proceed) before the end
    QList<SectionOutcome> sections;
    QString page;          // the report page (head, the failing sections, tail)
    bool findings = false; // some section has failures (the page has a section in it)
    QString reportPath;    // empty when the page was not (or could not be) written
};

// The rule files of a form's sections for its base period, read once for a run over many
// regions: sections[n - 1] is section n.
struct FormRules {
    QString basePeriod;
    QList<RuleFile> sections;
};
FormRules readFormRules(const QString& formDir, const QString& formCode, const QString& basePeriod,
                        int sectionCount);

// LogRR for a run over many workbooks of a form: each section's rule file is read the first time
// the section is checked and kept in rules for the next ones.
ControlRun LogRR(const reference::FormCatalog& catalog, const ControlTarget& target,
                 const SectionCells& current, bool wholeForm, platform::Prompt& prompt,
                 FormRules& rules);

// The whole-form check without its page written: every section that has a rule file is loaded,
// controlled with the incomplete-control check and saved with its state mark; the failures of
// each section follow its banner in the page headed by the caption. A section whose rules stop
// the run, or that cannot be loaded, keeps its mark and the run goes on; so does a section
// whose mark cannot be written. rules, when given, are the form's rule files read before.
FormControl checkForm(const reference::FormCatalog& catalog, const ControlTarget& target,
                      FormSections& sections, const QString& caption, const QDateTime& now,
                      platform::Prompt& prompt, FormRules* rules = nullptr);

// The whole-form run ("Формы"): checkForm, then the page is written and opened, even when
// nothing failed.
FormControl controlForm(const reference::FormCatalog& catalog, const ControlTarget& target,
                        FormSections& sections, const QString& caption, const QDateTime& now,
                        platform::Prompt& prompt, platform::Browser& browser);

} // namespace mirel::control
