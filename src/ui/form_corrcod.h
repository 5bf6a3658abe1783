#pragma once

#include <memory>
#include <QDialog>

#include "aggregate/corrcod.h"

class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace mirel::ui {

class WindowPrompt;

// The code replacement window ("Замена кодов."): the period data directories, and "Старт",
// which archives them and replaces the region codes of CORR_COD.TXT (aggregate::CodeReplacement).
// Afterwards the tree shows every code seen, a replaced one as "new (старый код= old)".
class Form_CorrCod : public QDialog {
    Q_OBJECT
public:
    Form_CorrCod(const QString& programDir, const QString& datDir, const QString& shifDir,
                 platform::Prompt& prompt, QWidget* parent = nullptr);
    ~Form_CorrCod() override;

    QTreeWidget* Tree_Cods = nullptr;
    QPushButton* Cmd_Start = nullptr; // "Старт"
    QProgressBar* Progress_Bar = nullptr;

    const aggregate::CodeReplacement& replacement() const { return *m_replacement; }
    // "Старт": the run at the moment given (the name of the archive).
    void Cmd_Start_Click(const QDateTime& now);

private:
    void showTree();

    std::unique_ptr<WindowPrompt> m_prompt;
    std::unique_ptr<aggregate::CodeReplacement> m_replacement;
};

} // namespace mirel::ui
