#pragma once

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>

// Screenshot-like test images for the benchmarks: a desktop gradient with windows full of text,
// controls and a photo-like noisy area, so encoders and filters see realistic content.
inline QImage benchScreenshot(int width = 2880, int height = 1800)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient desktop(0, 0, width, height);
    desktop.setColorAt(0, QColor(40, 70, 140));
    desktop.setColorAt(1, QColor(150, 60, 120));
    p.fillRect(image.rect(), desktop);

    const QRect windows[] = { QRect(width / 12, height / 10, width / 2, height * 2 / 3),
        QRect(width * 5 / 12, height / 4, width / 2, height * 3 / 5) };
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(10, height / 70));
    p.setFont(font);
    QRandomGenerator rng(7);
    int n = 0;
    for (const QRect& w : windows) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 250, 252));
        p.drawRoundedRect(w, 12, 12);
        p.setBrush(QColor(232, 232, 236));
        p.drawRect(QRect(w.left(), w.top(), w.width(), height / 30));
        p.setPen(QColor(30, 30, 35));
        const int line = font.pixelSize() * 3 / 2;
        for (int y = w.top() + height / 30 + line; y < w.bottom() - w.height() / 3; y += line)
            p.drawText(w.left() + 24, y,
                QStringLiteral("Line %1: invoice 4711 sent to someone@example.com, total $%2.00 for order %3")
                    .arg(++n)
                    .arg(rng.bounded(1000))
                    .arg(rng.bounded(100000)));
        // A photo-like area: smooth base with fine noise.
        const QRect photo(w.left() + 24, w.bottom() - w.height() / 3 + 10, w.width() / 2, w.height() / 3 - 34);
        for (int y = photo.top(); y < photo.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = photo.left(); x < photo.right(); ++x) {
                const int noise = int(rng.bounded(24));
                row[x] = qRgb(90 + (x - photo.left()) * 100 / photo.width() + noise, 120 + noise,
                    160 - (y - photo.top()) * 80 / photo.height() + noise);
            }
        }
        p.setBrush(QColor(0, 122, 255));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRect(w.right() - 220, w.bottom() - 70, 180, 44), 10, 10);
    }
    return image;
}
