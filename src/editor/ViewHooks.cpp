#include "editor/ViewHooks.h"

#include <vector>

namespace viewhooks {

namespace {
std::vector<CommandHandler>& Handlers()
{
    static std::vector<CommandHandler> handlers;
    return handlers;
}
std::vector<UpdateUiHandler>& UpdateUiHandlers()
{
    static std::vector<UpdateUiHandler> handlers;
    return handlers;
}
} // namespace

std::function<void(QMenu*, int)> translateMenu;
std::function<void(QWidget*, int)> translateDialog;
std::function<QString(int)> loadString;

void AddCommandHandler(CommandHandler handler) { Handlers().push_back(std::move(handler)); }

bool RunViewCommand(CTextView* view, int id)
{
    for (const CommandHandler& handler : Handlers())
        if (handler && handler(view, id))
            return true;
    return false;
}

void AddUpdateUiHandler(UpdateUiHandler handler) { UpdateUiHandlers().push_back(std::move(handler)); }

void RunUpdateUiHook(CTextView* view, int updated)
{
    for (const UpdateUiHandler& handler : UpdateUiHandlers())
        if (handler)
            handler(view, updated);
}

void TranslateMenu(QMenu* menu, int menuId)
{
    if (translateMenu)
        translateMenu(menu, menuId);
}

void TranslateDialog(QWidget* dialog, int dialogId)
{
    if (translateDialog)
        translateDialog(dialog, dialogId);
}

QString UiString(int stringId, const char* builtIn)
{
    if (loadString) {
        const QString text = loadString(stringId);
        if (!text.isEmpty())
            return text;
    }
    return QString::fromUtf8(builtIn);
}

} // namespace viewhooks
