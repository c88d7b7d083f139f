#pragma once
// The program's string table, keyed by resource number. Command strings
// (number = command id) hold the menu help text, a line break, and the tool
// tip. Every message and label is taken from here so a translation layer can
// replace them by number.
#include <QString>
#include <QStringList>
#include <functional>

// The built-in text of string `id`, or a translation when one is installed.
// Unknown numbers give an empty text.
QString LoadUiString(int id);

// The built-in text only, ignoring any translation.
QString BuiltInUiString(int id);

// Part before the line break (status-bar help for a command).
QString CommandHelpText(int id);
// Part after the line break (tool tip), at most 80 characters.
QString CommandToolTip(int id);

// Fills "%s" and "%d" placeholders of a string-table text in order.
QString FormatUi(const QString& pattern, const QStringList& args);

// A translation layer installs this; it receives the number and the built-in
// text and returns the text to show (or the built-in one).
using UiStringTranslator = std::function<QString(int id, const QString& builtIn)>;
void SetUiStringTranslator(UiStringTranslator translator);

// Resource numbers of the strings used by the application shell.
namespace str {
enum : int {
    AppTitle = 1,
    PaneFile = 1000,
    PaneFind1 = 1001,
    PaneFind2 = 1002,
    PaneSymbol = 1003,
    PaneCommand = 1004,
    PaneTemplate = 1005,
    SaveModTitle = 1010,
    SaveModText = 1011,
    SaveModYes = 1012,
    SaveModNo = 1013,
    SaveModCancel = 1014,
    SaveModName = 1015,
    SaveModDescription = 1016,
    SaveModLastModified = 1017,
    AllFilesFilter = 1033,
    OpenFailure = 1034,
    SaveFailure = 1036,
    Tag = 1038,
    Class = 1039,
    Line = 1040,
    FeedbackAddress = 1043,
    FileDoesNotExist = 1045,
    NewDocument = 1047,
    SaveChangesTo = 1050,
    HomePageAddress = 1051,
    ChangeFontColor = 1052,
    OrganizeFavorites = 1053,
    DonateAddress = 1054,
    DocumentationSearchFailed = 1055,
    ShortcutUsedBy = 1057,
    MaxShortcuts = 1058,
    AddTemplate = 1060,
    ModifiedOutside = 1066,
    NeedRestart = 1067,
};
}
