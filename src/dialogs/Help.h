#pragma once

#include "platform/Seam.h"

#include <QString>

// The program's help, reached through one seam: the help viewer registers itself, and until one
// is registered a request for help does nothing.
class IHelpViewer
{
public:
    virtual ~IHelpViewer() = default;
    virtual void ShowTopic(const QString& keyword) = 0;
};

// Registers the viewer (null: none); returns the previous one.
// Tests put theirs in place with TScopedSeam, which restores the previous one.
IHelpViewer* SetHelpViewer(IHelpViewer* viewer);
// Shows the help topic for the keyword in the registered viewer.
void ShowHelpTopic(const QString& keyword);
