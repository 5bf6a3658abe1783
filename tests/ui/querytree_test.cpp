#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "platform/fileio.h"
#include "ui/form1.h"
#include "ui/frm_mirel.h"
#include "ui/querytree.h"
#include "uitest.h"

using mirel::platform::Icon;
using mirel::test::Message;
using mirel::test::RecorderBrowser;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::ui::Frm_mirel;
using mirel::ui::QueryTree;
namespace ui = mirel::ui;

namespace {

const QDate Today(2002, 1, 15);
const QString Ini = QStringLiteral("Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
const QString ReadOnlyMessage = QStringLiteral(" существует или защищено от записи !!!");

// A started main window on a workspace whose query folder holds the given files.
struct TreeFixture {
    TempWorkspace ws;
    RecorderPrompt prompt;
    RecorderBrowser browser;
    std::unique_ptr<Frm_mirel> window;
    QueryTree* view = nullptr;
    QTreeWidget* tree = nullptr;

    explicit TreeFixture(const QStringList& files = {}, bool pictures = true) {
        mirel::test::writeStartableWorkspace(ws, Ini);
        if (!pictures) QFile::remove(ws.file("note01.ICO"));
        ws.mkdir("PASP");
        for (const QString& f : files) {
            if (f.endsWith('/'))
                ws.mkdir("PASP/" + f.chopped(1));
            else
                ws.write("PASP/" + f, "DAT\n1= 1:1\n");
        }
        window = std::make_unique<Frm_mirel>(ws.path(), prompt, browser);
        EXPECT_EQ(window->load(Today), 0);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        view = window->findChild<QueryTree*>();
        tree = window->controls().Tree_Pasp;
        tree->expandAll();
    }

    QString pasp(const QString& relative = QString()) const {
        return ws.path() + "/PASP" + (relative.isEmpty() ? QString() : "/" + relative);
    }
    QTreeWidgetItem* section(const QString& relative) const {
        return view->nodeByKey(pasp(relative).toUpper());
    }
    QTreeWidgetItem* query(const QString& relative) const {
        return view->nodeByKey(pasp(relative));
    }
    void select(QTreeWidgetItem* item) const { tree->setCurrentItem(item); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(tree, Qt::Key(key), modifiers);
    }
    // The tree as text: one line per node, indented, with its picture number.
    QStringList dump() const {
        QStringList out;
        std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* item, int depth) {
            out.append(QString(depth * 2, ' ') + item->text(0) + " [" +
                       QString::number(item->data(0, ui::PictureRole).toInt()) + "]");
            for (int i = 0; i < item->childCount(); ++i)
                walk(item->child(i), depth + 1);
        };
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            walk(tree->topLevelItem(i), 0);
        out.removeFirst(); // the root's text is the temporary path
        return out;
    }
    // Drops the dragged node on the target as the tree's own drag would.
    bool drop(QTreeWidgetItem* target) const {
        QMimeData mime;
        mime.setData(ui::QueryNodeMime, QByteArray());
        const QPoint at = tree->visualItemRect(target).center();
        QDragEnterEvent enter(at, Qt::MoveAction | Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree->viewport(), &enter);
        QDragMoveEvent move(at, Qt::MoveAction | Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree->viewport(), &move);
        const bool accepted = move.isAccepted();
        QDropEvent drop(QPointF(at), Qt::MoveAction | Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(tree->viewport(), &drop);
        QCoreApplication::processEvents();
        return accepted;
    }
};

} // namespace

TEST(QueryTree, IsBuiltFromTheQueryFolderWithKeysPicturesAndOrder) {
    TreeFixture f({"Отчеты/", "Отчеты/Вложенный/", "Отчеты/Свод.PSP", "Отчеты/Свод.HTM", "_Итоги/",
                   "b.psp", "A.PSP", "Пакет.LINK", "notes.txt", "Вложенный.PSP"});
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join('|').toStdString();
    QTreeWidgetItem* root = f.view->rootNode();
    EXPECT_EQ(root->text(0), f.pasp());
    EXPECT_EQ(root->data(0, ui::KeyRole).toString(), f.pasp().toUpper());
    EXPECT_EQ(f.tree->currentItem(), root);
    EXPECT_EQ(f.dump(),
              (QStringList{"  _Итоги [2]", "  Отчеты [2]", "    Вложенный [2]", "    Свод [3]",
                           "  A [1]", "  b [1]", "  Вложенный [1]", "  Пакет. [4]"}));
    // Sections are keyed by their upper-cased path, queries by their path.
    QTreeWidgetItem* sub = f.section("Отчеты/Вложенный");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->data(0, ui::PathRole).toString(), f.pasp("Отчеты/Вложенный"));
    ASSERT_NE(f.query("b.psp"), nullptr);
    EXPECT_EQ(f.query("b.psp")->data(0, ui::KeyRole).toString(), f.pasp("b.psp"));
    EXPECT_TRUE(f.view->hasPictures());
    EXPECT_FALSE(f.query("b.psp")->icon(0).isNull());
    EXPECT_TRUE(root->isExpanded());
}

