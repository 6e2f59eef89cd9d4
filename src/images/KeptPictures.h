#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>

// Pictures drawn once and kept under a key naming everything their drawing looks at. The few kept
// stay few: past the limit the store starts again.
class TKeptPictures
{
public:
    explicit TKeptPictures(qsizetype limit) : m_limit(limit) {}

    template <typename Draw> QPixmap get(const QString& key, Draw draw)
    {
        const auto found = m_kept.constFind(key);
        if (found != m_kept.constEnd())
            return *found;
        if (m_kept.size() >= m_limit)
            m_kept.clear();
        return *m_kept.insert(key, draw());
    }
    void clear() { m_kept.clear(); }

private:
    QHash<QString, QPixmap> m_kept;
    qsizetype m_limit;
};
