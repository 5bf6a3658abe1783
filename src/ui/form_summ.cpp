#include "ui/form_summ.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QImageReader>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "core/text.h"
#include "platform/fileio.h"
#include "ui/form_vsumm.h"
#include "ui/windowprompt.h"

namespace mirel::ui {
namespace {

constexpr int KeyRole = Qt::UserRole + 1;

QString captionOf(aggregate::SummMode mode) {
    switch (mode) {
    case aggregate::SummMode::SumCheck:
        return QStringLiteral("Проверка сумм.");
    case aggregate::SummMode::FormatCheck:
        return QStringLiteral("Форматный контроль данных.");
    default:
        return QStringLiteral("Суммирование данных.");
    }
}

QString buttonOf(aggregate::SummMode mode) {
    switch (mode) {
    case aggregate::SummMode::SumCheck:
        return QStringLiteral("Проверить суммы");
    case aggregate::SummMode::FormatCheck:
        return QStringLiteral("Проверить формат");
    default:
        return QStringLiteral("Суммировать");
    }
}

} // namespace

Form_Summ::Form_Summ(const aggregate::SummPlace& place, aggregate::SummMode mode,
                     const reference::FormCatalog& forms, platform::Prompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_mode(mode)
    , m_programDir(place.programDir) {
    setObjectName(QStringLiteral("Form_Summ"));
    setWindowTitle(captionOf(mode));
    Tree_View = new QTreeWidget(this);
    Tree_View->setObjectName(QStringLiteral("Tree_View"));
    Tree_View->setHeaderHidden(true);
    Tree_View->setColumnCount(1);
    Command_Summ = new QPushButton(buttonOf(mode), this);
    Command_Summ->setObjectName(QStringLiteral("Command_Summ"));
    Command_Summ->setAutoDefault(false);
    Check_Global = new QCheckBox(QStringLiteral("Глобально"), this);
    Check_Global->setObjectName(QStringLiteral("Check_Global"));
    const QString readOnly[2] = {QStringLiteral("Установить"),
                                 QStringLiteral("Снять защиту данных")};
    for (int i = 0; i < 2; ++i) {
        Command_ReadOnly[i] = new QPushButton(readOnly[i], this);
        Command_ReadOnly[i]->setObjectName(QStringLiteral("Command_ReadOnly"));
        Command_ReadOnly[i]->setProperty("index", i);
        Command_ReadOnly[i]->setAutoDefault(false);
    }
    Progress_Bar = new QProgressBar(this);
    Progress_Bar->setObjectName(QStringLiteral("Progress_Bar"));
    Progress_Bar->setTextVisible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command_Summ);
    buttons->addWidget(Check_Global);
    buttons->addStretch(1);
    // The two protection buttons in a frame that says what "Установить" sets.
    m_protection = new QGroupBox(QStringLiteral("Защита данных"), this);
    auto* protection = new QHBoxLayout(m_protection);
    protection->addWidget(Command_ReadOnly[0]);
    protection->addWidget(Command_ReadOnly[1]);
    buttons->addWidget(m_protection);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Tree_View, 1);
    layout->addLayout(buttons);
    layout->addWidget(Progress_Bar);
    resize(640, 520);

    m_prompt = std::make_unique<WindowPrompt>(prompt, this, Progress_Bar, nullptr, nullptr);
    m_summation = std::make_unique<aggregate::Summation>(place, mode, forms, *m_prompt);
    // A run shows the directory it works on: its node selected, its name on the button.
    m_summation->onDirectory = [this](const QString& key) {
        selectKey(key);
        Command_Summ->setText(key); // drawn when the run next lets the window handle events
    };

    connect(Command_Summ, &QPushButton::clicked, this, [this] { Command_Summ_Click(); });
    for (int i = 0; i < 2; ++i)
        connect(Command_ReadOnly[i], &QPushButton::clicked, this,
                [this, i] { Command_ReadOnly_Click(i); });
    connect(Tree_View, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { Tree_View_DblClick(item); });

    // Opening: pictures, groups, tree.
    loadPictures();
    const bool opened = m_summation->open(m_pictures.size() == 3);
    showTree();
    if (!opened) Command_Summ->setEnabled(false);

    // The modes.
    if (mode == aggregate::SummMode::SumCheck) Check_Global->setChecked(true);
    if (mode != aggregate::SummMode::Summation) m_protection->hide();
    if (mode == aggregate::SummMode::FormatCheck) Check_Global->hide();
    if (Tree_View->topLevelItemCount() > 0)
        Tree_View->setCurrentItem(Tree_View->topLevelItem(0));
    else
        Command_Summ->setEnabled(false);
    Progress_Bar->hide();
}