TEST(QueryTree, APictureThatCannotBeLoadedLeavesTheTreeWithoutPictures) {
    TreeFixture f({"Отчеты/", "a.PSP"}, false);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{
                  {Icon::None, "Ошибка при загрузке :\r\n" + f.ws.path() + "/note01.ICO", ""}}));
    EXPECT_FALSE(f.view->hasPictures());
    EXPECT_TRUE(f.query("a.PSP")->icon(0).isNull());
    EXPECT_TRUE(f.section("Отчеты")->icon(0).isNull());
    EXPECT_EQ(f.dump(), (QStringList{"  Отчеты [2]", "  a [1]"}));
}

TEST(QueryTree, NewQueryTakesTheNextNumberAndAnEmptyLine) {
    EXPECT_EQ(ui::newQueryName("/nonexistent"), "_Новый запрос");
    TreeFixture f({"_Новый запрос.PSP", "_Новый запрос 1.PSP", "_Новый запрос 4.PSP", "Раздел/",
                   "Раздел/Свод.PSP", "Раздел/_новый запрос.psp"});
    EXPECT_EQ(ui::newQueryName(f.pasp()), "_Новый запрос 5");
    f.key(Qt::Key_Insert); // the root is selected
    EXPECT_TRUE(f.ws.readBytes("PASP/_Новый запрос 5.PSP") == QByteArray("\r\n"));
    ASSERT_NE(f.query("_Новый запрос 5.PSP"), nullptr);
    EXPECT_EQ(f.tree->currentItem(), f.query("_Новый запрос 5.PSP"));

    // With a query selected the query goes into its folder; a name that differs only in case
    // counts (the files came from Windows).
    f.select(f.query("Раздел/Свод.PSP"));
    f.window->controls().mnu_pasp_app->trigger();
    EXPECT_TRUE(f.ws.exists("PASP/Раздел/_Новый запрос 1.PSP"));
    EXPECT_TRUE(f.ws.read("PASP/Раздел/_новый запрос.psp").startsWith("DAT"));
    EXPECT_EQ(f.section("Раздел")->child(0)->text(0), "_Новый запрос 1");
    EXPECT_EQ(f.section("Раздел")->child(1)->text(0), "_новый запрос");
    EXPECT_TRUE(f.prompt.messages.isEmpty());

    // A folder removed behind the tree's back is no place for a query.
    QDir(f.pasp("Раздел")).removeRecursively();
    f.select(f.section("Раздел"));
    f.key(Qt::Key_Insert);
    EXPECT_EQ(f.prompt.texts(),
              QStringList{"Определите раздел, в котором необходимо создать новый запрос !!!"});
}

