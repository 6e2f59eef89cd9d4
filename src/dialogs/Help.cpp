#include "dialogs/Help.h"

#include "platform/Seam.h"

namespace {
TSeam<IHelpViewer> seam;
}

IHelpViewer* SetHelpViewer(IHelpViewer* viewer)
{
    return seam.Replace(viewer);
}

void ShowHelpTopic(const QString& keyword)
{
    if (IHelpViewer* viewer = seam.Current())
        viewer->ShowTopic(keyword);
}
