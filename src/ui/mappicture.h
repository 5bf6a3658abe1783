#pragma once

#include <QImage>
#include <QPoint>
#include <QScrollArea>

namespace mirel::ui {

// The picture of a map window (Picture_MAP): shows an image at a zoom factor inside scroll
// bars, so that a bitmap larger than the window can be looked at whole or in detail. Ctrl and
// the mouse wheel zoom as the buttons do. Releasing a mouse button over the image tells the
// point in image pixels, whatever the zoom.
class MapPicture : public QScrollArea {
    Q_OBJECT
public:
    explicit MapPicture(QWidget* parent = nullptr);

    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

    double zoom() const { return m_zoom; }
    // Zoom factors are kept between 1/16 and 16.
    void setZoom(double zoom);
    void zoomIn() { setZoom(m_zoom * 1.25); }
    void zoomOut() { setZoom(m_zoom / 1.25); }
    // The zoom at which the whole image fits the visible area (at most 1).
    void fitToWindow();

    // The image pixel under a point of the picture's canvas.
    QPoint imagePoint(const QPoint& canvasPoint) const;
    QWidget* canvas() const { return widget(); }

Q_SIGNALS:
    void released(QPoint imagePixel);
    void zoomChanged(double zoom);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QImage m_image;
    double m_zoom = 1.0;
};

} // namespace mirel::ui