TEST(QueryTree, DeleteAsksOnTheKeyAndTakesTheTemplateAlong) {
    TreeFixture f({"a.PSP", "a.HTM", "b.PSP", "c.PSP", "d.LINK", "d.HTM"});
    f.select(f.query("a.PSP"));
    f.prompt.answers = {false};
    f.key(Qt::Key_Delete);
    EXPECT_EQ(f.prompt.questions, (QList<Message>{{Icon::Question, "Удалить?", "ВНИМАНИЕ !!!"}}));
    EXPECT_TRUE(f.ws.exists("PASP/a.PSP"));

    f.prompt.answers = {true};
    f.key(Qt::Key_Delete);
    EXPECT_FALSE(f.ws.exists("PASP/a.PSP"));
    EXPECT_FALSE(f.ws.exists("PASP/a.HTM"));
    EXPECT_EQ(f.query("a.PSP"), nullptr);
    EXPECT_EQ(f.prompt.questions.size(), 2);

    // Alt+Delete and the menu item do not ask.
    f.select(f.query("b.PSP"));
    f.key(Qt::Key_Delete, Qt::AltModifier);
    f.select(f.query("c.PSP"));
    f.window->controls().mnu_pasp_del->trigger();
    EXPECT_EQ(f.prompt.questions.size(), 2);
    EXPECT_FALSE(f.ws.exists("PASP/b.PSP"));
    EXPECT_FALSE(f.ws.exists("PASP/c.PSP"));

    // The ".HTM" beside a batch list is its written page, not a template.
    f.select(f.query("d.LINK"));
    f.key(Qt::Key_Delete, Qt::AltModifier);
    EXPECT_FALSE(f.ws.exists("PASP/d.LINK"));
    EXPECT_TRUE(f.ws.exists("PASP/d.HTM"));

    // The root is never deleted, and nothing is asked for it.
    f.select(f.view->rootNode());
    f.key(Qt::Key_Delete);
    EXPECT_EQ(f.prompt.questions.size(), 2);
    EXPECT_TRUE(QFileInfo(f.pasp()).isDir());
    EXPECT_TRUE(f.prompt.messages.isEmpty());
}

TEST(QueryTree, AProtectedQueryStaysWithTheDeleteMessage) {
    TreeFixture f({"a.PSP"});
    mirel::platform::setReadOnly(f.pasp("a.PSP"), true);
    f.select(f.query("a.PSP"));
    f.key(Qt::Key_Delete, Qt::AltModifier);
    EXPECT_TRUE(f.ws.exists("PASP/a.PSP"));
    EXPECT_NE(f.query("a.PSP"), nullptr);
    const QString path = f.pasp("a.PSP");
    EXPECT_EQ(f.prompt.texts(), QStringList{"Ошибка при удалении\r\n\r\n" + path + "\r\n\r\n" +
                                            path + ReadOnlyMessage});
    mirel::platform::setReadOnly(path, false);
}

TEST(QueryTree, DeletingASectionMovesItIntoTheProgramFolderOnce) {
    TreeFixture f({"Архив/", "Архив/x.PSP", "Старое/", "Старое/Архив/"});
    f.select(f.section("Архив"));
    f.window->controls().mnu_pasp_del->trigger();
    EXPECT_TRUE(f.ws.exists("Архив/x.PSP"));
    EXPECT_FALSE(f.ws.exists("PASP/Архив"));
    EXPECT_EQ(f.section("Архив"), nullptr);
    EXPECT_TRUE(f.prompt.messages.isEmpty());

    f.select(f.section("Старое/Архив"));
    f.window->controls().mnu_pasp_del->trigger();
    EXPECT_TRUE(f.ws.exists("PASP/Старое/Архив"));
    EXPECT_NE(f.section("Старое/Архив"), nullptr);
    EXPECT_EQ(f.prompt.texts(), QStringList{"Ошибка при удалении\r\n\r\n" + f.pasp("Старое/Архив") +
                                            "\r\n\r\n" + f.ws.path() + "/Архив" + ReadOnlyMessage});
}

