#pragma once

#include <QWidget>

// The main window. For now a plain window at the bottom right of the work area.
class TfmMain : public QWidget
{
    Q_OBJECT
public:
    explicit TfmMain(QWidget* parent = nullptr);

    // A second start asks the running copy to restore itself and come to the front.
    void ActivateFromOtherInstance();
};
