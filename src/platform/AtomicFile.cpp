#include "platform/AtomicFile.h"

#include <QSaveFile>

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const auto failed = [&file] {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    };
    if (file.write(data) != data.size() || file.error() != QFileDevice::NoError)
        return failed();
    // What is still in the buffer fails here, not in commit(), which would not say so.
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return failed();
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}
