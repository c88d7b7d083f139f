// The language side of CTextView: lexer, keyword lists, lexer options, styles,
// tabs and indentation, view settings, fold markers, indicators, and the
// typing-aid settings that later keystrokes consult.
#include "editor/TextView.h"

#include <QApplication>
#include <QPalette>
#include <QString>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/AppSettings.h"
#include "config/LanguageConfig.h"
#include "config/StyleSpec.h"

namespace {

using Sci = QsciScintillaBase;

// Lexer options handed to Scintilla on every language change, as plain values.
const char* const kLexerOptions[] = {
    "asp.default.language", "fold", "fold.at.else", "fold.comment", "fold.comment.yaml",
    "fold.compact", "fold.directive", "fold.html", "fold.html.preprocessor", "fold.perl.package",
    "fold.perl.pod", "fold.preprocessor", "fold.quotes.python", "fold.sql.only.begin",
    "fold.verilog.flags", "html.tags.case.sensitive", "lexer.caml.magic", "lexer.cpp.allow.dollars",
    "lexer.d.fold.at.else", "lexer.metapost.comment.process", "lexer.metapost.interface.default",
    "lexer.sql.backticks.identifier", "lexer.tex.auto.if", "lexer.tex.comment.process",
    "lexer.tex.interface.default", "lexer.tex.use.keywords", "nsis.ignorecase", "nsis.uservars",
    "ps.level", "ps.tokenize", "sql.backslash.escapes", "styling.within.preprocessor",
    "tab.timmy.whinge.level",
};

const char* const kDefaultStyle = "font:fixedsys,back:#CCE8CF";

// The properties every lookup goes to: the global main set, or an empty set
// when no configuration was loaded (tests, early start-up).
const PropSetFile& Props()
{
    static PropSetFile empty;
    return g_languageConfig ? g_languageConfig->props : empty;
}

const LanguageEntry& Entry(int index)
{
    static LanguageEntry none;
    return g_languageConfig ? g_languageConfig->Language(index) : none;
}

uint32_t EditorMask() { return g_settings ? g_settings->editorMask : 0; }

int TabSizeSetting()
{
    const int v = g_settings ? g_settings->tabSize : 4;
    return v == 0 ? 4 : v;
}

int IndentSizeSetting()
{
    const int v = g_settings ? g_settings->indentSize : 4;
    return v == 0 ? 4 : v;
}

uint32_t ToSciColour(const QColor& c)
{
    return static_cast<uint32_t>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

std::string Format(const char* pattern, const std::string& name, int n)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, pattern, name.c_str(), n);
    return buffer;
}

CTextView::StyledWordList ReadStyledWordList(const std::string& value)
{
    CTextView::StyledWordList list;
    list.styleNumber = PropSetFile::LeadingInt(value);
    const size_t space = value.find(' ');
    if (space != std::string::npos)
        list.words = value.substr(space + 1);
    return list;
}

// The call-tip value of a key written with "*": the lexer's own key first,
// then the key as written, then the default.
std::string CallTipValue(const std::string& keyWithStar, const std::string& lexer, const std::string& def)
{
    const PropSetFile& props = Props();
    std::string key = keyWithStar;
    const size_t star = key.find('*');
    if (star != std::string::npos) {
        key.replace(star, 1, lexer);
        std::string v = props.LookupExpanded(key);
        if (!v.empty())
            return v;
    }
    std::string v = props.LookupExpanded(keyWithStar);
    return v.empty() ? def : v;
}

