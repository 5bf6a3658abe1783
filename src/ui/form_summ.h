#pragma once

#include <memory>
#include <QDialog>
#include <QIcon>
#include <QList>

#include "aggregate/summation.h"

class QCheckBox;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace mirel::ui {

class WindowPrompt;

// The summation window in its three modes: summation ("Суммирование данных."), the sum check
// ("Проверка сумм.") and the format check ("Форматный контроль данных."). The tree shows the
// period data directories of the data folder with what was found in them; the rules live in
// aggregate::Summation, this window shows its tree and runs it from the buttons.
//
// Pictures: NEW.Bmp, CLSDFOLD.ICO and W95mbx01.ico of the program folder; when one cannot be
// read, "Ошибка при загрузке :" is shown and the tree goes without the summary region nodes. A
// double click on a wrong sum (sum check) opens the difference grid Form_VSumm.
class Form_Summ : public QDialog {
    Q_OBJECT
public:
    Form_Summ(const aggregate::SummPlace& place, aggregate::SummMode mode,
              const reference::FormCatalog& forms, platform::Prompt& prompt,
              QWidget* parent = nullptr);
    ~Form_Summ() override;

    QTreeWidget* Tree_View = nullptr;
    QPushButton* Command_Summ = nullptr; // "Суммировать" / "Проверить суммы" / "Проверить формат"
    QCheckBox* Check_Global = nullptr; // "Глобально"
    QPushButton* Command_ReadOnly[2] = {nullptr, nullptr}; // "Установить", "Снять защиту данных"
    QProgressBar* Progress_Bar = nullptr;

    const aggregate::Summation& summation() const { return *m_summation; }
    // The item of a node key, nullptr when the tree has none.
    QTreeWidgetItem* item(const QString& key) const;
    // Selects the node of a key (the directory a run works on).
    void selectKey(const QString& key);

    void Command_Summ_Click();
    void Command_ReadOnly_Click(int index);
    void Tree_View_DblClick(QTreeWidgetItem* item);

Q_SIGNALS:
    // The difference grid is about to open (modal) for a wrong sum.
    void differencesShown(const aggregate::DiffGrid& grid);

private:
    void loadPictures();
    void showTree();
    QString selectedKey() const;

    std::unique_ptr<WindowPrompt> m_prompt;
    std::unique_ptr<aggregate::Summation> m_summation;
    aggregate::SummMode m_mode;
    QString m_programDir;
    QList<QIcon> m_pictures;
    bool m_picturesRead = false;
    QString m_caption; // Command_Summ's caption between runs
    QGroupBox* m_protection = nullptr;
};

} // namespace mirel::ui
