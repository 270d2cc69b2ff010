#include "platform/TextRecognizer.h"

#include "platform/TesseractTextRecognizer.h"

#include <QThreadPool>

TextRecognizer::~TextRecognizer() = default;

void TextRecognizer::warmUp() { }

TextRecognizer& TextRecognizer::shared()
{
    static TesseractTextRecognizer recognizer;
    return recognizer;
}

void TextRecognizer::warmUpSharedInBackground()
{
    // Constructing it here, on the caller's thread, sets the numeric locale before any other
    // thread reads it.
    TextRecognizer& recognizer = shared();
    QThreadPool::globalInstance()->start([&recognizer] { recognizer.warmUp(); });
}