// Reads the api files named in value (";"-separated, relative to the
// properties folder) into one list of lines. Missing files are skipped.
std::vector<std::string> LoadApiFiles(const std::string& value)
{
    std::vector<std::string> entries;
    const std::string dir = g_languageConfig ? g_languageConfig->propertiesDirectory : std::string();
    std::string all;
    size_t from = 0;
    for (;;) {
        const size_t sep = value.find(';', from);
        const std::string name = value.substr(from, sep == std::string::npos ? std::string::npos : sep - from);
        if (!name.empty()) {
            std::ifstream in(dir.empty() ? name : dir + "/" + name, std::ios::binary);
            if (in) {
                std::ostringstream buffer;
                buffer << in.rdbuf();
                all += buffer.str();
            }
        }
        if (sep == std::string::npos)
            break;
        from = sep + 1;
    }
    size_t start = 0;
    for (size_t i = 0; i <= all.size(); ++i) {
        if (i == all.size() || all[i] == '\r' || all[i] == '\n') {
            if (i > start)
                entries.push_back(all.substr(start, i - start));
            start = i + 1;
        }
    }
    return entries;
}

// Margin 0 follows the line count while it is shown.
void UpdateLineNumberMargin(CTextView* view)
{
    if (view->Send(Sci::SCI_GETMARGINWIDTHN, 0) <= 0)
        return;
    long lines = view->Send(Sci::SCI_GETLINECOUNT);
    int digits = 0;
    for (; lines > 0; lines /= 10)
        ++digits;
    if (digits < 4)
        digits = 4;
    const long width = digits * view->SendStr(Sci::SCI_TEXTWIDTH, Sci::STYLE_LINENUMBER, "9") + 4;
    view->Send(Sci::SCI_SETMARGINWIDTHN, 0, width);
}

void ExpandAllLines(CTextView* view)
{
    const long lines = view->Send(Sci::SCI_GETLINECOUNT);
    if (lines > 0)
        view->Send(Sci::SCI_SHOWLINES, 0, lines - 1);
    view->Send(Sci::SCI_FOLDALL, Sci::SC_FOLDACTION_EXPAND);
}

void ApplyStyle(CTextView* view, int n, const StyleSpec& s, int characterSet)
{
    if (s.hasItalic) view->Send(Sci::SCI_STYLESETITALIC, n, s.italic);
    if (s.hasBold) view->Send(Sci::SCI_STYLESETBOLD, n, s.bold);
    if (s.hasFont) view->SendStr(Sci::SCI_STYLESETFONT, n, PlatformFontFace(s.font).c_str());
    if (s.hasFore) view->Send(Sci::SCI_STYLESETFORE, n, s.fore);
    if (s.hasBack) view->Send(Sci::SCI_STYLESETBACK, n, s.back);
    if (s.hasSize) view->Send(Sci::SCI_STYLESETSIZE, n, s.size);
    if (s.hasEolFilled) view->Send(Sci::SCI_STYLESETEOLFILLED, n, s.eolFilled);
    if (s.hasUnderlined) view->Send(Sci::SCI_STYLESETUNDERLINE, n, s.underlined);
    if (s.hasCase) view->Send(Sci::SCI_STYLESETCASE, n, s.caseMode);
    if (s.hasVisible) view->Send(Sci::SCI_STYLESETVISIBLE, n, s.visible);
    if (s.hasChangeable) view->Send(Sci::SCI_STYLESETCHANGEABLE, n, s.changeable);
    view->Send(Sci::SCI_STYLESETCHARACTERSET, n, characterSet);
}

void SetFoldMarker(CTextView* view, int marker, int symbol, uint32_t fore, uint32_t back)
{
    view->Send(Sci::SCI_MARKERDEFINE, marker, symbol);
    view->Send(Sci::SCI_MARKERSETFORE, marker, fore);
    view->Send(Sci::SCI_MARKERSETBACK, marker, back);
}

