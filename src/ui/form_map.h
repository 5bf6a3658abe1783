#pragma once

#include <functional>
#include <QDialog>
#include <QList>

#include "maps/mapdrawing.h"
#include "platform/prompt.h"

class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;

namespace mirel::ui {

class MapPicture;

// What both map windows share: the picture with the bitmap of the MAP folder, "Запуск" to draw
// a map data file on it, the legend beside it, zoom, "Печать" through the print dialog,
// "Сохранить PNG", and lbl_info telling the bitmap point under a released mouse button
// ("x= 120 y= 45", the numbers a MAP.TXT line needs).
class MapWindow : public QDialog {
    Q_OBJECT
public:
    MapWindow(const QString& mapDir, platform::Prompt& prompt, QWidget* parent = nullptr);

    MapPicture* Picture_MAP = nullptr;
    QPushButton* Cmd_Map = nullptr;   // "Запуск"
    QPushButton* Cmd_Print = nullptr; // "Печать"
    QPushButton* Cmd_Save = nullptr;  // "Сохранить PNG"
    QLabel* lbl_info = nullptr;
    QLabel* lbl_legend = nullptr;

    const maps::MapBitmap& bitmap() const { return m_bitmap; }
    bool isDrawn() const { return m_isDrawn; }
    const maps::DrawnMap& drawn() const { return m_drawn; }
    // What printing and saving take: the drawn map with its legend, else the bare bitmap.
    QImage picture() const;

    // Prints the picture on the printer, scaled to the page.
    void printMap(QPrinter& printer) const;
    // "Печать": the print dialog, then printing.
    void printWithDialog();
    // Saves the picture as PNG; false after the write message.
    bool saveMap(const QString& path);
    // "Сохранить PNG": asks for the file (a name in the MAP folder proposed), then saves.
    void saveWithDialog();

    // The dialogs, replaced by tests: the printer chosen (false when cancelled), the PNG path
    // (empty when cancelled).
    std::function<bool(QPrinter&)> choosePrinter;
    std::function<QString(const QString& proposal)> chooseSavePath;

protected:
    // Draws the map data file at path; false after its message (the picture keeps the bitmap).
    bool drawPath(const QString& path);
    // Lays out the window: top (the list of maps) before the buttons, which end with the extra
    // buttons given.
    void buildLayout(QWidget* top, const QList<QWidget*>& buttons);
    void showBitmap();

    QString m_mapDir;
    platform::Prompt& m_prompt;

private:
    maps::MapBitmap m_bitmap;
    maps::DrawnMap m_drawn;
    bool m_isDrawn = false;
    QLabel* m_zoomLabel = nullptr;
};

// "Картографический интерпретатор.": the map data files of the MAP folder in lst_map, drawn on
// the bitmap by "Запуск". Form_Load fills the list (the map name "" shown as "Данные") and
// selects the first; without any map it says "Нет данных для интерпретации !!!" and returns
// false, and the window is not to be shown. "В новом окне" opens the selected map in a window
// "Карта" of its own (Frm_MAP), beside this one.
class Form_map : public MapWindow {
    Q_OBJECT
public:
    Form_map(const QString& mapDir, platform::Prompt& prompt, QWidget* parent = nullptr);

    bool Form_Load();
    // Selects the map of that name; false when the list has none.
    bool selectMap(const QString& name);
    QString selectedMap() const;
    // "Запуск": draws the selected map.
    bool Cmd_Map_Click();
    // "В новом окне": the selected map in a window "Карта".
    class Frm_MAP* openInWindow();

    QListWidget* lst_map = nullptr;
    QPushButton* Cmd_Window = nullptr; // "В новом окне"
};

// "Карта": one map data file. The caption is its path; "Запуск" draws it.
class Frm_MAP : public MapWindow {
    Q_OBJECT
public:
    Frm_MAP(const QString& mapDir, platform::Prompt& prompt, QWidget* parent = nullptr);

    // Frm_map_Show: takes the map data file; the map name is the text after its last "MAP_".
    void Frm_map_Show(const QString& path);
    QString mapName() const { return m_name; }
    bool Cmd_Map_Click() { return drawPath(m_path); }

private:
    QString m_path;
    QString m_name;
};

} // namespace mirel::ui
