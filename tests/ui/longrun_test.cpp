#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/fileio.h"
#include "ui/dataloadingview.h"
#include "ui/frm_mirel.h"
#include "ui/querytree.h"
#include "ui/windowprompt.h"
#include "viewtest.h"

using mirel::platform::Icon;
using mirel::test::loadWindow;
using mirel::test::Message;
using mirel::test::RecorderPrompt;
using mirel::test::TempWorkspace;
using mirel::ui::Frm_mirel;
using mirel::ui::QueryTree;

namespace {

const QDate Today(2026, 1, 15);

// Counts the paint events of a widget.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

std::unique_ptr<mirel::test::LoadedWindow> demoWindow(TempWorkspace& ws, bool html = false) {
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    if (!html) {
        QString ini = ws.read("MIREL_WIN.INI");
        ini.remove("  IE\r\n");
        ws.write("MIREL_WIN.INI", ini, true);
    }
    auto loaded = loadWindow(ws, Today);
    if (loaded->window) loaded->prompt.clear();
    return loaded;
}

QTreeWidgetItem* selectQuery(Frm_mirel& w, const QString& path) {
    auto* view = w.findChild<QueryTree*>();
    QTreeWidgetItem* item = view->nodeByKey(path);
    if (item) w.controls().Tree_Pasp->setCurrentItem(item);
    return item;
}

} // namespace

TEST(LongRun, TheBarIsDrawnAFewTimesASecondNotForEveryStep) {
    TempWorkspace ws;
    mirel::test::writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    auto loaded = loadWindow(ws, Today);
    ASSERT_TRUE(loaded->window);
    Frm_mirel& w = *loaded->window;
    PaintCounter counter;
    w.controls().Progress_Bar->installEventFilter(&counter);
    w.prompt().progressStart(30000);
    for (int i = 1; i <= 30000; ++i)
        w.prompt().progressValue(i);
    EXPECT_EQ(w.controls().Progress_Bar->value(), 30000); // the last value is always shown
    w.prompt().progressEnd();
    EXPECT_LT(counter.paints, 30);
    EXPECT_EQ(loaded->prompt.progressValues.size(), 30000); // every value still reaches the prompt
}

// The last value waits for the window's next drawing, which a run that ends at once hides:
// its bar is never drawn, however briefly, and the end of the run draws nothing either.
TEST(LongRun, ARunEndingAtItsLastStepDrawsNoBar) {
    TempWorkspace ws;
    mirel::test::writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    auto loaded = loadWindow(ws, Today);
    ASSERT_TRUE(loaded->window);
    Frm_mirel& w = *loaded->window;
    QProgressBar* bar = w.controls().Progress_Bar;
    QCoreApplication::processEvents();
    PaintCounter counter;
    bar->installEventFilter(&counter);
    w.prompt().progressStart(2500);
    w.prompt().progressValue(2500);
    EXPECT_EQ(bar->value(), 2500);
    w.prompt().progressEnd();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    EXPECT_FALSE(bar->isVisible());
}

TEST(LongRun, WhileARunGoesOnlyStoppingIsTakenAndTheWindowStays) {
    TempWorkspace ws;
    mirel::test::writeStartableWorkspace(ws, "Тест\n[MIREL_WIN]\nYYYY= 2002\nMM= 5\n");
    auto loaded = loadWindow(ws, Today);
    ASSERT_TRUE(loaded->window);
    Frm_mirel& w = *loaded->window;
    const auto& c = w.controls();
    QSignalSpy calc(&w, &Frm_mirel::calcClicked);
    const QStringList queries = mirel::platform::listFiles(w.session().dir(mirel::core::DirPASP));

    w.prompt().progressStart(100);
    // Buttons, keys and menus of the window start nothing.
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    QTest::keyClick(c.Tree_Pasp, Qt::Key_Insert);
    c.Tree_Pasp->setFocus();
    QTest::keyClick(c.Tree_Pasp, Qt::Key_Insert);
    EXPECT_EQ(calc.count(), 0);
    EXPECT_EQ(mirel::platform::listFiles(w.session().dir(mirel::core::DirPASP)), queries);
    EXPECT_FALSE(w.prompt().stopRequested());
    // Closing the window asks the run to stop instead.
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.prompt().stopRequested());
    w.prompt().progressEnd();

    // Escape stops the next run; "Прервать" as well, once.
    w.prompt().progressStart(100);
    EXPECT_FALSE(w.prompt().stopRequested());
    QTest::keyClick(c.Tree_Pasp, Qt::Key_Escape);
    EXPECT_TRUE(w.prompt().stopRequested());
    w.prompt().progressEnd();
    w.prompt().progressStart(100);
    ASSERT_TRUE(c.Cmd_Stop->isVisible());
    EXPECT_TRUE(c.Cmd_Stop->isEnabled());
    QTest::mouseClick(c.Cmd_Stop, Qt::LeftButton);
    EXPECT_TRUE(w.prompt().stopRequested());
    EXPECT_FALSE(c.Cmd_Stop->isEnabled());
    w.prompt().progressEnd();
    EXPECT_FALSE(c.Cmd_Stop->isVisible());

    // After the run the window answers as before.
    QTest::mouseClick(c.Cmd_calc, Qt::LeftButton);
    EXPECT_EQ(calc.count(), 1);
    EXPECT_FALSE(w.prompt().stopRequested());
}