void SetFoldSymbols(CTextView* view, int kind)
{
    enum { End = 25, OpenMid = 26, MidTail = 27, Tail = 28, Sub = 29, Folder = 30, Open = 31 };
    switch (kind) {
    case 0:
        SetFoldMarker(view, Open, Sci::SC_MARK_BOXMINUS, 0xFFFFFF, 0x808080);
        SetFoldMarker(view, Folder, Sci::SC_MARK_BOXPLUS, 0xFFFFFF, 0x808080);
        SetFoldMarker(view, Sub, Sci::SC_MARK_VLINE, 0xFFFFFF, 0x808080);
        SetFoldMarker(view, Tail, Sci::SC_MARK_LCORNER, 0xFFFFFF, 0x808080);
        SetFoldMarker(view, End, Sci::SC_MARK_BOXPLUSCONNECTED, 0xFFFFFF, 0x808080);
        SetFoldMarker(view, OpenMid, Sci::SC_MARK_BOXMINUSCONNECTED, 0xFFFFFF, 0x808080);
        SetFoldMarker(view, MidTail, Sci::SC_MARK_TCORNER, 0xFFFFFF, 0x808080);
        break;
    case 1:
        SetFoldMarker(view, Open, Sci::SC_MARK_CIRCLEMINUS, 0xFFFFFF, 0x404040);
        SetFoldMarker(view, Folder, Sci::SC_MARK_CIRCLEPLUS, 0xFFFFFF, 0x404040);
        SetFoldMarker(view, Sub, Sci::SC_MARK_VLINE, 0xFFFFFF, 0x404040);
        SetFoldMarker(view, Tail, Sci::SC_MARK_LCORNERCURVE, 0xFFFFFF, 0x404040);
        SetFoldMarker(view, End, Sci::SC_MARK_CIRCLEPLUSCONNECTED, 0xFFFFFF, 0x404040);
        SetFoldMarker(view, OpenMid, Sci::SC_MARK_CIRCLEMINUSCONNECTED, 0xFFFFFF, 0x404040);
        SetFoldMarker(view, MidTail, Sci::SC_MARK_TCORNERCURVE, 0xFFFFFF, 0x404040);
        break;
    case 2:
        SetFoldMarker(view, Open, Sci::SC_MARK_MINUS, 0xFFFFFF, 0x000000);
        SetFoldMarker(view, Folder, Sci::SC_MARK_PLUS, 0xFFFFFF, 0x000000);
        SetFoldMarker(view, Sub, Sci::SC_MARK_EMPTY, 0xFFFFFF, 0x000000);
        SetFoldMarker(view, Tail, Sci::SC_MARK_EMPTY, 0xFFFFFF, 0x000000);
        SetFoldMarker(view, End, Sci::SC_MARK_EMPTY, 0xFFFFFF, 0x000000);
        SetFoldMarker(view, OpenMid, Sci::SC_MARK_EMPTY, 0xFFFFFF, 0x000000);
        SetFoldMarker(view, MidTail, Sci::SC_MARK_EMPTY, 0xFFFFFF, 0x000000);
        break;
    default:
        SetFoldMarker(view, Open, Sci::SC_MARK_ARROWDOWN, 0x000000, 0x000000);
        SetFoldMarker(view, Folder, Sci::SC_MARK_ARROW, 0x000000, 0x000000);
        SetFoldMarker(view, Sub, Sci::SC_MARK_EMPTY, 0x000000, 0x000000);
        SetFoldMarker(view, Tail, Sci::SC_MARK_EMPTY, 0x000000, 0x000000);
        SetFoldMarker(view, End, Sci::SC_MARK_EMPTY, 0xFFFFFF, 0x000000);
        SetFoldMarker(view, OpenMid, Sci::SC_MARK_EMPTY, 0xFFFFFF, 0x000000);
        SetFoldMarker(view, MidTail, Sci::SC_MARK_EMPTY, 0xFFFFFF, 0x000000);
        break;
    }
}

// A colour key sent as (1, colour) when set, (0, 0) when empty.
void SendOptionalColour(CTextView* view, unsigned int msg, const std::string& value)
{
    uint32_t colour = 0;
    if (ParseColour(value, colour))
        view->Send(msg, 1, colour);
    else
        view->Send(msg, 0, 0);
}

} // namespace

std::string CTextView::DefaultStyleString()
{
    std::string value;
    if (g_settings) {
        const int current = g_settings->ReadInt("FONT", "CurSel", 1);
        value = g_settings->ReadString("FONT", QString::number(current)).toStdString();
    }
    return value.empty() ? std::string(kDefaultStyle) : value;
}

