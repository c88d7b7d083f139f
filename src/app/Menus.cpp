#include "app/Menus.h"
#include "app/CommandIds.h"
#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

struct KeyDef { int id; const char* key; };

// The built-in accelerator table.
const KeyDef kKeys[] = {
    {100, "Ctrl+N"}, {101, "Ctrl+O"}, {102, "Alt+O"}, {103, "Ctrl+W"}, {105, "Ctrl+Shift+W"},
    {106, "Ctrl+S"}, {117, "Ctrl+P"},
    {200, "Ctrl+Z"}, {201, "Ctrl+Y"}, {202, "Ctrl+X"}, {203, "Ctrl+C"}, {204, "Ctrl+V"},
    {206, "Ctrl+A"}, {207, "Ctrl+Shift+C"},
    {209, "Ctrl+L"}, {210, "Ctrl+Shift+T"}, {211, "Ctrl+D"}, {212, "Ctrl+Shift+L"},
    {213, "Ctrl+Up"}, {214, "Ctrl+Down"}, {219, "Ctrl+U"}, {220, "Ctrl+Shift+U"},
    {223, "Alt+I"}, {225, "Ctrl+Q"}, {226, "Ctrl+Shift+B"}, {227, "Ctrl+Shift+Q"},
    {228, "Ctrl+Shift+Space"}, {229, "Ctrl+I"}, {230, "Ctrl+Return"},
    {303, "Shift+F11"}, {304, "F11"},
    {314, "Ctrl+Insert"}, {315, "Ctrl+0"}, {316, "Ctrl+Shift+0"},
    {400, "Ctrl+F"}, {401, "Ctrl+R"}, {401, "Ctrl+H"}, {402, "F3"}, {403, "Shift+F3"},
    {404, "Ctrl+F3"}, {405, "Ctrl+Shift+F3"}, {406, "Ctrl+Shift+F"}, {407, "Ctrl+G"},
    {408, "F6"}, {409, "F1"}, {410, "Ctrl+]"}, {411, "Ctrl+Shift+]"},
    {412, "Ctrl+M"}, {413, "Ctrl+Shift+M"},
    {414, "Ctrl+F2"}, {415, "Ctrl+Shift+F2"}, {416, "F2"}, {417, "Shift+F2"},
    {680, "F4"}, {681, "F12"}, {683, "Alt+Return"},
    {800, "Ctrl+Tab"}, {801, "Ctrl+Shift+Tab"}, {803, "F8"},
    {804, "Alt+1"}, {805, "Alt+2"}, {806, "Alt+3"}, {807, "Alt+4"}, {808, "Alt+5"}, {809, "Alt+6"},
    {820, "Ctrl+F1"},
};

struct Builder {
    const ActionFactory& action;
    void Item(QMenu* m, int id, const char* text) { m->addAction(action(id, QString::fromUtf8(text))); }
};

} // namespace

const QVector<KeyBinding>& DefaultKeyTable()
{
    static const QVector<KeyBinding> table = [] {
        QVector<KeyBinding> t;
        for (const KeyDef& k : kKeys)
            t.append({k.id, QKeySequence(QString::fromLatin1(k.key))});
        return t;
    }();
    return table;
}

QString KeyText(const QKeySequence& key)
{
    return key.toString(QKeySequence::PortableText);
}

