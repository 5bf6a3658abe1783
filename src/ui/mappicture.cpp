#include "ui/mappicture.h"

#include <algorithm>
#include <cmath>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace mirel::ui {
namespace {

// The canvas paints the image scaled; its size is the scaled image size.
class Canvas : public QWidget {
public:
    Canvas(const MapPicture& picture, QWidget* parent)
        : QWidget(parent)
        , m_picture(picture) {
        setObjectName(QStringLiteral("MapCanvas"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().window());
        const QImage& image = m_picture.image();
        if (image.isNull()) return;
        // Only the part that needs painting is scaled: a large bitmap zoomed in stays quick.
        const double zoom = m_picture.zoom();
        const QRectF target = QRectF(event->rect()).intersected(QRectF(rect()));
        const QRectF source(target.x() / zoom, target.y() / zoom, target.width() / zoom,
                            target.height() / zoom);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom < 1.0);
        painter.drawImage(target, image, source);
    }

private:
    const MapPicture& m_picture;
};

} // namespace

MapPicture::MapPicture(QWidget* parent)
    : QScrollArea(parent) {
    setObjectName(QStringLiteral("Picture_MAP"));
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackgroundRole(QPalette::Base);
    auto* canvas = new Canvas(*this, this);
    canvas->resize(0, 0);
    canvas->installEventFilter(this);
    setWidget(canvas);
}

void MapPicture::setImage(const QImage& image) {
    m_image = image;
    setZoom(m_zoom);
    canvas()->update();
}

void MapPicture::setZoom(double zoom) {
    zoom = std::clamp(zoom, 1.0 / 16, 16.0);
    // Keep the point in the middle of the view where it is.
    const QPointF middle((horizontalScrollBar()->value() + viewport()->width() / 2.0) / m_zoom,
                         (verticalScrollBar()->value() + viewport()->height() / 2.0) / m_zoom);
    const bool changed = zoom != m_zoom;
    m_zoom = zoom;
    canvas()->resize(int(std::ceil(m_image.width() * m_zoom)),
                     int(std::ceil(m_image.height() * m_zoom)));
    horizontalScrollBar()->setValue(int(middle.x() * m_zoom - viewport()->width() / 2.0));
    verticalScrollBar()->setValue(int(middle.y() * m_zoom - viewport()->height() / 2.0));
    canvas()->update();
    if (changed) Q_EMIT zoomChanged(m_zoom);
}

void MapPicture::fitToWindow() {
    if (m_image.isNull()) return;
    const QSize room = maximumViewportSize();
    setZoom(std::min(
        {1.0, double(room.width()) / m_image.width(), double(room.height()) / m_image.height()}));
}

QPoint MapPicture::imagePoint(const QPoint& canvasPoint) const {
    return QPoint(int(std::floor(canvasPoint.x() / m_zoom)),
                  int(std::floor(canvasPoint.y() / m_zoom)));
}

bool MapPicture::eventFilter(QObject* watched, QEvent* event) {
    if (watched == canvas()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            Q_EMIT released(imagePoint(static_cast<QMouseEvent*>(event)->position().toPoint()));
        } else if (event->type() == QEvent::Wheel) {
            auto* wheel = static_cast<QWheelEvent*>(event);
            if (wheel->modifiers() & Qt::ControlModifier) {
                if (wheel->angleDelta().y() > 0) zoomIn();
                if (wheel->angleDelta().y() < 0) zoomOut();
                return true;
            }
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

} // namespace mirel::ui
