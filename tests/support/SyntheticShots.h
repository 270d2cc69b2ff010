#pragma once

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

// Screenshot-like images for render tests: a window (title bar, text, a button) on a desktop.
// `desktop` is painted first; the window covers `window`.
inline QImage windowOnDesktop(const QSize& size, const QBrush& desktop, const QRect& window)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), desktop);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(248, 248, 250));
    p.drawRoundedRect(window, 10, 10);
    p.setBrush(QColor(225, 225, 230));
    p.drawRect(QRect(window.left(), window.top() + 4, window.width(), 24));
    p.setBrush(QColor(20, 20, 24));
    for (int y = window.top() + 50; y < window.bottom() - 40; y += 22)
        p.drawRect(QRect(window.left() + 20, y, window.width() / 2, 8));
    p.setBrush(QColor(0, 122, 255));
    p.drawRoundedRect(QRect(window.right() - 110, window.bottom() - 50, 90, 32), 6, 6);
    return image;
}

inline QBrush diagonalGradient(const QSize& size, const QColor& from, const QColor& to)
{
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    return g;
}

// Left half red, right half blue: where each half lands shows crops and flips.
inline QImage redBlueHalves(int w = 400, int h = 300)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h, QColor(255, 0, 0));
    p.fillRect(w / 2, 0, w - w / 2, h, QColor(0, 0, 255));
    return image;
}
