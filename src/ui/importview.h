#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

#include "exchange/excelnames.h"
#include "exchange/transferimport.h"

class QTreeWidgetItem;

namespace mirel::ui {

class Frm_mirel;

// The import mode of the main window: the tree shows what can be loaded, "Загрузить"
// (Cmd_Import) loads the chosen node, "Выход" on Cmd_calc leaves. Mod_Ctrl_Imp sets the mode up
// for every import (the frame "Режим загрузки данных" with "Ввод" and "Коррекция"); each kind
// of import adds its own steps and its handling of "Загрузить".
//
// Excel import ("Загрузка файлов Excel"): the workbooks of the Excel import folder, checked by
// name (exchange/excelnames.h), under their forms; "Логический контроль" (Option_Log) replaces
// the frame. A double click, a typed key or "Загрузить" converts the chosen workbook, or every
// workbook of the chosen form (exchange/excelconvert.h), for the period the tree was listed for.
//
// Transfer import (the entries of "Загрузка данных" before it): the offered files of the entry's
// folder; "Загрузить" loads the chosen file (exchange/transferimport.h) in "Ввод" or
// "Коррекция" and the tree shows what was loaded, period, form, region and section.
class ImportView : public QObject {
    Q_OBJECT
public:
    enum class Mode { None, Excel, Transfer };
    // Data of a node: its key (the path of a file, "форма FFF" for a form), its picture.
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int PictureRole = Qt::UserRole + 1;

    explicit ImportView(Frm_mirel& window);

    Mode mode() const { return m_mode; }
    // Mod_Ctrl_Imp: the window in import mode.
    void Mod_Ctrl_Imp();
    // Mod_Ctrl_XLS: the import mode of the Excel import.
    void Mod_Ctrl_XLS();
    // menu_XLS_Click: lists the Excel import folder.
    void menu_XLS_Click();
    // Cmd_Import_Click: "Загрузить" on the chosen node.
    void Cmd_Import_Click();
    // Cnv_Xls: converts the workbook or the form of a node.
    void Cnv_Xls(QTreeWidgetItem* node);
    // menu_Imp_Dir_Click: lists the folder of import menu entry `entry` (0-based).
    void menu_Imp_Dir_Click(int entry);
    // Loads the transfer file of a node.
    void loadTransfer(QTreeWidgetItem* node);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showNodes(const QList<exchange::ImportNode>& nodes);
    QTreeWidgetItem* makeNode(const exchange::ImportNode& node) const;
    QTreeWidgetItem* makeItem(const QString& key, const QString& text, int picture) const;
    void loadPictures();
    void left();

    Frm_mirel& m_w;
    Mode m_mode = Mode::None;
    QString m_year; // the period the tree was listed for
    QString m_month;
    QList<QIcon> m_pictures;
};

} // namespace mirel::ui
