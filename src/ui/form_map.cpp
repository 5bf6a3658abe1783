#include "ui/form_map.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include "maps/mapdata.h"
#include "ui/mappicture.h"

namespace mirel::ui {
namespace {

QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

MapWindow::MapWindow(const QString& mapDir, platform::Prompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_mapDir(mapDir)
    , m_prompt(prompt) {
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    Picture_MAP = new MapPicture(this);
    Cmd_Map = button(QStringLiteral("Запуск"), "Cmd_Map", this);
    Cmd_Print = button(QStringLiteral("Печать"), "Cmd_Print", this);
    Cmd_Save = button(QStringLiteral("Сохранить PNG"), "Cmd_Save", this);
    lbl_info = new QLabel(this);
    lbl_info->setObjectName(QStringLiteral("lbl_info"));
    lbl_info->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("x= 00000 y= 00000")));
    lbl_legend = new QLabel(this);
    lbl_legend->setObjectName(QStringLiteral("lbl_legend"));
    lbl_legend->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbl_legend->hide();
    Cmd_Save->setEnabled(false);

    connect(Cmd_Print, &QPushButton::clicked, this, &MapWindow::printWithDialog);
    connect(Cmd_Save, &QPushButton::clicked, this, &MapWindow::saveWithDialog);
    connect(Picture_MAP, &MapPicture::released, this, [this](QPoint p) {
        lbl_info->setText(QStringLiteral("x= %1 y= %2").arg(p.x()).arg(p.y()));
    });

    choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    chooseSavePath = [this](const QString& proposal) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить карту"), proposal,
                                            QStringLiteral("PNG (*.png)"));
    };

    m_bitmap = maps::loadMapBitmap(mapDir);
    showBitmap();
}

void MapWindow::buildLayout(QWidget* top, const QList<QWidget*>& buttons) {
    auto* zoomOut = new QToolButton(this);
    zoomOut->setObjectName(QStringLiteral("Cmd_ZoomOut"));
    zoomOut->setText(QStringLiteral("−"));
    zoomOut->setToolTip(QStringLiteral("Мельче (Ctrl и колесо мыши)"));
    auto* zoomIn = new QToolButton(this);
    zoomIn->setObjectName(QStringLiteral("Cmd_ZoomIn"));
    zoomIn->setText(QStringLiteral("+"));
    zoomIn->setToolTip(QStringLiteral("Крупнее (Ctrl и колесо мыши)"));
    auto* fit = new QToolButton(this);
    fit->setObjectName(QStringLiteral("Cmd_Fit"));
    fit->setText(QStringLiteral("По размеру окна"));
    m_zoomLabel = new QLabel(QStringLiteral("100 %"), this);
    m_zoomLabel->setObjectName(QStringLiteral("lbl_zoom"));
    m_zoomLabel->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("1600 %")));
    connect(zoomIn, &QToolButton::clicked, Picture_MAP, &MapPicture::zoomIn);
    connect(zoomOut, &QToolButton::clicked, Picture_MAP, &MapPicture::zoomOut);
    connect(fit, &QToolButton::clicked, Picture_MAP, &MapPicture::fitToWindow);
    connect(Picture_MAP, &MapPicture::zoomChanged, this, [this](double zoom) {
        m_zoomLabel->setText(QString::number(qRound(zoom * 100)) + QStringLiteral(" %"));
    });

    auto* row = new QHBoxLayout;
    if (top) row->addWidget(top);
    auto* column = new QVBoxLayout;
    auto* first = new QHBoxLayout;
    for (QWidget* w : QList<QWidget*>{Cmd_Map, Cmd_Print, Cmd_Save} + buttons)
        first->addWidget(w);
    first->addStretch();
    auto* second = new QHBoxLayout;
    for (QWidget* w : QList<QWidget*>{zoomOut, m_zoomLabel, zoomIn, fit})
        second->addWidget(w);
    second->addSpacing(24);
    second->addWidget(lbl_info);
    second->addStretch();
    column->addLayout(first);
    column->addLayout(second);
    column->addStretch();
    row->addLayout(column, 1);

    auto* body = new QHBoxLayout;
    body->addWidget(Picture_MAP, 1);
    body->addWidget(lbl_legend, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(body, 1);
}

void MapWindow::showBitmap() {
    Picture_MAP->setImage(m_bitmap.image);
}