MainMenus BuildMainMenus(QMenuBar* bar, const ActionFactory& action)
{
    MainMenus m;
    Builder b{action};
    auto top = [bar](const char* title) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(title));
        return menu;
    };

    m.file = top("&File");
    b.Item(m.file, 100, "&New");
    b.Item(m.file, 101, "&Open...");
    b.Item(m.file, 102, "Open Selected File");
    b.Item(m.file, 103, "&Close");
    b.Item(m.file, 104, "Close O&ther");
    b.Item(m.file, 105, "Close &All");
    m.file->addSeparator();
    b.Item(m.file, 106, "&Save");
    b.Item(m.file, 107, "Save &As...");
    b.Item(m.file, 108, "Save A&ll");
    b.Item(m.file, 109, "&Reload from Disk");
    m.file->addSeparator();
    b.Item(m.file, 110, "&Load Session");
    b.Item(m.file, 111, "Sa&ve Session");
    m.file->addSeparator();
    b.Item(m.file, 112, "Export as &HTML...");
    b.Item(m.file, 113, "Export as &RTF...");
    b.Item(m.file, 114, "Export as &PDF...");
    b.Item(m.file, 115, "Export as &LaTeX...");
    m.file->addSeparator();
    m.recent = m.file->addMenu(QStringLiteral("Recent &Files"));
    b.Item(m.recent, cmd::RecentFirst, "Recent File");
    m.file->addSeparator();
    b.Item(m.file, 116, "E&xit");

    m.edit = top("&Edit");
    b.Item(m.edit, 200, "&Undo");
    b.Item(m.edit, 201, "&Redo");
    m.edit->addSeparator();
    b.Item(m.edit, 202, "Cu&t");
    b.Item(m.edit, 203, "&Copy");
    b.Item(m.edit, 204, "&Paste");
    b.Item(m.edit, 205, "&Delete");
    b.Item(m.edit, 206, "Select &All");
    b.Item(m.edit, 207, "Copy as RTF");
    b.Item(m.edit, 208, "Swap with Clipboard");
    m.edit->addSeparator();
    QMenu* line = m.edit->addMenu(QStringLiteral("&Line"));
    b.Item(line, 209, "Cut &Line");
    b.Item(line, 210, "Cop&y Line");
    b.Item(line, 211, "&Duplicate");
    b.Item(line, 212, "Delete &Line");
    b.Item(line, 213, "Move &Up Line");
    b.Item(line, 214, "Move &Down Line");
    line->addSeparator();
    b.Item(line, 215, "&Split Lines");
    b.Item(line, 216, "&Join Lines");
    b.Item(line, 217, "Delete Empty Line");
    b.Item(line, 218, "Trim Trailing Space");
    QMenu* convert = m.edit->addMenu(QStringLiteral("C&onvert"));
    b.Item(convert, 219, "to &Lowercase");
    b.Item(convert, 220, "to &Uppercase");
    convert->addSeparator();
    b.Item(convert, 221, "Tabs to Spaces");
    b.Item(convert, 222, "Spaces to Tabs");
    m.edit->addSeparator();
    b.Item(m.edit, 223, "Insert Template");
    b.Item(m.edit, 224, "Add Template");
    m.edit->addSeparator();
    b.Item(m.edit, 225, "&Block Comment or Uncomment");
    b.Item(m.edit, 226, "Bo&x Comment");
    b.Item(m.edit, 227, "&Stream Comment");
    m.edit->addSeparator();
    b.Item(m.edit, 228, "Show Call&tip");
    b.Item(m.edit, 229, "A&uto Complete");
    b.Item(m.edit, 230, "Complete &Word");

    m.view = top("&View");
    b.Item(m.view, 300, "&Menu Bar");
    b.Item(m.view, 301, "Tool Bar");
    b.Item(m.view, 302, "Status Bar");
    m.view->addSeparator();
    b.Item(m.view, 303, "&Hide Title");
    b.Item(m.view, 304, "&Full Screen");
    m.view->addSeparator();
    b.Item(m.view, 305, "Syntax &Highlight");
    b.Item(m.view, 306, "Word W&rap");
    b.Item(m.view, 307, "Show Line &Numbers");
    b.Item(m.view, 308, "Show White&Space");
    b.Item(m.view, 309, "Show End Of &Line");
    b.Item(m.view, 310, "Show &Indentation Guides");
    m.view->addSeparator();
    b.Item(m.view, 311, "Zoom In");
    b.Item(m.view, 312, "Zoom Out");
    b.Item(m.view, 313, "Default Zoom");
    m.view->addSeparator();
    b.Item(m.view, 314, "C&ollapse/Expand");
    b.Item(m.view, 315, "C&ollapse All");
    b.Item(m.view, 316, "E&xpand All");
    QMenu* collapse = m.view->addMenu(QStringLiteral("&Collapse Level"));
    QMenu* expand = m.view->addMenu(QStringLiteral("&Expand Level"));
    for (int i = 0; i < 8; ++i) {
        const QByteArray text = "Level &" + QByteArray::number(i + 1);
        b.Item(collapse, cmd::FoldCollapseLevel1 + i, text.constData());
        b.Item(expand, cmd::FoldExpandLevel1 + i, text.constData());
    }

    m.search = top("&Search");
    b.Item(m.search, 400, "&Find...");
    b.Item(m.search, 401, "&Replace...");
    b.Item(m.search, 402, "Find &Next");
    b.Item(m.search, 403, "Find &Previous");
    b.Item(m.search, 404, "Find N&ext Word");
    b.Item(m.search, 405, "Find P&rev Word");
    b.Item(m.search, 406, "Find &in Files...");
    m.search->addSeparator();
    b.Item(m.search, 407, "&Go to...");
    b.Item(m.search, 408, "Search &Symbol...");
    b.Item(m.search, 409, "Search &MSDN");
    m.search->addSeparator();
    b.Item(m.search, 410, "Match &Brace");
    b.Item(m.search, 411, "&Select to Brace");
    m.search->addSeparator();
    b.Item(m.search, 412, "Add Mark");
    b.Item(m.search, 413, "Clear All Mark");
    m.search->addSeparator();
    b.Item(m.search, 414, "Toggle &BookMark");
    b.Item(m.search, 415, "&Clear All BookMarks");
    b.Item(m.search, 416, "Next BookMark");
    b.Item(m.search, 417, "&Previous BookMark");

    m.document = top("&Document");
    b.Item(m.document, 500, "Use &Tabs");
    m.document->addSeparator();
    b.Item(m.document, 501, "Encode in &ANSI");
    b.Item(m.document, 502, "Encode in Unicode &big endian");
    b.Item(m.document, 503, "Encode in U&nicode");
    b.Item(m.document, 504, "Encode in &UTF-8");
    b.Item(m.document, 505, "Encode in UTF-8 no &bom");
    m.document->addSeparator();
    b.Item(m.document, 506, "Convert to &Windows Format");
    b.Item(m.document, 507, "Convert to &Unix Format");
    b.Item(m.document, 508, "Convert to &Mac Format");
    m.document->addSeparator();
    b.Item(m.document, 509, "&Read Only");
    b.Item(m.document, 510, "&Clear ReadOnly Attribute");

    m.tool = top("&Tool");
    b.Item(m.tool, 680, "&Locate File");
    b.Item(m.tool, 681, "&Switch Command Window Directory");
    b.Item(m.tool, 682, "&Monitor Clipborad");
    b.Item(m.tool, 683, "File &Properties");
    b.Item(m.tool, 684, "&Open by Default App");
    m.tool->addSeparator();
    b.Item(m.tool, 685, "Open Main Language &Config File");
    b.Item(m.tool, 687, "&Options");

    m.language = top("&Language");
    b.Item(m.language, 700, "&Hex");
    m.language->addSeparator();

    m.window = top("&Window");
    b.Item(m.window, 800, "&Next");
    b.Item(m.window, 801, "&Previous");
    m.window->addSeparator();
    b.Item(m.window, 802, "Always on &Top");
    b.Item(m.window, 803, "Toggle Panel");
    QMenu* dock = m.window->addMenu(QStringLiteral("&Dock Window"));
    b.Item(dock, 804, "&File");
    b.Item(dock, 805, "&Template");
    b.Item(dock, 806, "&Symbol");
    dock->addSeparator();
    b.Item(dock, 807, "&Command");
    b.Item(dock, 808, "&Find Result 1");
    b.Item(dock, 809, "&Find Result 2");
    m.window->addSeparator();
    b.Item(m.window, 810, "&Cascade");
    b.Item(m.window, 811, "Tile &Horizontal");
    b.Item(m.window, 812, "Tile &Vertical");
    b.Item(m.window, 813, "Arrange &Icons");
    m.windowOwnItems = m.window->actions().size();

    m.help = top("&Help");
    b.Item(m.help, 820, "&Contents");
    m.help->addSeparator();
    b.Item(m.help, 821, "Scrivlet &HomePage");
    b.Item(m.help, 822, "Check &Update");
    b.Item(m.help, 823, "&Feedback and Support");
    b.Item(m.help, 824, "&Donate");
    m.help->addSeparator();
    b.Item(m.help, 825, "&About Scrivlet...");
    return m;
}

QMenu* BuildTabMenu(QWidget* parent, const ActionFactory& action)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName("7");
    Builder b{action};
    b.Item(menu, 103, "&Close");
    b.Item(menu, 104, "Close &Other");
    b.Item(menu, 105, "Close &All");
    menu->addSeparator();
    b.Item(menu, 686, "Open Containing Folder");
    menu->addSeparator();
    b.Item(menu, 106, "&Save");
    b.Item(menu, 107, "Save &As...");
    return menu;
}

QMenu* BuildBarMenu(QWidget* parent, const ActionFactory& action)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName("8");
    Builder b{action};
    b.Item(menu, 300, "&Menu Bar");
    b.Item(menu, 301, "&Tool Bar");
    return menu;
}
