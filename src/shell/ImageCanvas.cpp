#include "ImageCanvas.h"

#include <QFontMetrics>
#include <QPainter>

ImageCanvas::ImageCanvas(QWidget* parent) : QWidget(parent)
{
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
