#pragma once

#include <QObject>
#include <QPointer>

class QTextBrowser;
class QWidget;

namespace mirel::ui {

class Frm_mirel;

// The text of "О программе": the program, its version and what it is for.
QString aboutText();
// The user guide (the README's guide, built into the program) as Markdown; empty when missing.
QString userGuide();

// The "Справка" menu at the end of the menu bar: "Руководство пользователя" opens the user
// guide in a window of its own, "О программе" tells the version.
class HelpView : public QObject {
    Q_OBJECT
public:
    explicit HelpView(Frm_mirel& window);

    void showGuide();
    void showAbout();
    // The guide's window once it was opened.
    QWidget* guideWindow() const;

private:
    Frm_mirel& m_window;
    QPointer<QWidget> m_guide;
    QTextBrowser* m_browser = nullptr;
};

} // namespace mirel::ui
