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
    int languageIndex = 0;
};
