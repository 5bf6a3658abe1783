#include "ui/form_corrcod.h"

#include <QBoxLayout>
#include <QHash>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/windowprompt.h"

namespace mirel::ui {

Form_CorrCod::Form_CorrCod(const QString& programDir, const QString& datDir, const QString& shifDir,
                           platform::Prompt& prompt, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Form_CorrCod"));
    setWindowTitle(QStringLiteral("Замена кодов."));
    Tree_Cods = new QTreeWidget(this);
    Tree_Cods->setObjectName(QStringLiteral("Tree_Cods"));
    Tree_Cods->setHeaderHidden(true);
    Cmd_Start = new QPushButton(QStringLiteral("Старт"), this);
    Cmd_Start->setObjectName(QStringLiteral("Cmd_Start"));
    Cmd_Start->setAutoDefault(false);
    Progress_Bar = new QProgressBar(this);
    Progress_Bar->setObjectName(QStringLiteral("Progress_Bar"));
    Progress_Bar->setTextVisible(false);
    auto* row = new QHBoxLayout;
    row->addWidget(Cmd_Start);
    row->addWidget(Progress_Bar, 1);
    row->addStretch(0);
    Cmd_Start->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Tree_Cods, 1);
    layout->addLayout(row);
    resize(480, 520);

    m_prompt = std::make_unique<WindowPrompt>(prompt, this, Progress_Bar, nullptr, nullptr);
    m_replacement =
        std::make_unique<aggregate::CodeReplacement>(programDir, datDir, shifDir, *m_prompt);
    m_replacement->onDirectory = [this](const QString& key) {
        for (int i = 0; i < Tree_Cods->topLevelItemCount(); ++i)
            if (Tree_Cods->topLevelItem(i)->text(0) == key)
                Tree_Cods->setCurrentItem(Tree_Cods->topLevelItem(i));
    };
    connect(Cmd_Start, &QPushButton::clicked, this,
            [this] { Cmd_Start_Click(QDateTime::currentDateTime()); });

    if (!m_replacement->open()) Cmd_Start->setEnabled(false);
    showTree();
    Progress_Bar->hide();
}

Form_CorrCod::~Form_CorrCod() = default;

void Form_CorrCod::showTree() {
    Tree_Cods->clear();
    const aggregate::SummTree& tree = m_replacement->tree();
    QHash<int, QTreeWidgetItem*> items;
    for (int i : tree.displayOrder()) {
        const aggregate::TreeNode& node = tree.node(i);
        QTreeWidgetItem* item = node.parent < 0 ? new QTreeWidgetItem(Tree_Cods)
                                                : new QTreeWidgetItem(items.value(node.parent));
        item->setText(0, node.text);
        items.insert(i, item);
    }
}

void Form_CorrCod::Cmd_Start_Click(const QDateTime& now) {
    // A replacement list is used once; a failed run is made again from the menu.
    Cmd_Start->setEnabled(false);
    m_replacement->Corr_Cod(now);
    showTree();
    Tree_Cods->expandAll();
}

} // namespace mirel::ui
