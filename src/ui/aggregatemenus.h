#pragma once

#include <QObject>

namespace mirel::ui {

class Frm_mirel;
class DataLoadingView;

// The main window's way to summation, the checks and code replacement: the "Сервис" items
// "Суммирование", "Проверка сумм", "Форматный контроль" (the summation window in its three
// modes) and "Замена кодов", and the register's button "Алгоритм суммирования" /
// "Суммировать". The windows open modally with the folders and flags handed over in the
// window's g_ values.
class AggregateMenus : public QObject {
    Q_OBJECT
public:
    AggregateMenus(Frm_mirel& window, DataLoadingView& loading);

    void Menu_Summ_Click();
    void Menu_VSumm_Click();
    void Menu_VFormat_Click();
    void Menu_CorrCod_Click();
    // Cmd_Summ_Click: the first click shows the region grid with its summation columns (the
    // algorithm); "Суммировать" sums the register's form and period and reloads the register.
    void Cmd_Summ_Click();

Q_SIGNALS:
    // A secondary window is about to open (modal); tests close it from here.
    void windowOpening(QWidget* window);

private:
    void openSummation();

    Frm_mirel& m_w;
};

} // namespace mirel::ui
