#pragma once

#include <memory>
#include <QDialog>
#include <QObject>
#include <QPointer>

#include "data/reports.h"
#include "platform/prompt.h"
#include "ui/form_dd.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace mirel::reference {
struct Session;
}

namespace mirel::ui {

class Frm_mirel;
class WindowPrompt;

// The reports tree window "Отчеты.": the stored data by form, period and region. A click on a
// period lists its regions (once); a click on a region reads its sections, offers to write the
// form's HTML templates filled with them ("Записать в HTML ?"), opens the first page in the
// browser and shows the data in the display window Form_DD over this one.
class Form_TreeDD : public QDialog {
    Q_OBJECT
public:
    Form_TreeDD(const reference::Session& session, platform::Prompt& prompt,
                platform::Browser& browser, QWidget* parent = nullptr);
    ~Form_TreeDD() override;

    // Reads the catalog and the classifier, places the window over the whole screen and builds
    // the tree. False after the message when the window must close instead of showing.
    bool Form_Load();

    QTreeWidget* TreeView = nullptr;
    QProgressBar* Progress_Bar = nullptr;
    QLabel* Lbl_Info = nullptr;
    QPushButton* Cmd_Stop = nullptr; // "Прервать", shown while a long run goes

    // The click on a node: a period without children lists its regions, a region shows its data.
    void nodeClicked(QTreeWidgetItem* item);
    // The display window opened last (while it is open).
    Form_DD* displayWindow() const { return m_display; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addNodes(QTreeWidgetItem* parent, const QList<data::ReportNode>& nodes);
    void listRegions(QTreeWidgetItem* period);
    void showRegion(const data::ReportFolder& folder, const QString& regionCode);

    const reference::Session& m_session;
    platform::Browser& m_browser;
    std::unique_ptr<WindowPrompt> m_prompt;
    data::ReportsBase m_base;
    QPointer<Form_DD> m_display;
};

// The "Отчеты" menu of the main window: hides the region selector and opens the reports tree.
class ReportsView : public QObject {
    Q_OBJECT
public:
    explicit ReportsView(Frm_mirel& window);

    void mnu_Otchet_Click();
    // The reports tree opened last (while it is open).
    Form_TreeDD* treeWindow() const { return m_tree; }

private:
    Frm_mirel& m_window;
    QPointer<Form_TreeDD> m_tree;
};

} // namespace mirel::ui
