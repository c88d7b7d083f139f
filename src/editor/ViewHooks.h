#pragma once
// Hooks through which modules built on top of the editor reach the views
// without the editor library depending on them: command handlers for the
// commands those modules carry out on a text view (comments, typing aids,
// templates, find, symbols, export, file encodings), a UI-update listener,
// and the user-interface translation of menus, dialogs and strings.
// Every hook is optional; without one the built-in behaviour and texts apply.
#include <QString>
#include <functional>

class CTextView;
class QMenu;
class QWidget;

namespace viewhooks {

// A handler returns true when it carried out the command.
using CommandHandler = std::function<bool(CTextView* view, int id)>;
// Registers a handler; handlers are asked in registration order.
void AddCommandHandler(CommandHandler handler);
// Asks the registered handlers; false when none handled the command.
bool RunViewCommand(CTextView* view, int id);

// Called on every UI update of a text view (brace highlighting and the like).
using UpdateUiHandler = std::function<void(CTextView* view, int updated)>;
void AddUpdateUiHandler(UpdateUiHandler handler);
void RunUpdateUiHook(CTextView* view, int updated);

// Translation: set by the translation layer at start-up.
extern std::function<void(QMenu* menu, int menuId)> translateMenu;
extern std::function<void(QWidget* dialog, int dialogId)> translateDialog;
extern std::function<QString(int stringId)> loadString;

void TranslateMenu(QMenu* menu, int menuId);
void TranslateDialog(QWidget* dialog, int dialogId);
// The translated string, or the built-in text when there is none.
QString UiString(int stringId, const char* builtIn);

} // namespace viewhooks