TEST(LongRun, ADialogsRunIsStoppedByEscapeAndTakesNoOtherInput) {
    RecorderPrompt inner;
    QDialog dialog;
    auto* bar = new QProgressBar(&dialog);
    auto* button = new QPushButton(QStringLiteral("Суммировать"), &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(bar);
    layout->addWidget(button);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    mirel::ui::WindowPrompt prompt(inner, &dialog, bar, nullptr, nullptr);

    prompt.progressStart(10);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    // Escape asks the run to stop; it does not close the dialog under it.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(prompt.stopRequested());
    prompt.progressEnd();

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

namespace {

// The person presses "Прервать" once the run has gone on for a while; each region of a
// MULTY_REG table takes a few milliseconds here.
class SlowPrompt : public RecorderPrompt {
public:
    void progressStart(int maximum) override {
        QThread::msleep(8);
        RecorderPrompt::progressStart(maximum);
    }
};

} // namespace

TEST(LongRun, AStoppedQueryShowsAndWritesNothingAndSaysSo) {
    TempWorkspace ws;
    TempWorkspace temp;
    ws.copyTree(QStringLiteral(MIREL_DEMO_DIR));
    const QString query = ws.file("ЗАПРОСЫ/Все районы.PSP");
    ws.write("ЗАПРОСЫ/Все районы.PSP", "1: 130 1\nCOD\n1101\nMULTY_REG\nSTR 1\n1=1\\1\\1\n");
    ws.write("ЗАПРОСЫ/Все районы.HTM", "<html><body><table><tr><td>1\\1\\1</td></tr></table>"
                                       "</body></html>");
    mirel::platform::setTempDirOverride(temp.path());
    SlowPrompt prompt;
    mirel::test::RecorderBrowser browser;
    Frm_mirel w(ws.path(), prompt, browser);
    ASSERT_EQ(w.load(Today), 0);
    w.show();
    prompt.clear();
    prompt.stopAfter = 1;
    ASSERT_NE(selectQuery(w, query), nullptr);
    w.controls().mnu_pasp_calc->trigger();
    mirel::platform::setTempDirOverride(QString());
    EXPECT_EQ(prompt.messages,
              (QList<Message>{{Icon::None, "Выполнение прервано пользователем !!!", ""}}));
    EXPECT_FALSE(w.controls().Grid->isVisible());
    EXPECT_TRUE(browser.opened.isEmpty());
    EXPECT_TRUE(mirel::platform::listFiles(temp.path()).isEmpty());
    EXPECT_EQ(w.windowTitle(), "Мирель."); // the caption is back from the regions' names
    EXPECT_FALSE(w.controls().Progress_Bar->isVisible());

    // The same query runs to its end when nobody stops it.
    prompt.clear();
    prompt.stopAfter = -1;
    w.controls().mnu_pasp_calc->trigger();
    EXPECT_TRUE(prompt.messages.isEmpty()) << prompt.texts().join('|').toStdString();
    EXPECT_EQ(browser.opened.size(), 1);
}

TEST(LongRun, APageNoProgramShowedGoesToTheGridAndItsPathIsTold) {
    TempWorkspace ws;
    TempWorkspace temp;
    auto loaded = demoWindow(ws, true);
    ASSERT_TRUE(loaded->window);
    Frm_mirel& w = *loaded->window;
    loaded->browser.shows = false;
    mirel::platform::setTempDirOverride(temp.path());
    ASSERT_NE(selectQuery(w, ws.file("ЗАПРОСЫ/Безработица/Безработные по районам.PSP")), nullptr);
    w.controls().mnu_pasp_calc->trigger();
    mirel::platform::setTempDirOverride(QString());
    ASSERT_EQ(loaded->browser.opened.size(), 1);
    const QString page = loaded->browser.opened.first();
    EXPECT_EQ(loaded->prompt.messages,
              (QList<Message>{{Icon::Warning,
                               "Страницу не удалось открыть в браузере.\r\nОна записана в "
                               "файл:\r\n" +
                                   page,
                               ""}}));
    EXPECT_TRUE(w.controls().Grid->isVisible());
    EXPECT_EQ(w.controls().Cmd_calc->text(), "Закрыть таблицу");
    // The page declares its code page, and its values stand in their cells.
    const QByteArray bytes = temp.readBytes(mirel::platform::nameOf(page));
    EXPECT_TRUE(bytes.contains("charset=windows-1251")) << bytes.left(200).toStdString();
    EXPECT_FALSE(bytes.contains(">>")) << bytes.toStdString();
}
