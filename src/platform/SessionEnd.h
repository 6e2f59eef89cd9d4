#pragma once

#include <functional>

class QObject;

// Calls handler on the user-interface thread when the desktop session or the system asks the
// program to end (on this platform: SIGTERM and SIGHUP), so it can save and exit in order.
// context: the handler is not called after context is destroyed.
void WatchSessionEnd(QObject* context, std::function<void()> handler);