TEST(QueryTree, RenameQueryMovesItsTemplateAndKeepsABatchListABatchList) {
    TreeFixture f({"a.PSP", "a.HTM", "b.PSP", "Пакет.LINK"});
    f.select(f.query("a.PSP"));
    f.prompt.inputs = {QString("Свод")};
    f.key(Qt::Key_F2);
    EXPECT_EQ(f.prompt.questions, (QList<Message>{{Icon::Question, "", "Переименовать"}}));
    EXPECT_TRUE(f.ws.exists("PASP/Свод.PSP"));
    EXPECT_TRUE(f.ws.exists("PASP/Свод.HTM"));
    EXPECT_FALSE(f.ws.exists("PASP/a.PSP") || f.ws.exists("PASP/a.HTM"));
    QTreeWidgetItem* node = f.query("Свод.PSP");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(0), "Свод");
    EXPECT_EQ(node->data(0, ui::PictureRole).toInt(), ui::PictureTemplate);
    EXPECT_EQ(f.tree->currentItem(), node);

    // An existing name, an empty answer, a name reaching into another folder.
    f.prompt.inputs = {QString("b"), QString(), std::nullopt, QString("../x")};
    for (int i = 0; i < 4; ++i)
        f.window->controls().mnu_pasp_ren->trigger();
    EXPECT_EQ(f.prompt.texts(),
              (QStringList{"Запрос с данным именем уже существует !!!",
                           "Ошибка при переименовании\r\n\r\n" + f.pasp("Свод.PSP") + "\r\n\r\n" +
                               f.pasp("../x.PSP") + ReadOnlyMessage}));
    EXPECT_TRUE(f.ws.exists("PASP/Свод.PSP"));

    f.select(f.query("Пакет.LINK"));
    f.prompt.inputs = {QString("Все")};
    f.key(Qt::Key_F2);
    EXPECT_TRUE(f.ws.exists("PASP/Все.LINK"));
    EXPECT_EQ(f.query("Все.LINK")->text(0), "Все.");
}

TEST(QueryTree, RenameSectionCarriesItsNodesAlong) {
    TreeFixture f({"Отчеты/", "Отчеты/Квартал/", "Отчеты/Квартал/x.PSP", "Годовые/", "a.PSP"});
    f.select(f.section("Отчеты"));
    f.prompt.inputs = {QString("Месячные")};
    f.key(Qt::Key_F2);
    EXPECT_EQ(f.prompt.questions, (QList<Message>{{Icon::Question, "", "Переименовать раздел"}}));
    EXPECT_TRUE(f.ws.exists("PASP/Месячные/Квартал/x.PSP"));
    EXPECT_EQ(f.section("Отчеты"), nullptr);
    ASSERT_NE(f.section("Месячные/Квартал"), nullptr);
    ASSERT_NE(f.query("Месячные/Квартал/x.PSP"), nullptr);
    EXPECT_EQ(f.dump(), (QStringList{"  Годовые [2]", "  Месячные [2]", "    Квартал [2]",
                                     "      x [1]", "  a [1]"}));

    const auto& c = f.window->controls();
    f.prompt.inputs = {QString("Месячные"), QString(), QString("Годовые")};
    for (int i = 0; i < 3; ++i)
        c.mnu_rr_ren->trigger();
    f.select(f.view->rootNode());
    c.mnu_rr_ren->trigger();
    f.select(f.query("a.PSP"));
    c.mnu_rr_ren->trigger();
    EXPECT_EQ(f.prompt.texts(),
              (QStringList{"Раздел не переименован !!!", "Раздел не переименован !!!",
                           "Раздел с данным именем уже существует !!!",
                           "Раздел не переименован !!!", "Укажите раздел !!!"}));
    EXPECT_EQ(f.prompt.questions.size(), 4); // the root is refused without asking
}

