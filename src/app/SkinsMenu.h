#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QMenu;
class TSkinEngine;

// The skins submenu of the tray menu and the choice of skin. The main window gives it the
// submenu ("Скины") and its skin engine, then:
//   const int count = skins.Build();          // once, while the window is created
//   if (count > 1) {
//       skins.ApplyChosenSkin();
//       if (TSkinsMenu::ShiftsWindow(count))  // a skin is chosen: 30 pixels higher
//           move(x(), y() - TSkinsMenu::SkinWindowShift);
//   }
// The choice lives in SystemSettings->SelectedSkinFileName().
class TSkinsMenu : public QObject
{
    Q_OBJECT
public:
    static const QString NoSkin; // "Не использовать скины"
    static constexpr int SkinWindowShift = 30;

    // skinsFolder ends in a separator (Folders::skinsFolder()).
    TSkinsMenu(QMenu* menu, TSkinEngine* engine, const QString& skinsFolder,
               QObject* parent = nullptr);

    // The entries: NoSkin, then every "*.skn" in the folder (folders too, any attributes) whose
    // name holds a ".", in the order the file system gives them.
    static QStringList ListSkins(const QString& skinsFolder);

    // Fills the menu with one checkable item per entry and marks the chosen one. Returns the
    // number of entries (1 without skin files).
    int Build();
    // Puts the chosen skin into effect: off for NoSkin, the missing-skin error for a file that
    // is not there, otherwise the skin drawn by the engine.
    void ApplyChosenSkin();
    // Check mark and bold on the item whose caption (without "&") equals name.
    void Mark(const QString& name);
    // What the window does with the entry count from Build(): a chosen skin moves it higher.
    static bool ShiftsWindow(int entryCount);

    QMenu* Menu() const { return m_menu; }

private:
    void itemClicked(QAction* action);

    QPointer<QMenu> m_menu;
    QPointer<TSkinEngine> m_engine;
    QString m_skinsFolder;
};
