#include "image/EncodedImage.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

EncodedImage EncodedImage::start(const QImage& image, const PngEncodeFunction& encoder, QThreadPool* pool)
{
    EncodedImage encoded;
    encoded.m_image = image;
    encoded.m_png = QtConcurrent::run(pool ? pool : QThreadPool::globalInstance(),
        [encoder](const QImage& written) { return encoder(written); },
        image);
    return encoded;
}
