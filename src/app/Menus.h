#pragma once
// The menus of the main frame (menu resource 1), the document tab menu (7),
// the bar context menu (8), and the built-in key table. Items are QActions
// that carry their command id; the frame owns one action per id and the same
// action appears in every menu and on the toolbar.
#include <QKeySequence>
#include <QString>
#include <QVector>
#include <functional>

class QMenu;
class QMenuBar;
class QAction;
class QWidget;

struct KeyBinding {
    int command = 0;
    QKeySequence key;
};

// The built-in shortcuts in table order. When a command has several, the
// menu shows the last one.
const QVector<KeyBinding>& DefaultKeyTable();

// Text of a key as the menus and the key page show it ("Ctrl+Shift+F3").
QString KeyText(const QKeySequence& key);

// Returns the frame's action for a command id, creating it with `text` on
// first use.
using ActionFactory = std::function<QAction*(int id, const QString& text)>;

struct MainMenus {
    QMenu* file = nullptr;
    QMenu* recent = nullptr;
    QMenu* edit = nullptr;
    QMenu* view = nullptr;
    QMenu* search = nullptr;
    QMenu* document = nullptr;
    QMenu* tool = nullptr;
    QMenu* language = nullptr;
    QMenu* window = nullptr;
    QMenu* help = nullptr;
    int windowOwnItems = 0;     // items of the Window menu before the document list
};

// Builds menu resource 1 into `bar`.
MainMenus BuildMainMenus(QMenuBar* bar, const ActionFactory& action);
// Menu resource 7: the document tab's context menu.
QMenu* BuildTabMenu(QWidget* parent, const ActionFactory& action);
// Menu resource 8: the bar context menu ("&Menu Bar", "&Tool Bar").
QMenu* BuildBarMenu(QWidget* parent, const ActionFactory& action);