TEST(QueryTree, NewSectionAndDeleteSection) {
    TreeFixture f({"a.PSP", "Старое/", "Старое/x.PSP"});
    const auto& c = f.window->controls();
    f.select(f.query("a.PSP"));
    c.mnu_rr_app->trigger();
    EXPECT_EQ(f.prompt.questions,
              (QList<Message>{{Icon::Question, "Создать раздел :", ""}})); // "_Новый раздел"
    EXPECT_TRUE(QFileInfo(f.pasp("_Новый раздел")).isDir());
    ASSERT_NE(f.section("_Новый раздел"), nullptr);
    EXPECT_EQ(f.tree->currentItem(), f.section("_Новый раздел"));
    f.select(f.view->rootNode());
    c.mnu_rr_app->trigger();
    EXPECT_EQ(f.prompt.texts(), QStringList{"Данный раздел уже существует !!!"});

    // Delete section asks, then deletes the folder with its queries for good.
    f.prompt.clear();
    f.select(f.section("Старое"));
    f.prompt.answers = {false, true};
    c.mnu_rr_del->trigger();
    EXPECT_TRUE(f.ws.exists("PASP/Старое/x.PSP"));
    c.mnu_rr_del->trigger();
    EXPECT_FALSE(f.ws.exists("PASP/Старое"));
    EXPECT_EQ(f.section("Старое"), nullptr);
    EXPECT_EQ(f.tree->currentItem(), f.view->rootNode());

    f.select(f.query("a.PSP"));
    c.mnu_rr_del->trigger();
    f.select(f.view->rootNode());
    c.mnu_rr_del->trigger();
    EXPECT_EQ(f.prompt.texts(), (QStringList{"Укажите раздел !!!", "Укажите раздел !!!"}));
    EXPECT_TRUE(f.ws.exists("PASP/a.PSP"));
}

TEST(QueryTree, DeleteSectionDoesNotForceProtectedFiles) {
    TreeFixture f({"Старое/", "Старое/x.PSP", "Старое/y.PSP"});
    mirel::platform::setReadOnly(f.pasp("Старое/y.PSP"), true);
    f.select(f.section("Старое"));
    f.window->controls().mnu_rr_del->trigger();
    EXPECT_TRUE(f.ws.exists("PASP/Старое/x.PSP"));
    EXPECT_NE(f.section("Старое"), nullptr);
    EXPECT_EQ(f.prompt.texts(),
              QStringList{"Ошибка при удалении раздела\r\n\r\n" + f.pasp("Старое")});
    mirel::platform::setReadOnly(f.pasp("Старое/y.PSP"), false);
}

TEST(QueryTree, DragAndDropMovesOrCopiesQueriesAndMovesSections) {
    TreeFixture f({"a.PSP", "a.HTM", "b.PSP", "Цель/", "Цель/b.PSP", "Ветка/", "Ветка/Лист/"});
    // A query moves with its template.
    f.view->beginDrag(f.query("a.PSP"), false);
    EXPECT_TRUE(f.drop(f.section("Цель")));
    EXPECT_TRUE(f.ws.exists("PASP/Цель/a.PSP") && f.ws.exists("PASP/Цель/a.HTM"));
    EXPECT_FALSE(f.ws.exists("PASP/a.PSP") || f.ws.exists("PASP/a.HTM"));
    EXPECT_EQ(f.query("a.PSP"), nullptr);
    ASSERT_NE(f.query("Цель/a.PSP"), nullptr);
    EXPECT_EQ(f.tree->currentItem(), f.query("Цель/a.PSP"));

    // Ctrl copies; an existing file is never overwritten.
    f.view->beginDrag(f.query("Цель/a.PSP"), true);
    EXPECT_TRUE(f.drop(f.view->rootNode()));
    EXPECT_TRUE(f.ws.exists("PASP/a.PSP") && f.ws.exists("PASP/a.HTM"));
    EXPECT_TRUE(f.ws.exists("PASP/Цель/a.PSP"));
    EXPECT_NE(f.query("a.PSP"), nullptr);
    f.ws.write("PASP/b.PSP", "своя\n");
    f.view->beginDrag(f.query("b.PSP"), false);
    f.drop(f.section("Цель"));
    EXPECT_EQ(f.prompt.texts(), QStringList{"Раздел или файл существует !!!"});
    EXPECT_EQ(f.ws.read("PASP/b.PSP"), "своя\r\n");

    // A section goes with everything in it, never into itself.
    f.view->beginDrag(f.section("Ветка"), false);
    EXPECT_FALSE(f.drop(f.section("Ветка/Лист")));
    EXPECT_FALSE(f.view->canDropOn(f.section("Ветка")));
    EXPECT_TRUE(f.ws.exists("PASP/Ветка/Лист"));
    f.view->beginDrag(f.section("Ветка"), false);
    EXPECT_TRUE(f.drop(f.section("Цель")));
    EXPECT_TRUE(f.ws.exists("PASP/Цель/Ветка/Лист"));
    ASSERT_NE(f.section("Цель/Ветка/Лист"), nullptr);
    // Queries are no drop targets; the root never moves.
    f.view->beginDrag(f.query("b.PSP"), false);
    EXPECT_FALSE(f.drop(f.query("Цель/a.PSP")));
    f.view->beginDrag(f.view->rootNode(), false);
    EXPECT_FALSE(f.view->canDropOn(f.section("Цель")));
    EXPECT_EQ(f.prompt.messages.size(), 1);
}

