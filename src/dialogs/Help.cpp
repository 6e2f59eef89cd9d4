#include "dialogs/Help.h"

namespace {
IHelpViewer* registered = nullptr;
}

IHelpViewer* SetHelpViewer(IHelpViewer* viewer)
{
    IHelpViewer* previous = registered;
    registered = viewer;
    return previous;
}

void ShowHelpTopic(const QString& keyword)
{
    if (registered)
        registered->ShowTopic(keyword);
}
