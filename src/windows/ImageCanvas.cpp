#include "windows/ImageCanvas.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QPainter>

namespace {

// Screen readers announce the picture area as a picture, not as an empty pane.
QAccessibleInterface* accessibleCanvas(const QString& className, QObject* object)
{
    if (className == QLatin1String("ImageCanvas") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

ImageCanvas::ImageCanvas(QWidget* parent) : QWidget(parent)
{
    static const bool registered = [] {
        QAccessible::installFactory(accessibleCanvas);
        return true;
    }();
    Q_UNUSED(registered);
    clear(QSize(300, 300));
}

void ImageCanvas::setBitmap(const QImage& bitmap)
{
    m_bitmap = bitmap;
    resize(bitmap.size());
    update();
}

void ImageCanvas::clear(const QSize& size)
{
    QImage blank(size, QImage::Format_RGB32);
    blank.fill(Qt::white);
    setBitmap(blank);
}

void ImageCanvas::drawText(const QPoint& topLeft, const QString& text)
{
    QPainter painter(&m_bitmap);
    painter.setFont(font());
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font());
    painter.drawText(topLeft + QPoint(0, metrics.ascent()), text);
    update();
}

void ImageCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_bitmap);
}