TEST(QueryTree, ADragStartsFromTheMouseWithCtrlForCopy) {
    TreeFixture f({"a.PSP", "b.PSP"});
    QList<QPair<QString, bool>> drags;
    f.view->dragRunner = [&](QTreeWidgetItem* item, bool copy) {
        drags.append({item->text(0), copy});
    };
    QWidget* viewport = f.tree->viewport();
    for (const auto& [name, modifiers] :
         {std::pair{QString("a.PSP"), Qt::KeyboardModifiers(Qt::ControlModifier)},
          std::pair{QString("b.PSP"), Qt::KeyboardModifiers()}}) {
        const QPoint at = f.tree->visualItemRect(f.query(name)).center();
        QTest::mousePress(viewport, Qt::LeftButton, {}, at);
        QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 30), viewport->mapToGlobal(at),
                         Qt::NoButton, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at + QPoint(30, 30));
    }
    EXPECT_EQ(drags, (QList<QPair<QString, bool>>{{"a", true}, {"b", false}}));
}

TEST(QueryTree, ANodeClickFillsTheRegionSelectorFromTheQuerysClassifier) {
    TreeFixture f;
    f.ws.write("PASP/Строки.PSP", "1: 101 1\nCOD\n1101\nSTR 1\n1=V1\n");
    f.ws.write("PASP/Район.PSP", "1: 101 1\nSHIF2\ncod\n2202\nSTR 1\n");
    f.ws.write("PASP/Нет.PSP", "1: 101 1\nshif9.txt\ncod\n");
    f.ws.write("PASP/Регионы.PSP", "1: 101 1\nDAT\n1=V1 code\n");
    f.ws.write("SHIF/shif2.txt", "2201 Первый\n2202 Второй\n");
    f.view->loadQueryTree();
    QComboBox* combo = f.window->controls().Combo_REG;
    const auto click = [&](const QString& name) {
        QTest::mouseClick(f.tree->viewport(), Qt::LeftButton, {},
                          f.tree->visualItemRect(f.query(name)).center());
    };
    click("Строки.PSP");
    EXPECT_TRUE(combo->isVisible());
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentText(), "Район");
    EXPECT_EQ(combo->currentData().toString(), "1101");

    click("Район.PSP");
    EXPECT_EQ(combo->itemText(0), "Первый");
    EXPECT_EQ(combo->currentText(), "Второй");

    click("Регионы.PSP");
    EXPECT_FALSE(combo->isVisible());
    EXPECT_TRUE(f.prompt.messages.isEmpty());

    click("Нет.PSP");
    EXPECT_TRUE(combo->isVisible());
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(f.prompt.messages,
              (QList<Message>{{Icon::Error, "Нет файла !", f.ws.path() + "/SHIF/shif9.TXT"}}));
    // Enter on an empty selector: nothing to compute for.
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(f.prompt.messages.last(),
              (Message{Icon::Error, "Не выбран регион !!!", "ВНИМАНИЕ !!!"}));

    // Keys move the selection, and the selector follows it.
    f.select(f.query("Строки.PSP"));
    EXPECT_EQ(combo->currentText(), "Район");

    // The missing classifier was told once: walking over the query again says nothing more.
    f.prompt.clear();
    f.select(f.query("Нет.PSP"));
    QTest::keyClick(f.tree, Qt::Key_Up);
    QTest::keyClick(f.tree, Qt::Key_Down);
    click("Нет.PSP");
    EXPECT_TRUE(combo->isVisible());
    EXPECT_EQ(f.tree->currentItem(), f.query("Нет.PSP"));
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join('|').toStdString();
}

