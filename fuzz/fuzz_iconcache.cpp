// Feeds arbitrary bytes to the icon theme cache reader and looks names up in it: no read may
// leave the data, no chain may run for ever, and every folder named must be one the cache lists.
#include "platform/linux/IconTheme.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TIconCache cache =
        TIconCache::fromData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QStringList folders = cache.folders();
    for (const char* name : {"text-x-generic", "folder", "a", ""}) {
        const QHash<QString, int> found = cache.lookup(QString::fromLatin1(name));
        for (auto it = found.begin(); it != found.end(); ++it) {
            if (!folders.contains(it.key()) || (it.value() & ~7) != 0)
                abort();
        }
    }
    return 0;
}
