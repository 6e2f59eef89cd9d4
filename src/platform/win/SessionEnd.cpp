#include "platform/SessionEnd.h"

// On Windows the end of the session arrives as a window message, which Qt turns into
// QGuiApplication::commitDataRequest; the main window answers that itself.
void WatchSessionEnd(QObject*, std::function<void()>) {}