TEST(QueryTree, EditOpensTheSelectedQueryInTheEditor) {
    TreeFixture f;
    f.ws.write("PASP/Свод.PSP", "1: 101 1\nDAT\n1 = V1\n");
    f.view->loadQueryTree();
    const auto& c = f.window->controls();
    c.mnu_pasp_open->trigger();
    EXPECT_EQ(f.prompt.texts(),
              QStringList{"Отметьте запрос, который Вы хотите редактировать !!!"});
    f.select(f.query("Свод.PSP"));
    c.mnu_pasp_open->trigger();
    ui::Form1* editor = f.window->findChild<ui::Form1*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->windowTitle(), "Свод.PSP[*] - Simple Text Editor");
    EXPECT_EQ(editor->currentFile(), f.pasp("Свод.PSP"));
    EXPECT_EQ(editor->Editor->toPlainText(), "1: 101 1\nDAT\n1 = V1\n");

    // A changed query is offered for saving before the program ends.
    editor->Editor->insertPlainText("SORT -\n");
    f.prompt.answers = {true};
    f.window->close();
    EXPECT_FALSE(f.window->isVisible());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(f.prompt.questions.size(), 1);
    EXPECT_EQ(f.ws.read("PASP/Свод.PSP"), "SORT -\r\n1: 101 1\r\nDAT\r\n1 = V1\r\n");
}

TEST(QueryTree, HelpersNameFilesAsTheSystemDoes) {
    EXPECT_TRUE(ui::isQueryFileName("a.psp"));
    EXPECT_TRUE(ui::isQueryFileName("a.Link"));
    EXPECT_FALSE(ui::isQueryFileName("a.HTM"));
    EXPECT_EQ(ui::queryNodeText("Свод.PSP"), "Свод");
    EXPECT_EQ(ui::queryNodeText("Пакет.LINK"), "Пакет.");
    EXPECT_EQ(ui::queryTemplatePath("/q/a.psp"), "/q/a.HTM");
    EXPECT_EQ(ui::queryTemplatePath("/q/a.LINK"), "");
}

TEST(QueryTree, StandsAsideWhileAnotherViewUsesTheTree) {
    TreeFixture f({"a.PSP"});
    f.window->enterView(Frm_mirel::View::Catalog);
    f.tree->clear();
    auto* node = new QTreeWidgetItem(f.tree, QStringList{"Форма 101"});
    f.tree->setCurrentItem(node);
    f.key(Qt::Key_Insert);
    f.key(Qt::Key_Delete);
    f.key(Qt::Key_F2);
    f.key(Qt::Key_Return);
    EXPECT_TRUE(f.prompt.messages.isEmpty()) << f.prompt.texts().join('|').toStdString();
    EXPECT_TRUE(f.prompt.questions.isEmpty());
    EXPECT_EQ(QDir(f.pasp()).entryList(QDir::Files), QStringList{"a.PSP"});
    // "Выход" gives the tree back to the queries.
    QTest::mouseClick(f.window->controls().Cmd_calc, Qt::LeftButton);
    EXPECT_NE(f.query("a.PSP"), nullptr);
}

