#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QThread>

#include <list>
#include <optional>
#include <utility>

// A small least-recently-used store of images, bounded by entry count and by bytes. A single
// image larger than the byte budget is still kept (alone) so the caller's next paint is a hit.
// Not thread-safe: the stores are confined to the main thread, and obtain() bypasses the store
// elsewhere, so no lock is needed.
template <typename Key>
class ImageLru {
public:
    // The stored image for `key`, else `make()` (a null image: nothing to keep). Off the main
    // thread the store is not touched and `make()` always runs.
    template <typename Make>
    QImage obtain(const Key& key, Make make)
    {
        const auto* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() != app->thread())
            return make();
        if (auto hit = find(key))
            return *hit;
        QImage made = make();
        if (!made.isNull())
            insert(key, made);
        return made;
    }

    ImageLru(int maxCount, qint64 maxBytes)
        : m_maxCount(maxCount), m_maxBytes(maxBytes)
    {
    }

    std::optional<QImage> find(const Key& key)
    {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->first == key) {
                m_entries.splice(m_entries.begin(), m_entries, it);
                return m_entries.front().second;
            }
        }
        return std::nullopt;
    }

    void insert(const Key& key, const QImage& image)
    {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->first == key) {
                m_bytes -= it->second.sizeInBytes();
                m_entries.erase(it);
                break;
            }
        }
        m_entries.emplace_front(key, image);
        m_bytes += image.sizeInBytes();
        while (m_entries.size() > 1 && (int(m_entries.size()) > m_maxCount || m_bytes > m_maxBytes)) {
            m_bytes -= m_entries.back().second.sizeInBytes();
            m_entries.pop_back();
        }
    }

    void clear()
    {
        m_entries.clear();
        m_bytes = 0;
    }

    int count() const { return int(m_entries.size()); }
    qint64 bytes() const { return m_bytes; }

private:
    std::list<std::pair<Key, QImage>> m_entries;
    int m_maxCount;
    qint64 m_maxBytes;
    qint64 m_bytes = 0;
};
