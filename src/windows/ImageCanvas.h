#pragma once

#include <QImage>
#include <QWidget>

// An image control with a bitmap of its own size: the widget shows the bitmap at its top-left
// corner, and resizing the control resizes the bitmap.
class ImageCanvas : public QWidget
{
    Q_OBJECT

public:
    explicit ImageCanvas(QWidget* parent = nullptr);

    const QImage& bitmap() const { return m_bitmap; }
    // Takes the picture as the bitmap and the control's size.
    void setBitmap(const QImage& bitmap);
    // A white bitmap of the given size.
    void clear(const QSize& size);
    // Draws the text with its top-left corner at the point, in the control's font.
    void drawText(const QPoint& topLeft, const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_bitmap;
};