Form_Summ::~Form_Summ() = default;

void Form_Summ::loadPictures() {
    m_picturesRead = true;
    QList<QIcon> pictures;
    for (const QString& name : aggregate::summImageFiles()) {
        const QString path = m_programDir + QLatin1Char('/') + name;
        QImageReader reader(platform::resolvePath(path));
        const QImage image = reader.read();
        if (image.isNull()) {
            m_prompt->message(QStringLiteral("Ошибка при загрузке :") + core::CRLF + path);
            return;
        }
        QPixmap pixmap = QPixmap::fromImage(image);
        // Pictures without transparency are masked by the colour of their top left pixel.
        if (!image.hasAlphaChannel())
            pixmap.setMask(pixmap.createMaskFromColor(image.pixelColor(0, 0)));
        pictures.append(QIcon(pixmap));
    }
    m_pictures = pictures;
}

void Form_Summ::showTree() {
    const QString current = selectedKey();
    Tree_View->clear();
    const aggregate::SummTree& tree = m_summation->tree();
    QHash<int, QTreeWidgetItem*> items;
    for (int i : tree.displayOrder()) {
        const aggregate::TreeNode& node = tree.node(i);
        QTreeWidgetItem* item = node.parent < 0 ? new QTreeWidgetItem(Tree_View)
                                                : new QTreeWidgetItem(items.value(node.parent));
        item->setText(0, node.text);
        item->setData(0, KeyRole, node.key);
        if (node.image >= 1 && node.image <= m_pictures.size())
            item->setIcon(0, m_pictures.at(node.image - 1));
        items.insert(i, item);
        // What a check found is shown open.
        if (m_mode != aggregate::SummMode::Summation && node.image == aggregate::ImageMarked &&
            node.parent >= 0)
            for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
                p->setExpanded(true);
    }
    if (!current.isEmpty()) selectKey(current);
}

QTreeWidgetItem* Form_Summ::item(const QString& key) const {
    for (QTreeWidgetItemIterator it(Tree_View); *it; ++it)
        if ((*it)->data(0, KeyRole).toString() == key) return *it;
    return nullptr;
}

void Form_Summ::selectKey(const QString& key) {
    if (QTreeWidgetItem* found = item(key)) {
        Tree_View->setCurrentItem(found);
        Tree_View->scrollToItem(found);
    }
}

QString Form_Summ::selectedKey() const {
    const QTreeWidgetItem* current = Tree_View->currentItem();
    return current ? current->data(0, KeyRole).toString() : QString();
}

void Form_Summ::Command_Summ_Click() {
    const QString key = selectedKey();
    const QString dirKey = m_summation->directoryKey(m_summation->tree().find(key));
    m_caption = Command_Summ->text();
    Command_Summ->setEnabled(false);
    int result = 0;
    switch (m_mode) {
    case aggregate::SummMode::Summation:
        result =
            Check_Global->isChecked() ? m_summation->Summ_Global() : m_summation->Summ_Dir(dirKey);
        break;
    case aggregate::SummMode::SumCheck:
        result = Check_Global->isChecked() ? m_summation->VSumm_Global()
                                           : m_summation->VSumm_Dir(dirKey);
        break;
    case aggregate::SummMode::FormatCheck:
        result = m_summation->V_Format();
        break;
    }
    (void)result;
    Command_Summ->setText(m_caption);
    Command_Summ->setEnabled(Tree_View->topLevelItemCount() > 0);
    showTree();
}

void Form_Summ::Command_ReadOnly_Click(int index) {
    const bool readOnly = index == 0;
    const QString dirKey = m_summation->directoryKey(m_summation->tree().find(selectedKey()));
    if (Check_Global->isChecked())
        m_summation->ReadOnly_Global(readOnly);
    else
        m_summation->ReadOnly_Dir(dirKey, readOnly);
    showTree();
}

void Form_Summ::Tree_View_DblClick(QTreeWidgetItem* item) {
    // Only the sum check has something to show for a node.
    if (m_mode != aggregate::SummMode::SumCheck || !item) return;
    const std::optional<aggregate::DiffGrid> grid =
        m_summation->Tree_View_DblClick(item->data(0, KeyRole).toString());
    if (!grid) return;
    Q_EMIT differencesShown(*grid);
    Form_VSumm window(*grid, this);
    window.exec();
}

} // namespace mirel::ui
