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
#include <QString>
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
    uint32_t viewFlags = 0;
    int selectionLength = 0;
    int initialZoom = 0;

signals:
    // Save-point changes: state 0 unmodified, 1 modified.
    void modifiedChanged(int state);
    // Caret, selection or size changed: the frame refreshes the status bar.
    void statusChanged();

public:
    // ===== TextViewFile.cpp: files and encodings ===========================
    TextEncoding encoding = EncodingUtf8;

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