bool MapWindow::drawPath(const QString& path) {
    maps::DrawnMap drawn;
    if (!maps::drawMapPath(path, m_mapDir, m_bitmap, m_prompt, drawn)) return false;
    m_drawn = drawn;
    m_isDrawn = true;
    Picture_MAP->setImage(m_drawn.map);
    lbl_legend->setPixmap(QPixmap::fromImage(m_drawn.legendPicture()));
    lbl_legend->show();
    Cmd_Save->setEnabled(true);
    return true;
}

QImage MapWindow::picture() const {
    return m_isDrawn ? m_drawn.withLegend() : m_bitmap.image;
}

void MapWindow::printMap(QPrinter& printer) const {
    const QImage image = picture();
    if (image.isNull()) return;
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawImage(0, 0, image);
}

void MapWindow::printWithDialog() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    if (choosePrinter && choosePrinter(printer)) printMap(printer);
}

bool MapWindow::saveMap(const QString& path) {
    return maps::saveMapPng(picture(), path, m_prompt);
}

void MapWindow::saveWithDialog() {
    if (!m_isDrawn || !chooseSavePath) return;
    QString path = chooseSavePath(m_mapDir + QLatin1Char('/') + maps::mapTitle(m_drawn.name) +
                                  QStringLiteral(".png"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
    saveMap(path);
}

Form_map::Form_map(const QString& mapDir, platform::Prompt& prompt, QWidget* parent)
    : MapWindow(mapDir, prompt, parent) {
    setObjectName(QStringLiteral("Form_map"));
    setWindowTitle(QStringLiteral("Картографический интерпретатор."));
    lst_map = new QListWidget(this);
    lst_map->setObjectName(QStringLiteral("lst_map"));
    lst_map->setFixedWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 32);
    lst_map->setFixedHeight(fontMetrics().height() * 5 + 8);
    Cmd_Window = button(QStringLiteral("В новом окне"), "Cmd_Window", this);
    buildLayout(lst_map, {Cmd_Window});

    connect(Cmd_Map, &QPushButton::clicked, this, &Form_map::Cmd_Map_Click);
    connect(Cmd_Window, &QPushButton::clicked, this, &Form_map::openInWindow);
    connect(lst_map, &QListWidget::itemDoubleClicked, this, &Form_map::Cmd_Map_Click);

    // As wide as the screen, from its left edge.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        move(r.topLeft());
        resize(r.width(), qRound(r.height() * 0.9));
    }
}

bool Form_map::Form_Load() {
    const QStringList names = maps::mapNames(m_mapDir);
    if (names.isEmpty()) {
        m_prompt.message(QStringLiteral("Нет данных для интерпретации !!!"));
        return false;
    }
    lst_map->clear();
    for (int i = 0; i < names.size(); ++i) {
        auto* item = new QListWidgetItem(i == 0 ? maps::mapTitle(names.at(i)) : names.at(i));
        item->setData(Qt::UserRole, names.at(i));
        lst_map->addItem(item);
    }
    lst_map->setCurrentRow(0);
    return true;
}

bool Form_map::selectMap(const QString& name) {
    for (int i = 0; i < lst_map->count(); ++i)
        if (lst_map->item(i)->data(Qt::UserRole).toString().compare(name, Qt::CaseInsensitive) ==
            0) {
            lst_map->setCurrentRow(i);
            return true;
        }
    return false;
}

QString Form_map::selectedMap() const {
    const QListWidgetItem* item = lst_map->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

bool Form_map::Cmd_Map_Click() {
    if (!lst_map->currentItem()) return false;
    return drawPath(maps::mapDataPath(m_mapDir, selectedMap()));
}

Frm_MAP* Form_map::openInWindow() {
    if (!lst_map->currentItem()) return nullptr;
    auto* window = new Frm_MAP(m_mapDir, m_prompt, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Frm_map_Show(maps::mapDataPath(m_mapDir, selectedMap()));
    window->show();
    return window;
}

Frm_MAP::Frm_MAP(const QString& mapDir, platform::Prompt& prompt, QWidget* parent)
    : MapWindow(mapDir, prompt, parent) {
    setObjectName(QStringLiteral("Frm_MAP"));
    setWindowTitle(QStringLiteral("Карта"));
    buildLayout(nullptr, {});
    connect(Cmd_Map, &QPushButton::clicked, this, &Frm_MAP::Cmd_Map_Click);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        resize(qRound(r.width() * 0.8), qRound(r.height() * 0.8));
    }
}

void Frm_MAP::Frm_map_Show(const QString& path) {
    m_path = path;
    m_name = maps::mapNameOfPath(path);
    setWindowTitle(path);
}

} // namespace mirel::ui