void CTextView::SetStyles(const std::string& lexerName)
{
    const std::string defaultStyle = DefaultStyleString();
    Send(Sci::SCI_STYLERESETDEFAULT);
    ApplyStyle(this, Sci::STYLE_DEFAULT, ParseStyle(defaultStyle), styleCharacterSet);
    if (g_languageConfig)
        g_languageConfig->props.Assign("style.*.32", defaultStyle);

    const PropSetFile& props = Props();
    ApplyStyle(this, Sci::STYLE_DEFAULT, ParseStyle(props.LookupByFileExpanded(Format("style.%s.%d", lexerName, 32), "")),
               styleCharacterSet);
    Send(Sci::SCI_STYLECLEARALL);
    for (int n = 0; n < 256; ++n)
        if (n != Sci::STYLE_DEFAULT)
            ApplyStyle(this, n, ParseStyle(props.LookupExpanded(Format("style.%s.%d", "*", n))), styleCharacterSet);
    for (int n = 0; n < 256; ++n)
        if (n != Sci::STYLE_DEFAULT)
            ApplyStyle(this, n, ParseStyle(props.LookupExpanded(Format("style.%s.%d", lexerName, n))), styleCharacterSet);
}

void CTextView::ApplyLanguage(int index, const char* fileName)
{
    const PropSetFile& props = Props();
    const LanguageEntry& entry = Entry(index);
    const uint32_t editorMask = EditorMask();

    // 1. Current language and the names keys are matched against.
    languageIndex = index;
    std::string lookupName;
    if (fileName) {
        lookupName = fileName;
    } else {
        lookupName = entry.patterns.substr(0, entry.patterns.find(';'));
        if (lookupName.size() > 63)
            lookupName.resize(63);
    }
    const std::string& lexerName = entry.lexer;

    // 2. Lexer and keyword lists.
    if (SyntaxHighlight()) {
        SendStr(Sci::SCI_SETLEXERLANGUAGE, 0, lexerName.c_str());
        Send(Sci::SCI_SETSTYLEBITS, 7);
        lexerNumber = static_cast<int>(Send(Sci::SCI_GETLEXER));
        SendStr(Sci::SCI_SETKEYWORDS, 0, props.LookupByFileExpanded("keywords.", lookupName).c_str());
        for (int k = 1; k <= 8; ++k) {
            const std::string key = "keywords" + std::to_string(k + 1) + ".";
            SendStr(Sci::SCI_SETKEYWORDS, k, props.LookupByFileExpanded(key, lookupName).c_str());
        }
    }

    // 3. Api files for completion and call tips, read again only when the list changes.
    const std::string api = props.LookupByFileExpanded("api.", lookupName);
    if (api != aids.apiValue) {
        aids.apiValue = api;
        aids.apiList = api.empty() ? std::vector<std::string>() : LoadApiFiles(api);
    }

    // 4. Tabs and indentation.
    const int tabMode = static_cast<int>((editorMask & mask::IndentCharsMask) >> mask::IndentCharsShift);
    if (tabMode != 0) {
        Send(Sci::SCI_SETUSETABS, tabMode != 1);
        Send(Sci::SCI_SETTABWIDTH, TabSizeSetting());
        Send(Sci::SCI_SETINDENT, IndentSizeSetting());
    } else {
        int useTabs = props.LookupInt("use.tabs", 1);
        const std::string perFile = props.LookupByFileExpanded("use.tabs.", lookupName);
        if (!perFile.empty())
            useTabs = PropSetFile::LeadingInt(perFile);
        Send(Sci::SCI_SETUSETABS, useTabs != 0);
        const std::string tabSize = props.LookupByFileExpanded("tab.size.", lookupName);
        if (!tabSize.empty())
            Send(Sci::SCI_SETTABWIDTH, PropSetFile::LeadingInt(tabSize));
        else if (TabSizeSetting() != 0)
            Send(Sci::SCI_SETTABWIDTH, TabSizeSetting());
        int indent = IndentSizeSetting();
        const std::string indentSize = props.LookupByFileExpanded("indent.size.", lookupName);
        if (!indentSize.empty())
            indent = PropSetFile::LeadingInt(indentSize);
        Send(Sci::SCI_SETINDENT, indent);
    }

    // 5.
    Send(Sci::SCI_CALLTIPUSESTYLE, 32);

    // 6. Indentation rules for the typing aids.
    aids.indentOpening = props.LookupInt("indent.opening", 0) != 0;
    aids.indentClosing = props.LookupInt("indent.closing", 0) != 0;
    aids.indentMaintain = PropSetFile::LeadingInt(props.LookupByFileExpanded("indent.maintain.", lookupName)) != 0;
    aids.statementLookback = PropSetFile::LeadingInt(props.LookupByFileExpanded("statement.lookback.", lookupName));
    aids.statementIndent = ReadStyledWordList(props.LookupByFileExpanded("statement.indent.", lookupName));
    aids.statementEnd = ReadStyledWordList(props.LookupByFileExpanded("statement.end.", lookupName));
    aids.blockStart = ReadStyledWordList(props.LookupByFileExpanded("block.start.", lookupName));
    aids.blockEnd = ReadStyledWordList(props.LookupByFileExpanded("block.end.", lookupName));

    // 7. Lexer options, plain values.
    for (const char* name : kLexerOptions)
        Send(Sci::SCI_SETPROPERTY, reinterpret_cast<uintptr_t>(name),
             reinterpret_cast<intptr_t>(props.Lookup(name).c_str()));

    // 8. View settings, styles and markers.
    styleCharacterSet = props.LookupInt("character.set", Sci::SC_CHARSET_DEFAULT);
    Send(Sci::SCI_SETCARETFORE, 0x000000);
    Send(Sci::SCI_SETMOUSEDWELLTIME, props.LookupInt("dwell.period", 10000000));
    if (editorMask & mask::HighlightCurrentLine) {
        Send(Sci::SCI_SETCARETLINEVISIBLE, 1);
        Send(Sci::SCI_SETCARETLINEBACK, g_settings ? g_settings->highlightColor : 0xFFFFFF);
        int alpha = 256;
        if (editorMask & mask::CurrentLineTranslucent) {
            alpha = g_settings ? g_settings->lineTransparent : 0;
            if (alpha > 100)
                alpha = 100;
        }
        Send(Sci::SCI_SETCARETLINEBACKALPHA, alpha);
        Send(Sci::SCI_SETCARETLINEVISIBLEALWAYS, 1);
    } else {
        Send(Sci::SCI_SETCARETLINEVISIBLE, 0);
    }
    if (editorMask & mask::LongLineEdge) {
        int pos = g_settings ? g_settings->lineEdgePos : 90;
        if (pos <= 0 || pos > 300)
            pos = 90;
        Send(Sci::SCI_SETEDGECOLUMN, pos);
        Send(Sci::SCI_SETEDGEMODE, (editorMask & mask::EdgeAsLine) ? 1 : 2);
        Send(Sci::SCI_SETEDGECOLOUR, g_settings ? g_settings->lineEdgeColor : 0xFFDAFA);
    } else {
        Send(Sci::SCI_SETEDGEMODE, 0);
    }
    SendOptionalColour(this, Sci::SCI_SETFOLDMARGINCOLOUR, props.Lookup("fold.margin.colour"));
    SendOptionalColour(this, Sci::SCI_SETFOLDMARGINHICOLOUR, props.Lookup("fold.margin.highlight.colour"));
    Send(Sci::SCI_SETBUFFEREDDRAW, props.LookupInt("buffered.draw", 1));
    Send(Sci::SCI_SETTWOPHASEDRAW, props.LookupInt("two.phase.draw", 1));
    Send(Sci::SCI_SETLAYOUTCACHE, props.LookupInt("cache.layout", 1));
    SendOptionalColour(this, Sci::SCI_SETWHITESPACEFORE, props.Lookup("whitespace.fore"));
    SendOptionalColour(this, Sci::SCI_SETWHITESPACEBACK, props.Lookup("whitespace.back"));
    SetStyles(lexerName);
    Send(Sci::SCI_SETPRINTMAGNIFICATION, props.LookupInt("print.magnification", 0));
    Send(Sci::SCI_SETPRINTCOLOURMODE, props.LookupInt("print.colour.mode", 0));
    Send(Sci::SCI_SETMARGINLEFT, 0, props.LookupInt("blank.margin.left", 1));
    Send(Sci::SCI_SETMARGINRIGHT, 0, props.LookupInt("blank.margin.right", 1));
    Send(Sci::SCI_SETFOLDFLAGS, props.LookupInt("fold.flags", 0));
    Send(Sci::SCI_SETMODEVENTMASK, Sci::SC_MOD_CHANGEFOLD);
    Send(Sci::SCI_SETMARGINTYPEN, 2, Sci::SC_MARGIN_SYMBOL);
    Send(Sci::SCI_SETMARGINWIDTHN, 1, 12);
    Send(Sci::SCI_SETMARGINWIDTHN, 2, 12);
    Send(Sci::SCI_SETMARGINMASKN, 2, static_cast<intptr_t>(Sci::SC_MASK_FOLDERS));
    Send(Sci::SCI_SETMARGINSENSITIVEN, 2, 1);
    SetFoldSymbols(this, props.LookupInt("fold.symbols", 0));
    Send(Sci::SCI_SETSCROLLWIDTHTRACKING, 1);
    Send(Sci::SCI_SETSCROLLWIDTH, 1);
    Send(Sci::SCI_SETENDATLASTLINE, props.LookupInt("end.at.last.line", 1));
    Send(Sci::SCI_SETCARETSTICKY, props.LookupInt("caret.sticky", 0));
    Send(Sci::SCI_MARKERSETFORE, 1, 0x000000);
    Send(Sci::SCI_MARKERSETBACK, 1, 0xFFFF00);
    Send(Sci::SCI_MARKERDEFINE, 1, Sci::SC_MARK_CIRCLE);
    Send(Sci::SCI_SETMARGINSENSITIVEN, 1, 1);

    // 9. Typing aids: indentation, braces, call tips, completion, word characters.
    aids.indentAutomatic = props.LookupInt("indent.automatic", 0) != 0;
    aids.braceStyle = props.LookupInt(Format("braces.%s.style", lexerName, 0), 0);
    aids.callTipIgnoreCase = CallTipValue("calltip.*.ignorecase", lexerName, "") == "1";
    aids.callTipWordCharacters = CallTipValue("calltip.*.word.characters", lexerName,
                                              "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    aids.callTipParametersStart = CallTipValue("calltip.*.parameters.start", lexerName, "(");
    aids.callTipParametersEnd = CallTipValue("calltip.*.parameters.end", lexerName, ")");
    aids.callTipParametersSeparators = CallTipValue("calltip.*.parameters.separators", lexerName, ",;");
    aids.callTipEndDefinition = CallTipValue("calltip.*.end.definition", lexerName, "");
    aids.autoCompleteStartCharacters = props.LookupExpanded(Format("autocomplete.%s.start.characters", lexerName, 0));
    if (aids.autoCompleteStartCharacters.empty())
        aids.autoCompleteStartCharacters = props.LookupExpanded("autocomplete.*.start.characters");
    aids.autoCompleteFillups = props.LookupExpanded(Format("autocomplete.%s.fillups", lexerName, 0));
    if (aids.autoCompleteFillups.empty())
        aids.autoCompleteFillups = props.LookupExpanded("autocomplete.*.fillups");
    SendStr(Sci::SCI_AUTOCSETFILLUPS, 0, aids.autoCompleteFillups.c_str());
    aids.autoCompleteIgnoreCase = props.LookupByFileExpanded("autocomplete.*.ignorecase", "") == "1";
    const std::string lexerIgnoreCase = props.LookupByFileExpanded(Format("autocomplete.%s.ignorecase", lexerName, 0), "");
    if (!lexerIgnoreCase.empty())
        aids.autoCompleteIgnoreCase = lexerIgnoreCase == "1";
    Send(Sci::SCI_AUTOCSETIGNORECASE, aids.autoCompleteIgnoreCase);
    aids.autoCompleteChooseSingle = props.LookupInt("autocomplete.choose.single", 0);
    Send(Sci::SCI_AUTOCSETCHOOSESINGLE, aids.autoCompleteChooseSingle);
    Send(Sci::SCI_AUTOCSETCANCELATSTART, 0);
    Send(Sci::SCI_AUTOCSETDROPRESTOFWORD, 0);
    Send(Sci::SCI_SETCHARSDEFAULT);
    const std::string wordChars = props.LookupByFileExpanded("word.characters.", lookupName);
    if (!wordChars.empty()) {
        SendStr(Sci::SCI_SETWORDCHARS, 0, wordChars.c_str());
        aids.wordCharacters = wordChars;
    } else {
        aids.wordCharacters = "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    }

    // 10. Indicators (smart highlight 29, marks 31) and selection colours.
    for (int indicator : {26, 27, 28, 29, 31}) {
        Send(Sci::SCI_INDICSETSTYLE, indicator, Sci::INDIC_ROUNDBOX);
        Send(Sci::SCI_INDICSETALPHA, indicator, 100);
        Send(Sci::SCI_INDICSETUNDER, indicator, 1);
    }
    Send(Sci::SCI_INDICSETFORE, 29, 0x00FFFF);
    Send(Sci::SCI_INDICSETFORE, 31, 0x0000FF);
    const QPalette palette = QApplication::palette(this);
    Send(Sci::SCI_SETSELFORE, 1, ToSciColour(palette.color(QPalette::Active, QPalette::HighlightedText)));
    Send(Sci::SCI_SETSELBACK, 1, ToSciColour(palette.color(QPalette::Active, QPalette::Highlight)));

    // 11. Without highlighting the whole text shows in the default style.
    if (!SyntaxHighlight()) {
        Send(Sci::SCI_SETLEXER, 0);
        Send(Sci::SCI_STYLECLEARALL);
    }
}

void CTextView::ReapplyLanguage(int index)
{
    ExpandAllLines(this);
    Send(Sci::SCI_CLEARDOCUMENTSTYLE);
    ApplyLanguage(index, nullptr);
    UpdateLineNumberMargin(this);
    Send(Sci::SCI_COLOURISE, 0, -1);
    viewport()->update();
}

void CTextView::RestyleView()
{
    SetStyles(Entry(languageIndex).lexer);
    UpdateLineNumberMargin(this);
    Send(Sci::SCI_COLOURISE, 0, -1);
    viewport()->update();
}

void CTextView::SelectLanguage(int index)
{
    // Only languages of the table (or language 0 of an empty one); an id
    // past the table, e.g. from a key binding, changes nothing.
    const int count = g_languageConfig ? g_languageConfig->LanguageCount() : 0;
    if (index < 0 || (index >= count && !(count == 0 && index == 0)))
        return;
    if (index == languageIndex)
        return;
    ReapplyLanguage(index);
}

bool CTextView::OnLanguageCommand(int id)
{
    if (id == 305) {  // Syntax Highlight
        viewFlags ^= 2u;
        if (SyntaxHighlight()) {
            ReapplyLanguage(languageIndex);
        } else {
            Send(Sci::SCI_SETLEXER, 0);
            ExpandAllLines(this);
            Send(Sci::SCI_CLEARDOCUMENTSTYLE);
            Send(Sci::SCI_COLOURISE, 0, -1);
            Send(Sci::SCI_STYLECLEARALL);
        }
        return true;
    }
    if (id == 500) {  // Use Tabs
        Send(Sci::SCI_SETUSETABS, Send(Sci::SCI_GETUSETABS) == 0);
        return true;
    }
    if (id >= LanguageConfig::kFirstMenuId && id <= 781) {
        SelectLanguage(id - LanguageConfig::kFirstMenuId);
        return true;
    }
    return false;
}
