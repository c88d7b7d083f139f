#pragma once
// The editing view of a document window: a real Scintilla window driven only
// through raw SCI_* messages (sci::Send) and its SCN_* notifications.
//
// The class is implemented across several files, one per concern:
//   TextView.cpp          set-up, commands, notifications, folding, bookmarks
//   TextViewFile.cpp      loading, saving, encodings, line ends (files module)
//   TextViewLanguage.cpp  language, lexer, styles, per-language settings
// Each section below belongs to the file named in its heading.
#include <Qsci/qsciscintillabase.h>
#include <QByteArray>
#include <QString>
#include <functional>
#include <cstdint>
#include <string>
#include <vector>
#include "editor/DocView.h"
#include "editor/TextEncoding.h"
#include "platform/SciWrap.h"

class CTextView : public QsciScintillaBase, public CDocView {
    Q_OBJECT
public:
    explicit CTextView(QWidget* parent = nullptr);
    ~CTextView() override;

    long Send(unsigned int msg, uintptr_t w = 0, intptr_t l = 0) const
    { return sci::Send(const_cast<CTextView*>(this), msg, w, l); }
    long SendStr(unsigned int msg, uintptr_t w, const char* s) const
    { return sci::SendStr(const_cast<CTextView*>(this), msg, w, s); }

    // CDocView
    QWidget* Widget() override { return this; }
    bool IsHexView() const override { return false; }
    bool OnCommand(int id) override;
    bool CanUndo() const override;
    bool CanRedo() const override;
    bool HasSelection() const override;
    QString PositionText() const override;

    // ===== TextView.cpp: view state and commands ===========================
    // viewFlags bits.
    enum : uint32_t {
        FlagWordWrap = 1u << 0, FlagSyntax = 1u << 1, FlagLineNumbers = 1u << 2,
        FlagWhiteSpace = 1u << 3, FlagLineEnds = 1u << 4, FlagIndentGuides = 1u << 5,
        FlagModified = 1u << 6,
    };
    // Markers and indicators the view uses.
    enum { BookmarkMarker = 1, SmartIndicator = 29, MarkIndicator = 31 };

    uint32_t viewFlags = 0;
    int selectionLength = 0;
    int initialZoom = 0;
    bool clipboardMonitor = false;

    // Sets bits 0-5 of viewFlags from "EditorMask" (defaults without
    // settings) and applies them to the component. Runs when the view is
    // created and again when the options are applied.
    void ApplyViewFlags();
    // Margin 0 sized for the line count (at least 4 digits); does nothing when
    // the margin is hidden unless forced.
    void SetLineNumberMarginWidth(bool force = false);
    // Makes the 0-based line visible and puts the caret at its start; lines
    // outside the text are clamped.
    void GoToLine(long line);
    // Shows a 1-based line as the third visible line and focuses the view
    // (find results, symbols).
    void ShowLine(long line);
    bool IsModified() const { return (viewFlags & FlagModified) != 0; }
    bool IsOvertype() const { return Send(SCI_GETOVERTYPE) != 0; }
    long TextLength() const { return Send(SCI_GETLENGTH); }
    // Bytes of the component's text in [start, end).
    QByteArray TextRange(long start, long end) const;
    QByteArray SelectedText() const;
    // The word for marks and searches: a single-line selection, or the word
    // around the caret; empty when none or 256 bytes or longer.
    QByteArray WordAtCaret() const;
    // Enable / check state of a view command for the frame's update-UI rules;
    // false when the view does not know the command.
    bool CommandState(int id, bool* enabled, bool* checked) const;
    void SetClipboardMonitor(bool on);
    // Fold commands, also used by margin clicks.
    void FoldAll(bool expand);
    void FoldLevel(int level, bool expand);
    void ToggleBookmark(long line);
    // Mark every occurrence of the word at the caret with the mark indicator.
    void AddMark();
    // Re-runs smart highlighting for the current selection and screen.
    void SmartHighlight();
    // Opens the "Go to Line" dialog and goes to the chosen line.
    void GoToLineDialog();
    // Shows the "File Property" report for this document.
    void FilePropertyDialog();
    // Gives the keys back to this view (and its window) after a modal dialog.
    void ReturnFromDialog();

