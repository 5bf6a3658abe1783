#pragma once

#include <QDialog>

#include "aggregate/summation.h"

class QTableWidget;

namespace mirel::ui {

// The difference grid of the sum check ("Разность между  просчитанным значением суммы и
// записанным в базе."): the grid takes its columns and rows from g_Format_String ("|^  гр.j   "
// per column before the ";", "|стр.i" per row after it) and its cells from g_DD_String (rows at
// CR LF, values at blanks).
class Form_VSumm : public QDialog {
    Q_OBJECT
public:
    explicit Form_VSumm(const aggregate::DiffGrid& grid, QWidget* parent = nullptr);

    QTableWidget* Flex_Grid = nullptr;
};

} // namespace mirel::ui
