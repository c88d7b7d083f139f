#pragma once
// The hex view of a document window: an offset column, sixteen bytes per row
// in hexadecimal and the same bytes as characters. Only the rows on screen
// are read from disk, so memory does not depend on the file's size. Edited
// bytes are kept in an overlay (offset -> byte) that survives scrolling and
// are written into the file in place by Save.
#include <QAbstractScrollArea>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <map>
#include <vector>

#include "editor/DocView.h"

class CHexView : public QAbstractScrollArea, public CDocView {
    Q_OBJECT
public:
    static constexpr int BytesPerRow = 16;
    // Command that switches the active column between hex and characters.
    static constexpr int SwitchColumnCommand = 57680;

    explicit CHexView(QWidget* parent = nullptr);
    ~CHexView() override;

    // Takes the file's size, forgets all edits, shows from offset 0 with
    // nothing placed. False when the file cannot be opened.
    bool Open(const QString& path);
    // Writes the edited bytes into the file in place (only those bytes).
    // False, with nothing written and the edits kept, when the file cannot
    // be opened for writing or no longer holds an edited offset.
    bool Save();
    // Copies the file to path, writes the edits there and continues on it.
    bool SaveAs(const QString& path);
    // The document-window forms of the above: the open request is ignored
    // (a hex view always shows bytes); saving to another path is Save As.
    bool OpenDocument(const QString& path, int request) { (void)request; return Open(path); }
    bool SaveDocument(const QString& path);
    bool SaveDocumentAs(const QString& path) { return SaveAs(path); }
    QString FilePath() const { return filePath; }
    qint64 FileSize() const { return fileSize; }
    bool IsModified() const { return modified; }
    void SetReadOnly(bool on) { readOnly = on; }
    bool IsReadOnly() const { return readOnly; }
    // Font and data-area background, from the user's default style.
    void SetAppearance(const QFont& font, const QColor& background);
    // Takes font and background from the user's default style string (face,
    // size or 10 points, bold, italic, back colour). Run at creation; run it
    // again when the font scheme changes.
    void ApplyDefaultStyle();

    // State, for the frame and tests.
    qint64 CaretOffset() const { return caret; }
    qint64 SelectionAnchor() const { return anchor; }
    qint64 SelectionLength() const;
    int CaretNibble() const { return nibble; }
    bool CharacterColumnActive() const { return charColumn; }
    qint64 TopOffset() const { return topOffset; }
    // Cached geometry: average character width and line height in pixels.
    int CharWidth() const { return charWidth; }
    int LineHeight() const { return lineHeight; }
    int RowsOnScreen() const;
    // Byte at offset as shown (edits included); -1 beyond the end or when
    // it cannot be read.
    int ByteAt(qint64 offset) const;
    // Re-reads the rows on screen (also notices a file that shrank or went).
    void Refill();
    bool FileMissing() const { return fileMissing; }
    // Places the caret (and optionally the nibble); clears the selection.
    void SetCaret(qint64 offset, int nibble = 0);

    // CDocView
    QWidget* Widget() override { return this; }
    bool IsHexView() const override { return true; }
    bool OnCommand(int id) override;
    bool CanUndo() const override { return !readOnly && !edits.empty(); }
    bool CanRedo() const override { return false; }
    bool HasSelection() const override { return SelectionLength() > 0; }
    QString PositionText() const override;

public slots:
    // The frame sends Cut, Copy and Paste to the widget that has the focus;
    // the hex view accepts them and changes nothing (bytes are only typed).
    void cut() {}
    void copy() {}
    void paste() {}

signals:
    // 0 unmodified, 1 modified.
    void modifiedChanged(int state);
    void statusChanged();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    struct Edit {
        qint64 offset;
        uint8_t previous;
        int nibble;
    };
    void UpdateGeometry();
    void UpdateScrollRange();
    void SetModified(bool on);
    void MoveCaret(qint64 offset, int newNibble, bool extend);
    void EnsureCaretVisible();
    void ScrollRows(qint64 rows);
    void TypeCharacter(const QString& text);
    void WriteByte(qint64 offset, uint8_t value, int nibbleState);
    void Undo();
    bool HitTest(const QPoint& p, qint64* offset, int* hitNibble, bool* inChars) const;
    int HexX(int column) const;

    QString filePath;
    qint64 fileSize = 0;
    bool fileMissing = false;
    qint64 topOffset = 0;
    QByteArray buffer;          // the rows on screen, read from topOffset
    qint64 bufferOffset = 0;
    qint64 caret = -1;
    qint64 anchor = -1;
    int nibble = 0;
    bool charColumn = false;
    bool readOnly = false;
    bool modified = false;
    bool dragging = false;
    std::vector<Edit> edits;
    size_t savedDepth = 0;      // edits.size() at the last save; SIZE_MAX when unreachable
    std::map<qint64, uint8_t> overlay;

    QFont viewFont;
    QColor background = Qt::white;
    int charWidth = 8;
    int lineHeight = 16;
    int ascent = 12;
};