TEST(QueryTree, AFolderLinkBackUpDoesNotLoopAndTheEditorFollowsMoves) {
    TreeFixture f({"Отчеты/", "Отчеты/x.PSP"});
    ASSERT_TRUE(QFile::link(f.pasp(), f.pasp("Отчеты/назад")));
    f.view->loadQueryTree();
    f.tree->expandAll();
    // The link is shown; the folder it leads to is not read a second time.
    EXPECT_EQ(f.dump(), (QStringList{"  Отчеты [2]", "    назад [2]", "    x [1]"}));

    f.select(f.query("Отчеты/x.PSP"));
    f.window->controls().mnu_pasp_open->trigger();
    auto* editor = f.window->findChild<ui::Form1*>();
    ASSERT_NE(editor, nullptr);
    f.select(f.section("Отчеты"));
    f.prompt.inputs = {QString("Годовые")};
    f.key(Qt::Key_F2);
    EXPECT_EQ(editor->currentFile(), f.pasp("Годовые/x.PSP"));
    f.select(f.query("Годовые/x.PSP"));
    f.prompt.inputs = {QString("y")};
    f.key(Qt::Key_F2);
    EXPECT_EQ(editor->currentFile(), f.pasp("Годовые/y.PSP"));
    editor->Editor->insertPlainText("DEC\n");
    EXPECT_TRUE(editor->fileSave());
    EXPECT_TRUE(f.ws.read("PASP/Годовые/y.PSP").startsWith("DEC\r\n"));
    EXPECT_FALSE(f.ws.exists("PASP/Годовые/x.PSP"));
    editor->close();
}

TEST(QueryTree, ProtectedQueriesStayAndAQueryNeverLeavesItsTemplateBehind) {
    TreeFixture f({"a.PSP", "a.HTM", "b.PSP", "Цель/"});
    ASSERT_TRUE(mirel::platform::setReadOnly(f.pasp("b.PSP"), true));
    ASSERT_TRUE(mirel::platform::setReadOnly(f.pasp("a.HTM"), true));
    // A protected query is neither renamed nor moved, also by root.
    f.select(f.query("b.PSP"));
    f.prompt.inputs = {QString("c")};
    f.key(Qt::Key_F2);
    f.view->beginDrag(f.query("b.PSP"), false);
    f.drop(f.section("Цель"));
    // The query could move but its protected template not: the query is put back.
    f.select(f.query("a.PSP"));
    f.prompt.inputs = {QString("d")};
    f.key(Qt::Key_F2);
    f.view->beginDrag(f.query("a.PSP"), false);
    f.drop(f.section("Цель"));
    EXPECT_EQ(f.prompt.texts(), (QStringList{"Ошибка при переименовании\r\n\r\n" + f.pasp("b.PSP") +
                                                 "\r\n\r\n" + f.pasp("c.PSP") + ReadOnlyMessage,
                                             "Ошибка при переносе или копировании запроса",
                                             "Ошибка при переименовании\r\n\r\n" + f.pasp("a.HTM") +
                                                 "\r\n\r\n" + f.pasp("d.HTM") + ReadOnlyMessage,
                                             "Ошибка при переносе или копировании запроса"}));
    for (const char* name : {"PASP/a.PSP", "PASP/a.HTM", "PASP/b.PSP"})
        EXPECT_TRUE(f.ws.exists(name)) << name;
    EXPECT_TRUE(QDir(f.pasp("Цель")).isEmpty());
    EXPECT_FALSE(f.ws.exists("PASP/d.PSP"));
    EXPECT_NE(f.query("a.PSP"), nullptr);
    EXPECT_NE(f.query("b.PSP"), nullptr);
}
