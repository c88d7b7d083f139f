#include "app/StringTable.h"
#include <QHash>

namespace {

struct Entry { int id; const char* text; };

// Command strings: "status-bar help\ntool tip".
const Entry kStrings[] = {
    {1, "Scrivlet"},
    {100, "Create a new document\nNew"},
    {101, "Open an existing document\nOpen"},
    {102, "Open the file named by the selection or the text at the caret\nOpen Selected File"},
    {103, "Close the active document\nClose"},
    {104, "Close every document except the active one\nClose Other"},
    {105, "Close all documents\nClose All"},
    {106, "Save the active document\nSave"},
    {107, "Save the active document with a new name\nSave As"},
    {108, "Save all modified documents\nSave All"},
    {109, "Reload the active document from disk\nReload from Disk"},
    {110, "Open the documents of a saved session\nLoad Session"},
    {111, "Save the list of open documents as a session\nSave Session"},
    {112, "Export the document as HTML\nExport as HTML"},
    {113, "Export the document as RTF\nExport as RTF"},
    {114, "Export the document as PDF\nExport as PDF"},
    {115, "Export the document as LaTeX\nExport as LaTeX"},
    {116, "Quit the application; prompts to save documents\nExit"},
    {200, "Undo the last action\nUndo"},
    {201, "Redo the previously undone action\nRedo"},
    {202, "Cut the selection and put it on the clipboard\nCut"},
    {203, "Copy the selection and put it on the clipboard\nCopy"},
    {204, "Insert the clipboard contents\nPaste"},
    {205, "Erase the selection\nDelete"},
    {206, "Select the entire document\nSelect All"},
    {207, "Copy the selection as rich text\nCopy as RTF"},
    {208, "Exchange the selection with the clipboard text\nSwap with Clipboard"},
    {209, "Cut the current line\nCut Line"},
    {210, "Copy the current line\nCopy Line"},
    {211, "Duplicate the selection or the current line\nDuplicate"},
    {212, "Delete the current line\nDelete Line"},
    {213, "Move the current line up\nMove Up Line"},
    {214, "Move the current line down\nMove Down Line"},
    {215, "Split the selected lines at the window width\nSplit Lines"},
    {216, "Join the selected lines\nJoin Lines"},
    {217, "Delete empty lines\nDelete Empty Line"},
    {218, "Remove spaces at the ends of lines\nTrim Trailing Space"},
    {219, "Convert the selection to lower case\nto Lowercase"},
    {220, "Convert the selection to upper case\nto Uppercase"},
    {221, "Convert tabs to spaces\nTabs to Spaces"},
    {222, "Convert leading spaces to tabs\nSpaces to Tabs"},
    {223, "Insert a template\nInsert Template"},
    {224, "Add the selection as a template\nAdd Template"},
    {225, "Comment or uncomment the selected lines\nBlock Comment"},
    {226, "Put the selected lines in a box comment\nBox Comment"},
    {227, "Put the selection in a stream comment\nStream Comment"},
    {228, "Show the call tip for the function at the caret\nShow Calltip"},
    {229, "Complete the word at the caret from the keyword list\nAuto Complete"},
    {230, "Complete the word at the caret from the document\nComplete Word"},
    {231, "Copy the file name\nCopy File Name"},
    {232, "Copy the folder of the file\nCopy File Path"},
    {233, "Copy the full path of the file\nCopy Full File Path"},
    {300, "Show or hide the menu bar\nMenu Bar"},
    {301, "Show or hide the tool bar\nTool Bar"},
    {302, "Show or hide the status bar\nStatus Bar"},
    {303, "Hide the window title\nHide Title"},
    {304, "Show the document over the whole screen\nFull Screen"},
    {305, "Turn syntax highlighting on or off\nSyntax Highlight"},
    {306, "Wrap long lines at the window edge\nWord Wrap"},
    {307, "Show or hide line numbers\nShow Line Numbers"},
    {308, "Show or hide white space\nShow White Space"},
    {309, "Show or hide the line-end characters\nShow End of Line"},
    {310, "Show or hide indentation guides\nShow Indentation Guides"},
    {311, "Enlarge the text\nZoom In"},
    {312, "Reduce the text\nZoom Out"},
    {313, "Restore the text size\nDefault Zoom"},
    {314, "Collapse or expand the current fold\nCollapse/Expand"},
    {315, "Collapse all folds\nCollapse All"},
    {316, "Expand all folds\nExpand All"},
    {338, "Choose the editor font\nSet Font"},
    {400, "Find text\nFind"},
    {401, "Find and replace text\nReplace"},
    {402, "Find the next occurrence\nFind Next"},
    {403, "Find the previous occurrence\nFind Previous"},
    {404, "Find the next occurrence of the word at the caret\nFind Next Word"},
    {405, "Find the previous occurrence of the word at the caret\nFind Prev Word"},
    {406, "Find text in files\nFind in Files"},
    {407, "Go to a line\nGo to"},
    {408, "Search for a symbol\nSearch Symbol"},
    {409, "Search the documentation for the word at the caret\nSearch Documentation"},
    {410, "Move to the matching brace\nMatch Brace"},
    {411, "Select to the matching brace\nSelect to Brace"},
    {412, "Mark every occurrence of the word at the caret\nAdd Mark"},
    {413, "Clear all marks\nClear All Mark"},
    {414, "Set or remove a bookmark on the current line\nToggle Bookmark"},
    {415, "Remove all bookmarks\nClear All Bookmarks"},
    {416, "Go to the next bookmark\nNext Bookmark"},
    {417, "Go to the previous bookmark\nPrevious Bookmark"},
    {500, "Indent with tab characters\nUse Tabs"},
    {501, "Save the document in the ANSI code page\nANSI"},
    {502, "Save the document as UTF-16 big endian\nUnicode Big Endian"},
    {503, "Save the document as UTF-16 little endian\nUnicode"},
    {504, "Save the document as UTF-8 with a byte-order mark\nUTF-8"},
    {505, "Save the document as UTF-8 without a byte-order mark\nUTF-8 without BOM"},
    {506, "Use CR LF line ends\nWindows Format"},
    {507, "Use LF line ends\nUnix Format"},
    {508, "Use CR line ends\nMac Format"},
    {509, "Protect the document against changes\nRead Only"},
    {510, "Make the file writable\nClear ReadOnly Attribute"},
    {680, "Show the file in the file pane\nLocate File"},
    {681, "Change the command window to the file's folder\nSwitch Command Window Directory"},
    {682, "Follow the clipboard\nMonitor Clipboard"},
    {683, "Show the file's properties\nFile Properties"},
    {684, "Open the file with its default application\nOpen by Default App"},
    {685, "Open the main language configuration file\nOpen Main Language Config File"},
    {686, "Open the folder that holds the file\nOpen Containing Folder"},
    {687, "Change the options\nOptions"},
    {690, "Change fonts and colours\nChange Font/Color"},
    {700, "Show the document in hexadecimal\nHex"},
    {800, "Activate the next document\nNext"},
    {801, "Activate the previous document\nPrevious"},
    {802, "Keep the window above all others\nAlways on Top"},
    {803, "Hide or show the panes\nToggle Panel"},
    {804, "Show or hide the File pane\nFile"},
    {805, "Show or hide the Template pane\nTemplate"},
    {806, "Show or hide the Symbol pane\nSymbol"},
    {807, "Show or hide the Command pane\nCommand"},
    {808, "Show or hide the first Find Result pane\nFind Result 1"},
    {809, "Show or hide the second Find Result pane\nFind Result 2"},
    {810, "Arrange the documents so they overlap\nCascade"},
    {811, "Arrange the documents as non-overlapping tiles\nTile Horizontal"},
    {812, "Arrange the documents side by side\nTile Vertical"},
    {813, "Arrange minimised documents\nArrange Icons"},
    {820, "Open the help pages\nHelp"},
    {821, "Open the Scrivlet home page\nHome Page"},
    {822, "Check for a newer version\nCheck Update"},
    {823, "Send feedback or ask for support\nFeedback and Support"},
    {824, "Support the development of Scrivlet\nDonate"},
    {825, "Show the program version\nAbout"},
    {1000, "File"},
    {1001, "Find Result 1"},
    {1002, "Find Result 2"},
    {1003, "Symbol"},
    {1004, "Command"},
    {1005, "Template"},
    {1010, "Save"},
    {1011, "Do you want to save changes to these modified items??"},
    {1012, "Yes"},
    {1013, "No"},
    {1014, "Cancel"},
    {1015, "Name"},
    {1016, "Descritpion"},
    {1017, "Last Modified"},
    {1033, "All Files (*.*)|*.*|"},
    {1034, "Open file failure.\n%s\n\n%s"},
    {1036, "Save file failure.\n%s\n\n%s"},
    {1038, "Tag"},
    {1039, "Class"},
    {1040, "Line"},
    {1043, "https://scrivlet.org/feedback"},
    {1045, "File '%s' doesn't exist."},
    {1047, "New"},
    {1050, "Save changes to: %s?"},
    {1051, "https://scrivlet.org/"},
    {1052, "Change Font/Color..."},
    {1053, "Organize Favorites.."},
    {1054, "https://scrivlet.org/donate"},
    {1055, "No documentation search address is configured."},
    {1057, "The shortcut already used by:' %s', please input other."},
    {1058, "Maximum support %d shortcut items."},
    {1060, "Add Template"},
    {1066, "%s\n\nThe file has been modified outside of this application. Do you want to reload it?"},
    {1067, "Need restart scrivlet"},
};

const QHash<int, QString>& Table()
{
    static const QHash<int, QString> table = [] {
        QHash<int, QString> t;
        for (const Entry& e : kStrings)
            t.insert(e.id, QString::fromUtf8(e.text));
        return t;
    }();
    return table;
}

UiStringTranslator& Translator()
{
    static UiStringTranslator translator;
    return translator;
}

} // namespace

QString BuiltInUiString(int id)
{
    return Table().value(id);
}

QString LoadUiString(int id)
{
    QString text = BuiltInUiString(id);
    if (Translator())
        return Translator()(id, text);
    return text;
}

void SetUiStringTranslator(UiStringTranslator translator)
{
    Translator() = std::move(translator);
}

QString CommandHelpText(int id)
{
    QString s = LoadUiString(id);
    int nl = s.indexOf('\n');
    return nl < 0 ? s : s.left(nl);
}

QString CommandToolTip(int id)
{
    QString s = LoadUiString(id);
    int nl = s.indexOf('\n');
    return nl < 0 ? QString() : s.mid(nl + 1).left(80);
}

QString FormatUi(const QString& pattern, const QStringList& args)
{
    QString out;
    int next = 0;
    for (int i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            QChar c = pattern[i + 1];
            if (c == 's' || c == 'd') {
                out += next < args.size() ? args[next] : QString();
                ++next;
                ++i;
                continue;
            }
            if (c == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}