    // Set by the document window: the document's full path ("<new>" or
    // any path starting with "<" for an untitled document).
    std::function<QString()> documentPathHook;
    // Set by the frame: whether the menu bar (300) or tool bar (301) is hidden,
    // for the context menu's "Show Menubar" / "Show Toolbar" entries.
    std::function<bool(int barCommand)> barHiddenHook;
    QString DocumentPath() const;

signals:
    // Save-point changes: state 0 unmodified, 1 modified.
    void modifiedChanged(int state);
    // Caret, selection or size changed: the frame refreshes the status bar.
    void statusChanged();
    // Open Selected File found a name: the frame opens it (Automatic encoding).
    void openFileRequested(const QString& path);
    // A command chosen in the context menu: the frame routes it like a menu
    // command. Without a receiver the view carries it out itself.
    void frameCommand(int id);

protected:
    void showEvent(QShowEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void OnSavePointReached();
    void OnSavePointLeft();
    void OnUpdateUi(int updated);
    void OnModified(int position, int type, int line, int levelNow, int levelPrev);
    void OnMarginClick(int position, int modifiers, int margin);
    void OnNeedShown(int position, int length);
    void OnClipboardChanged();
    void FoldChanged(long line, int levelNow, int levelPrev);
    void ExpandLines(long& line, bool doExpand, bool force, int visLevels, int level);
    void MoveLine(bool up);
    void DeleteEmptyLines();
    void TrimTrailingSpace();
    void ConvertLeadingTabs(bool toSpaces);
    void SwapWithClipboard();
    void OpenSelectedFile();
    void NextBookmark(bool forward);
    void ToggleFoldAtCaret();
    bool shownOnce = false;
    bool smartMarked = false;
    bool inSmartHighlight = false;

public:
    // ===== TextViewFile.cpp: files and encodings ===========================
    // The document's file form. The component always holds UTF-8 (code page
    // 65001); ANSI files are converted at load and save.
    TextEncoding encoding = EncodingUtf8;
    // OpenDocument found the file not writable and made the view read-only.
    bool readOnlyOnOpen = false;
    // After a failed load or save: the system's reason ("No such file or
    // directory", "Is a directory", ...), for the failure message.
    QString fileError;
    // After a successful save of an ANSI document: some characters could not
    // be held by the code page and were written as "?". The document then
    // stays modified so the text is not lost on close; SaveWarningText()
    // gives the message to show.
    bool saveLossy = false;
    // After a load: the first block held zero bytes (not UTF-16), and how
    // many line ends of each form (index LineEnd) the text holds.
    bool loadedZeroBytes = false;
    uint64_t lineEndCounts[3] = {0, 0, 0};

    // Load (detecting when requested is EncodingDetect), empty the undo
    // history, make the view read-only for a read-only file, apply the
    // language for the file name and size the line-number margin.
    bool OpenDocument(const QString& path, int requested);
    // Replace the text by the file's; the replacement is one undo action.
    // False (view unchanged) when the file cannot be opened.
    bool LoadDocument(const QString& path, int requested);
    // Load again in the current encoding, keeping caret and top line.
    void ReloadDocument(const QString& path);
    // Write through a temporary file renamed over the original only when all
    // bytes were written; true when written (the save point is then set).
    bool SaveDocument(const QString& path);
    // SaveDocument, then re-apply the language for the new name (always).
    bool SaveDocumentAs(const QString& path);
    void SetDocumentEncoding(int e);
    TextEncoding DocumentEncoding() const { return encoding; }
    int LineEndMode() const { return static_cast<int>(Send(SCI_GETEOLMODE)); }
    bool HasMixedLineEnds() const;
    void SetReadOnly(bool on);
    bool IsReadOnly() const { return Send(SCI_GETREADONLY) != 0; }
    // 510: clear the file's read-only state on disk and make the view
    // editable; false when the file could not be changed.
    bool ClearFileReadOnly(const QString& path);
    QString SaveWarningText() const;
    // Commands 501-505 (encodings) and 506-508 (line ends); false for other ids.
    bool OnFileCommand(int id);
    bool FileCommandEnabled(int id) const;
    bool FileCommandChecked(int id) const;
    // Shared by OpenDocument (keepUndo false: no undo collected) and
    // LoadDocument / ReloadDocument (keepUndo true: one undo action).
    bool LoadFileText(const QString& path, int requested, bool keepUndo);

    // ===== TextViewLanguage.cpp: language and styles =======================
    int languageIndex = 0;      // current language (index into g_languageConfig)
    int lexerNumber = 0;        // SCI_GETLEXER after the lexer was set
    int styleCharacterSet = 1;  // "character.set" read by the last ApplyLanguage

    // A style number and a word list, as "statement.indent." and friends hold
    // them ("<style> <words>").
    struct StyledWordList {
        int styleNumber = 0;
        std::string words;
    };
    // Typing-aid settings read by ApplyLanguage, used by the typing aids.
    struct TypingAidSettings {
        std::string apiValue;                // "api." value loaded last
        std::vector<std::string> apiList;    // one entry per api-file line, unsorted
        bool indentOpening = false, indentClosing = false, indentMaintain = false;
        int statementLookback = 0;
        StyledWordList statementIndent, statementEnd, blockStart, blockEnd;
        bool indentAutomatic = false;
        int braceStyle = 0;
        bool callTipIgnoreCase = false;
        std::string callTipWordCharacters = "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
        std::string callTipParametersStart = "(", callTipParametersEnd = ")";
        std::string callTipParametersSeparators = ",;";
        std::string callTipEndDefinition;
        std::string autoCompleteStartCharacters, autoCompleteFillups;
        bool autoCompleteIgnoreCase = false;
        int autoCompleteChooseSingle = 0;
        std::string wordCharacters = "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    } aids;

    bool SyntaxHighlight() const { return (viewFlags & 2u) != 0; }
    // Configures the view for language index; fileName (8-bit) is the name
    // per-file keys are matched against, or null to use the language's first
    // pattern.
    void ApplyLanguage(int index, const char* fileName = nullptr);
    // Expand all, clear styling, ApplyLanguage(index), margin width, recolour.
    void ReapplyLanguage(int index);
    // Styles again with the current language (font scheme changed).
    void RestyleView();
    // Fills the 256 styles for a lexer name from the properties.
    void SetStyles(const std::string& lexerName);
    // Language menu choice for a text view: nothing when index is current,
    // else ReapplyLanguage(index).
    void SelectLanguage(int index);
    // 305 Syntax Highlight, 500 Use Tabs, 701+ languages; false for others.
    bool OnLanguageCommand(int id);
    // The user's default style string (current font scheme, or the built-in one).
    static std::string DefaultStyleString();
};
