// CTextView: set-up, the editing and view commands, the component's
// notifications, folding, bookmarks, smart highlighting, the context menu and
// the clipboard monitor.
#include "editor/TextView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMetaMethod>
#include <QMimeData>
#include <QShowEvent>
#include <algorithm>
#include <cstring>

#include "app/AppSettings.h"
#include "editor/FilePropertyDialog.h"
#include "editor/GoToLineDialog.h"
#include "editor/ViewHooks.h"
#include "export/ExportCommands.h"

namespace {

constexpr int kFoldMargin = 2;
constexpr int kBookmarkMargin = 1;
constexpr int kMaxPathBytes = 260;

inline bool IsSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

// Word bytes of smart highlighting: digits, capitals, '_' to 'z' in byte
// order, 127 and every byte from 128 up.
inline bool IsSmartWordByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= '_' && c <= 'z') || c >= 127;
}

inline int LevelNumber(int level) { return (level & QsciScintillaBase::SC_FOLDLEVELNUMBERMASK) - QsciScintillaBase::SC_FOLDLEVELBASE; }

// Runs a block of component calls as one undo action.
class UndoGroup {
public:
    explicit UndoGroup(const CTextView* v) : view(v) { view->Send(QsciScintillaBase::SCI_BEGINUNDOACTION); }
    ~UndoGroup() { view->Send(QsciScintillaBase::SCI_ENDUNDOACTION); }
private:
    const CTextView* view;
};

// One replacement of a byte range; applied from the end of the text back to
// its start so earlier positions stay valid.
struct RangeEdit {
    long start;
    long length;
    QByteArray text;
};

void ApplyEditsBackwards(CTextView* view, const std::vector<RangeEdit>& edits)
{
    if (edits.empty())
        return;
    // Text-change notices cost the component's Qt layer time proportional to
    // the document on every edit; a whole-document command makes thousands
    // of edits, so they are held back while it runs (fold notices stay on).
    const long eventMask = view->Send(QsciScintillaBase::SCI_GETMODEVENTMASK);
    view->Send(QsciScintillaBase::SCI_SETMODEVENTMASK, eventMask & QsciScintillaBase::SC_MOD_CHANGEFOLD);
    struct RestoreMask {
        CTextView* v;
        long mask;
        ~RestoreMask() { v->Send(QsciScintillaBase::SCI_SETMODEVENTMASK, mask); }
    } restore{view, eventMask};
    UndoGroup group(view);
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        if (it->text.isEmpty()) {
            view->Send(QsciScintillaBase::SCI_DELETERANGE, it->start, it->length);
        } else {
            view->Send(QsciScintillaBase::SCI_SETTARGETRANGE, it->start, it->start + it->length);
            view->Send(QsciScintillaBase::SCI_REPLACETARGET, it->text.size(), reinterpret_cast<intptr_t>(it->text.constData()));
        }
    }
}

} // namespace

CTextView::CTextView(QWidget* parent) : QsciScintillaBase(parent)
{
    Send(SCI_USEPOPUP, 0);
    // The view only needs fold-level notices; text-change notices cost the
    // component's Qt layer time proportional to the document on every edit.
    Send(SCI_SETMODEVENTMASK, SC_MOD_CHANGEFOLD);
    Send(SCI_SETMARGINSENSITIVEN, kBookmarkMargin, 1);
    Send(SCI_SETMARGINSENSITIVEN, kFoldMargin, 1);
    Send(SCI_SETMARGINMASKN, kFoldMargin, SC_MASK_FOLDERS);
    setContextMenuPolicy(Qt::DefaultContextMenu);

    connect(this, &QsciScintillaBase::SCN_SAVEPOINTREACHED, this, &CTextView::OnSavePointReached);
    connect(this, &QsciScintillaBase::SCN_SAVEPOINTLEFT, this, &CTextView::OnSavePointLeft);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, &CTextView::OnUpdateUi);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int, int, int line, int levelNow, int levelPrev, int, int) {
                OnModified(position, type, line, levelNow, levelPrev);
            });
    connect(this, &QsciScintillaBase::SCN_MARGINCLICK, this, &CTextView::OnMarginClick);
    connect(this, &QsciScintillaBase::SCN_NEEDSHOWN, this, &CTextView::OnNeedShown);
    // Zooming scales the digits: the line-number margin must scale with them
    // or the leading digits are cut off.
    connect(this, &QsciScintillaBase::SCN_ZOOM, this, [this] { SetLineNumberMarginWidth(); });

    ApplyViewFlags();
}

CTextView::~CTextView() = default;

// ---------------------------------------------------------------------------
// Set-up and view flags

void CTextView::ApplyViewFlags()
{
    const uint32_t m = g_settings ? g_settings->editorMask : mask::SyntaxHighlight;
    uint32_t flags = viewFlags & ~uint32_t(0x3F);
    if (m & mask::WordWrap) flags |= FlagWordWrap;
    if (m & mask::SyntaxHighlight) flags |= FlagSyntax;
    if (m & mask::LineNumbers) flags |= FlagLineNumbers;
    if (m & mask::ShowWhiteSpace) flags |= FlagWhiteSpace;
    if (m & mask::ShowLineEnds) flags |= FlagLineEnds;
    if (m & mask::IndentGuides) flags |= FlagIndentGuides;
    viewFlags = flags;

    Send(SCI_SETWRAPMODE, (flags & FlagWordWrap) ? SC_WRAP_WORD : SC_WRAP_NONE);
    if (flags & FlagLineNumbers)
        SetLineNumberMarginWidth(true);
    else
        Send(SCI_SETMARGINWIDTHN, 0, 0);
    Send(SCI_SETVIEWWS, (flags & FlagWhiteSpace) ? SCWS_VISIBLEALWAYS : SCWS_INVISIBLE);
    Send(SCI_SETVIEWEOL, (flags & FlagLineEnds) ? 1 : 0);
    Send(SCI_SETINDENTATIONGUIDES, (flags & FlagIndentGuides) ? SC_IV_LOOKBOTH : SC_IV_NONE);
}

void CTextView::showEvent(QShowEvent* e)
{
    QsciScintillaBase::showEvent(e);
    // The flags were applied when the view was made; the zoom the user
    // returns to with Default Zoom is the one of the first showing.
    if (!shownOnce) {
        shownOnce = true;
        Send(SCI_USEPOPUP, 0);
        initialZoom = int(Send(SCI_GETZOOM));
    }
}

void CTextView::SetLineNumberMarginWidth(bool force)
{
    if (!force && Send(SCI_GETMARGINWIDTHN, 0) <= 0)
        return;
    long lines = Send(SCI_GETLINECOUNT);
    int digits = 1;
    while (lines >= 10) {
        lines /= 10;
        ++digits;
    }
    digits = std::max(digits, 4);
    const long width = digits * SendStr(SCI_TEXTWIDTH, STYLE_LINENUMBER, "9") + 4;
    if (Send(SCI_GETMARGINWIDTHN, 0) != width)
        Send(SCI_SETMARGINWIDTHN, 0, width);
}

QString CTextView::DocumentPath() const
{
    return documentPathHook ? documentPathHook() : QStringLiteral("<new>");
}

// ---------------------------------------------------------------------------
// Text access

QByteArray CTextView::TextRange(long start, long end) const
{
    const long length = TextLength();
    start = std::clamp(start, 0L, length);
    end = std::clamp(end, start, length);
    if (end == start)
        return QByteArray();
    const char* p = reinterpret_cast<const char*>(Send(SCI_GETRANGEPOINTER, start, end - start));
    return p ? QByteArray(p, int(end - start)) : QByteArray();
}

QByteArray CTextView::SelectedText() const
{
    return TextRange(Send(SCI_GETSELECTIONSTART), Send(SCI_GETSELECTIONEND));
}

QByteArray CTextView::WordAtCaret() const
{
    long start = Send(SCI_GETSELECTIONSTART);
    long end = Send(SCI_GETSELECTIONEND);
    if (start != end) {
        if (Send(SCI_LINEFROMPOSITION, start) != Send(SCI_LINEFROMPOSITION, end))
            return QByteArray();
    } else {
        const long pos = Send(SCI_GETCURRENTPOS);
        start = Send(SCI_WORDSTARTPOSITION, pos, 1);
        end = Send(SCI_WORDENDPOSITION, pos, 1);
    }
    if (end <= start || end - start >= 256)
        return QByteArray();
    return TextRange(start, end);
}

// ---------------------------------------------------------------------------
// Commands

bool CTextView::OnCommand(int id)
{
    switch (id) {
    case 200: Send(SCI_UNDO); return true;
    case 201: Send(SCI_REDO); return true;
    // The frame normally hands cut, copy and paste to the focused widget;
    // routed here they act on this view.
    case 202: Send(SCI_CUT); return true;
    case 203: Send(SCI_COPY); return true;
    case 204: Send(SCI_PASTE); return true;
    case 205:
        if (HasSelection())
            Send(SCI_DELETEBACK);
        return true;
    case 206: Send(SCI_SELECTALL); return true;
    case 208: SwapWithClipboard(); return true;
    case 209: Send(SCI_LINECUT); return true;
    case 210: Send(SCI_LINECOPY); return true;
    case 211: Send(SCI_SELECTIONDUPLICATE); return true;
    case 212: Send(SCI_LINEDELETE); return true;
    case 213: MoveLine(true); return true;
    case 214: MoveLine(false); return true;
    case 215: {
        UndoGroup group(this);
        Send(SCI_TARGETFROMSELECTION);
        Send(SCI_LINESSPLIT, 0);
        return true;
    }
    case 216: {
        UndoGroup group(this);
        Send(SCI_TARGETFROMSELECTION);
        Send(SCI_LINESJOIN);
        return true;
    }
    case 217: DeleteEmptyLines(); return true;
    case 218: TrimTrailingSpace(); return true;
    case 219:
        if (HasSelection())
            Send(SCI_LOWERCASE);
        return true;
    case 220:
        if (HasSelection())
            Send(SCI_UPPERCASE);
        return true;
    case 221: ConvertLeadingTabs(true); return true;
    case 222: ConvertLeadingTabs(false); return true;
    case 234: Send(SCI_TAB); return true;
    case 235: Send(SCI_BACKTAB); return true;

    case 305:
    case 500:
        return OnLanguageCommand(id);
    case 112: case 113: case 114: case 115: case 207:
        return RunExportCommand(this, id, DocumentPath(), this);
    case 306:
        viewFlags ^= FlagWordWrap;
        Send(SCI_SETWRAPMODE, (viewFlags & FlagWordWrap) ? SC_WRAP_WORD : SC_WRAP_NONE);
        return true;
    case 307:
        viewFlags ^= FlagLineNumbers;
        if (viewFlags & FlagLineNumbers)
            SetLineNumberMarginWidth(true);
        else
            Send(SCI_SETMARGINWIDTHN, 0, 0);
        return true;
    case 308:
        viewFlags ^= FlagWhiteSpace;
        Send(SCI_SETVIEWWS, (viewFlags & FlagWhiteSpace) ? SCWS_VISIBLEALWAYS : SCWS_INVISIBLE);
        return true;
    case 309:
        viewFlags ^= FlagLineEnds;
        Send(SCI_SETVIEWEOL, (viewFlags & FlagLineEnds) ? 1 : 0);
        return true;
    case 310:
        viewFlags ^= FlagIndentGuides;
        Send(SCI_SETINDENTATIONGUIDES, (viewFlags & FlagIndentGuides) ? SC_IV_LOOKBOTH : SC_IV_NONE);
        return true;
    case 311: Send(SCI_ZOOMIN); return true;
    case 312: Send(SCI_ZOOMOUT); return true;
    case 313: Send(SCI_SETZOOM, initialZoom); return true;
    case 314: ToggleFoldAtCaret(); return true;
    case 315: FoldAll(false); return true;
    case 316: FoldAll(true); return true;

    case 407: GoToLineDialog(); return true;
    case 412: AddMark(); return true;
    case 413:
        Send(SCI_SETINDICATORCURRENT, MarkIndicator);
        Send(SCI_INDICATORCLEARRANGE, 0, TextLength());
        return true;
    case 414: ToggleBookmark(Send(SCI_LINEFROMPOSITION, Send(SCI_GETCURRENTPOS))); return true;
    case 415: Send(SCI_MARKERDELETEALL, BookmarkMarker); return true;
    case 416: NextBookmark(true); return true;
    case 417: NextBookmark(false); return true;

    case 682: SetClipboardMonitor(!clipboardMonitor); return true;
    case 683: FilePropertyDialog(); return true;
    case 102: OpenSelectedFile(); return true;

    // Print and the print-setup command are accepted and do nothing.
    case 117:
    case 57606:
        return true;
    default:
        break;
    }
    if (id >= 320 && id <= 327) {
        FoldLevel(id - 320 + 1, false);
        return true;
    }
    if (id >= 330 && id <= 337) {
        FoldLevel(id - 330 + 1, true);
        return true;
    }
    if (id >= 501 && id <= 508)
        return OnFileCommand(id);
    // Commands other modules carry out on this view (encodings and line ends,
    // comments, typing aids, templates, find, symbols, export): each module
    // registers its handler; unhandled ids return false to the frame.
    return viewhooks::RunViewCommand(this, id);
}

bool CTextView::CommandState(int id, bool* enabled, bool* checked) const
{
    bool en = true, ch = false;
    switch (id) {
    case 200: en = CanUndo(); break;
    case 201: en = CanRedo(); break;
    case 202: case 203: case 205: case 219: case 220: case 224: en = HasSelection(); break;
    case 208: {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        en = HasSelection() && data && data->hasText();
        break;
    }
    case 204: {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        en = data && data->hasText();
        break;
    }
    case 305: ch = (viewFlags & FlagSyntax) != 0; break;
    case 306: ch = (viewFlags & FlagWordWrap) != 0; break;
    case 307: ch = (viewFlags & FlagLineNumbers) != 0; break;
    case 308: ch = (viewFlags & FlagWhiteSpace) != 0; break;
    case 309: ch = (viewFlags & FlagLineEnds) != 0; break;
    case 310: ch = (viewFlags & FlagIndentGuides) != 0; break;
    case 682: ch = clipboardMonitor; break;
    case 207: en = HasSelection(); break;
    case 112: case 113: case 114: case 115:
    case 206: case 209: case 210: case 211: case 212: case 213: case 214:
    case 215: case 216: case 217: case 218: case 221: case 222: case 234: case 235:
    case 311: case 312: case 313: case 314: case 315: case 316: case 407: case 412: case 413:
    case 414: case 415: case 416: case 417: case 683: case 102:
        break;
    default:
        if ((id >= 320 && id <= 327) || (id >= 330 && id <= 337))
            break;
        if (id >= 501 && id <= 508) {
            en = FileCommandEnabled(id);
            ch = FileCommandChecked(id);
            break;
        }
        return false;
    }
    if (enabled) *enabled = en;
    if (checked) *checked = ch;
    return true;
}

bool CTextView::CanUndo() const { return Send(SCI_CANUNDO) != 0; }
bool CTextView::CanRedo() const { return Send(SCI_CANREDO) != 0; }
bool CTextView::HasSelection() const { return Send(SCI_GETSELECTIONEND) > Send(SCI_GETSELECTIONSTART); }

QString CTextView::PositionText() const
{
    const long pos = Send(SCI_GETCURRENTPOS);
    const long line = Send(SCI_LINEFROMPOSITION, pos);
    const long col = Send(SCI_GETCOLUMN, pos);
    const long sel = Send(SCI_GETSELECTIONEND) - Send(SCI_GETSELECTIONSTART);
    return QString::asprintf("Ln %ld/%ld  Col %ld  Sel %ld", line + 1, Send(SCI_GETLINECOUNT), col + 1, sel);
}

void CTextView::GoToLine(long line)
{
    const long last = Send(SCI_GETLINECOUNT) - 1;
    line = std::clamp(line, 0L, std::max(last, 0L));
    Send(SCI_ENSUREVISIBLEENFORCEPOLICY, line);
    Send(SCI_GOTOLINE, line);
}

void CTextView::ShowLine(long line)
{
    GoToLine(line - 1);
    const long target = std::clamp(line - 1, 0L, std::max(Send(SCI_GETLINECOUNT) - 1, 0L));
    const long visible = Send(SCI_VISIBLEFROMDOCLINE, target);
    Send(SCI_LINESCROLL, 0, visible - Send(SCI_GETFIRSTVISIBLELINE) - 2);
    setFocus();
}

void CTextView::MoveLine(bool up)
{
    const long line = Send(SCI_LINEFROMPOSITION, Send(SCI_GETCURRENTPOS));
    if (up) {
        if (line == 0)
            return;
        UndoGroup group(this);
        Send(SCI_LINETRANSPOSE);
        Send(SCI_GOTOLINE, line - 1);
    } else {
        if (line >= Send(SCI_GETLINECOUNT) - 1)
            return;
        UndoGroup group(this);
        Send(SCI_GOTOLINE, line + 1);
        Send(SCI_LINETRANSPOSE);
    }
}

// Removes every line holding only spaces and tabs. The last line keeps its
// place (only its blanks go), so a text ending in an empty line keeps it. The
// caret ends at the start of the line it was on, counted after the removal.
void CTextView::DeleteEmptyLines()
{
    const long lineCount = Send(SCI_GETLINECOUNT);
    const char* text = reinterpret_cast<const char*>(Send(SCI_GETCHARACTERPOINTER));
    long caretLine = Send(SCI_LINEFROMPOSITION, Send(SCI_GETCURRENTPOS));
    const long originalCaretLine = caretLine;
    std::vector<RangeEdit> edits;
    for (long line = 0; line < lineCount; ++line) {
        const long start = Send(SCI_POSITIONFROMLINE, line);
        const long end = Send(SCI_GETLINEENDPOSITION, line);
        bool blank = true;
        for (long p = start; p < end && blank; ++p)
            blank = IsSpaceOrTab(text[p]);
        if (!blank)
            continue;
        const bool last = line == lineCount - 1;
        const long next = last ? end : Send(SCI_POSITIONFROMLINE, line + 1);
        if (next > start)
            edits.push_back({start, next - start, QByteArray()});
        if (!last && line < originalCaretLine)
            --caretLine;
    }
    if (edits.empty())
        return;
    UndoGroup group(this);
    ApplyEditsBackwards(this, edits);
    Send(SCI_GOTOLINE, caretLine);
}

void CTextView::TrimTrailingSpace()
{
    const long lineCount = Send(SCI_GETLINECOUNT);
    const char* text = reinterpret_cast<const char*>(Send(SCI_GETCHARACTERPOINTER));
    std::vector<RangeEdit> edits;
    for (long line = 0; line < lineCount; ++line) {
        const long start = Send(SCI_POSITIONFROMLINE, line);
        const long end = Send(SCI_GETLINEENDPOSITION, line);
        long p = end;
        while (p > start && IsSpaceOrTab(text[p - 1]))
            --p;
        if (p < end)
            edits.push_back({p, end - p, QByteArray()});
    }
    ApplyEditsBackwards(this, edits);
}

// Tabs to Spaces turns every tab inside a line's leading white space into a
// full tab width of spaces. Spaces to Tabs turns each tab width of spaces
// that follows the leading tabs into one tab, as long as whole widths
// follow; a shorter run of spaces stays.
void CTextView::ConvertLeadingTabs(bool toSpaces)
{
    const long width = Send(SCI_GETTABWIDTH);
    if (toSpaces ? width >= 256 : width <= 0)
        return;
    const long lineCount = Send(SCI_GETLINECOUNT);
    const char* text = reinterpret_cast<const char*>(Send(SCI_GETCHARACTERPOINTER));
    const QByteArray widthSpaces(int(width), ' ');
    std::vector<RangeEdit> edits;
    for (long line = 0; line < lineCount; ++line) {
        const long start = Send(SCI_POSITIONFROMLINE, line);
        const long end = Send(SCI_GETLINEENDPOSITION, line);
        long p = start;
        while (p < end && IsSpaceOrTab(text[p]))
            ++p;
        if (p == start)
            continue;
        const QByteArray lead(text + start, int(p - start));
        QByteArray out;
        if (toSpaces) {
            if (!lead.contains('\t'))
                continue;
            out.reserve(lead.size() * int(width));
            for (char c : lead)
                out += (c == '\t') ? widthSpaces : QByteArray(1, c);
        } else {
            int tabs = 0, i = 0;
            for (;;) {
                while (i < lead.size() && lead[i] == '\t') {
                    ++tabs;
                    ++i;
                }
                int spaces = 0;
                while (i + spaces < lead.size() && lead[i + spaces] == ' ')
                    ++spaces;
                if (spaces < width)
                    break;
                const int groups = spaces / int(width);
                tabs += groups;
                i += groups * int(width);
                if (spaces % width != 0)
                    break;
            }
            out = QByteArray(tabs, '\t') + lead.mid(i);
            if (out == lead)
                continue;
        }
        edits.push_back({start, p - start, out});
    }
    ApplyEditsBackwards(this, edits);
}

void CTextView::SwapWithClipboard()
{
    QClipboard* clipboard = QApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (!HasSelection())
        return;
    if (!data || !data->hasText())
        return;
    const QByteArray selected = SelectedText();
    {
        UndoGroup group(this);
        Send(SCI_PASTE);
    }
    clipboard->setText(QString::fromUtf8(selected));
}

void CTextView::OpenSelectedFile()
{
    QByteArray name;
    const long selStart = Send(SCI_GETSELECTIONSTART);
    const long selEnd = Send(SCI_GETSELECTIONEND);
    if (selEnd > selStart) {
        if (Send(SCI_LINEFROMPOSITION, selStart) != Send(SCI_LINEFROMPOSITION, selEnd))
            return;
        if (selEnd - selStart >= kMaxPathBytes)
            return;
        name = TextRange(selStart, selEnd);
    } else {
        const long line = Send(SCI_LINEFROMPOSITION, Send(SCI_GETCURRENTPOS));
        const long start = Send(SCI_POSITIONFROMLINE, line);
        const long end = std::min(Send(SCI_GETLINEENDPOSITION, line), start + 512);
        const QByteArray text = TextRange(start, end);
        if (!text.startsWith("#include"))
            return;
        int i = 8;
        while (i < text.size() && IsSpaceOrTab(text[i]))
            ++i;
        if (i >= text.size() || (text[i] != '"' && text[i] != '\''))
            return;
        const char quote = text[i];
        const int close = text.indexOf(quote, i + 1);
        if (close < 0)
            return;
        name = text.mid(i + 1, close - i - 1);
        if (name.isEmpty() || name.size() >= kMaxPathBytes)
            return;
    }
    QString file = QString::fromUtf8(name);
    if (file.isEmpty())
        return;
    // A name that is not absolute is taken relative to the document's folder.
    const QString docPath = DocumentPath();
    const bool absolute = file.startsWith('/') || (file.size() > 1 && file[1] == ':');
    if (!absolute && !docPath.startsWith('<')) {
        const int slash = docPath.lastIndexOf('/');
        if (slash >= 0)
            file = docPath.left(slash) + '/' + file;
    }
    emit openFileRequested(file);
}

// ---------------------------------------------------------------------------
// Bookmarks and marks

void CTextView::ToggleBookmark(long line)
{
    if (Send(SCI_MARKERGET, line) & (1 << BookmarkMarker))
        Send(SCI_MARKERDELETE, line, BookmarkMarker);
    else
        Send(SCI_MARKERADD, line, BookmarkMarker);
}

void CTextView::NextBookmark(bool forward)
{
    const long line = Send(SCI_LINEFROMPOSITION, Send(SCI_GETCURRENTPOS));
    const int markerMask = 1 << BookmarkMarker;
    long found;
    if (forward) {
        found = Send(SCI_MARKERNEXT, line + 1, markerMask);
        if (found < 0)
            found = Send(SCI_MARKERNEXT, 0, markerMask);
    } else {
        found = line > 0 ? Send(SCI_MARKERPREVIOUS, line - 1, markerMask) : -1;
        if (found < 0)
            found = Send(SCI_MARKERPREVIOUS, Send(SCI_GETLINECOUNT) - 1, markerMask);
    }
    if (found >= 0 && found != line)
        GoToLine(found);
}

void CTextView::AddMark()
{
    const QByteArray word = WordAtCaret();
    if (word.isEmpty())
        return;
    const long targetStart = Send(SCI_GETTARGETSTART);
    const long targetEnd = Send(SCI_GETTARGETEND);
    const long length = TextLength();
    Send(SCI_SETINDICATORCURRENT, MarkIndicator);
    long from = 0;
    while (from < length) {
        Send(SCI_SETTARGETRANGE, from, length);
        const long at = Send(SCI_SEARCHINTARGET, word.size(), reinterpret_cast<intptr_t>(word.constData()));
        if (at < 0)
            break;
        const long end = Send(SCI_GETTARGETEND);
        Send(SCI_INDICATORFILLRANGE, at, end - at);
        from = std::max(end, at + 1);
    }
    Send(SCI_SETTARGETRANGE, targetStart, targetEnd);
}

// ---------------------------------------------------------------------------
// Folding

void CTextView::ToggleFoldAtCaret()
{
    long line = Send(SCI_LINEFROMPOSITION, Send(SCI_GETCURRENTPOS));
    if (!(Send(SCI_GETFOLDLEVEL, line) & SC_FOLDLEVELHEADERFLAG))
        line = Send(SCI_GETFOLDPARENT, line);
    if (line >= 0)
        Send(SCI_TOGGLEFOLD, line);
}

void CTextView::FoldAll(bool expand)
{
    Send(SCI_COLOURISE, 0, -1);
    const long lineCount = Send(SCI_GETLINECOUNT);
    for (long line = 0; line < lineCount; ++line) {
        if (!(Send(SCI_GETFOLDLEVEL, line) & SC_FOLDLEVELHEADERFLAG))
            continue;
        if ((Send(SCI_GETFOLDEXPANDED, line) != 0) != expand)
            Send(SCI_TOGGLEFOLD, line);
    }
}

void CTextView::FoldLevel(int level, bool expand)
{
    Send(SCI_COLOURISE, 0, -1);
    const long lineCount = Send(SCI_GETLINECOUNT);
    for (long line = 0; line < lineCount; ++line) {
        const int fold = int(Send(SCI_GETFOLDLEVEL, line));
        if (!(fold & SC_FOLDLEVELHEADERFLAG) || LevelNumber(fold) != level - 1)
            continue;
        if ((Send(SCI_GETFOLDEXPANDED, line) != 0) != expand)
            Send(SCI_TOGGLEFOLD, line);
    }
}

// Shows or hides the lines under the header at 'line' and leaves 'line' on
// the first line after them. With force, lines are shown while visLevels > 0
// and inner headers are marked expanded while visLevels > 1; without force,
// expanding shows lines down to contracted inner headers.
void CTextView::ExpandLines(long& line, bool doExpand, bool force, int visLevels, int level)
{
    const long lastChild = Send(SCI_GETLASTCHILD, line, level & SC_FOLDLEVELNUMBERMASK);
    ++line;
    while (line <= lastChild) {
        if (force) {
            if (visLevels > 0)
                Send(SCI_SHOWLINES, line, line);
            else
                Send(SCI_HIDELINES, line, line);
        } else if (doExpand) {
            Send(SCI_SHOWLINES, line, line);
        }
        const int levelLine = int(Send(SCI_GETFOLDLEVEL, line));
        if (levelLine & SC_FOLDLEVELHEADERFLAG) {
            if (force) {
                Send(SCI_SETFOLDEXPANDED, line, visLevels > 1 ? 1 : 0);
                ExpandLines(line, doExpand, force, visLevels - 1, levelLine);
            } else if (doExpand) {
                if (Send(SCI_GETFOLDEXPANDED, line)) {
                    ExpandLines(line, true, false, visLevels - 1, levelLine);
                } else {
                    ExpandLines(line, false, false, visLevels - 1, levelLine);
                }
            } else {
                ExpandLines(line, false, false, visLevels - 1, levelLine);
            }
        } else {
            ++line;
        }
    }
}

void CTextView::OnMarginClick(int position, int modifiers, int margin)
{
    const long line = Send(SCI_LINEFROMPOSITION, position);
    if (margin == kBookmarkMargin) {
        ToggleBookmark(line);
        return;
    }
    if (margin != kFoldMargin)
        return;
    const bool shift = (modifiers & SCMOD_SHIFT) != 0;
    const bool ctrl = (modifiers & SCMOD_CTRL) != 0;
    const int level = int(Send(SCI_GETFOLDLEVEL, line));
    if (!(level & SC_FOLDLEVELHEADERFLAG))
        return;
    if (shift && ctrl) {
        FoldAll(false);
        return;
    }
    long l = line;
    if (shift) {
        Send(SCI_SETFOLDEXPANDED, line, 1);
        ExpandLines(l, true, true, 100, level);
    } else if (ctrl) {
        if (Send(SCI_GETFOLDEXPANDED, line)) {
            Send(SCI_SETFOLDEXPANDED, line, 0);
            ExpandLines(l, false, true, 0, level);
        } else {
            Send(SCI_SETFOLDEXPANDED, line, 1);
            ExpandLines(l, true, true, 100, level);
        }
    } else {
        Send(SCI_TOGGLEFOLD, line);
    }
}

void CTextView::FoldChanged(long line, int levelNow, int levelPrev)
{
    if (levelNow & SC_FOLDLEVELHEADERFLAG) {
        if (!(levelPrev & SC_FOLDLEVELHEADERFLAG)) {
            // A new fold header starts expanded with its lines shown.
            Send(SCI_SETFOLDEXPANDED, line, 1);
            long l = line;
            ExpandLines(l, true, false, 0, levelPrev);
        }
    } else if (levelPrev & SC_FOLDLEVELHEADERFLAG) {
        if (!Send(SCI_GETFOLDEXPANDED, line)) {
            // A contracted header that is no longer one must not leave its
            // former lines hidden.
            Send(SCI_SETFOLDEXPANDED, line, 1);
            long l = line;
            ExpandLines(l, true, false, 0, levelPrev);
        }
    } else if (!(levelNow & SC_FOLDLEVELWHITEFLAG)
               && (levelPrev & SC_FOLDLEVELNUMBERMASK) > (levelNow & SC_FOLDLEVELNUMBERMASK)) {
        const long parent = Send(SCI_GETFOLDPARENT, line);
        if (parent < 0 || (Send(SCI_GETFOLDEXPANDED, parent) && Send(SCI_GETLINEVISIBLE, parent)))
            Send(SCI_SHOWLINES, line, line);
    }
}

// ---------------------------------------------------------------------------
// Notifications

void CTextView::OnSavePointReached()
{
    if (viewFlags & FlagModified) {
        viewFlags &= ~FlagModified;
        emit modifiedChanged(0);
    }
}

void CTextView::OnSavePointLeft()
{
    if (!(viewFlags & FlagModified)) {
        viewFlags |= FlagModified;
        emit modifiedChanged(1);
    }
}

void CTextView::OnUpdateUi(int updated)
{
    // The text may have grown past a power of ten: keep every digit of the
    // line numbers readable (cheap: the line count is kept by the component).
    if ((updated & SC_UPDATE_CONTENT) && (viewFlags & FlagLineNumbers))
        SetLineNumberMarginWidth();
    selectionLength = int(Send(SCI_GETSELECTIONEND) - Send(SCI_GETSELECTIONSTART));
    viewhooks::RunUpdateUiHook(this, updated);
    emit statusChanged();
    SmartHighlight();
}

void CTextView::OnModified(int position, int type, int line, int levelNow, int levelPrev)
{
    Q_UNUSED(position);
    if (type & SC_MOD_CHANGEFOLD)
        FoldChanged(line, levelNow, levelPrev);
}

void CTextView::OnNeedShown(int position, int length)
{
    const long first = Send(SCI_LINEFROMPOSITION, position);
    const long last = Send(SCI_LINEFROMPOSITION, long(position) + length);
    for (long line = first; line <= last; ++line)
        Send(SCI_ENSUREVISIBLE, line);
}

// ---------------------------------------------------------------------------
// Smart highlighting: other occurrences of a selected whole word, on the
// lines shown on screen only, so the cost does not grow with the file.

void CTextView::SmartHighlight()
{
    if (inSmartHighlight)
        return;
    inSmartHighlight = true;
    const long length = TextLength();
    if (smartMarked) {
        Send(SCI_SETINDICATORCURRENT, SmartIndicator);
        Send(SCI_INDICATORCLEARRANGE, 0, length);
        smartMarked = false;
    }
    const long selStart = Send(SCI_GETSELECTIONSTART);
    const long selEnd = Send(SCI_GETSELECTIONEND);
    const long selLength = selEnd - selStart;
    if (selLength <= 0 || selLength >= 256) {
        inSmartHighlight = false;
        return;
    }
    const QByteArray word = TextRange(selStart, selEnd);
    bool whole = std::all_of(word.begin(), word.end(), [](char c) { return IsSmartWordByte(uchar(c)); });
    if (whole && selEnd < length && IsSmartWordByte(uchar(Send(SCI_GETCHARAT, selEnd))))
        whole = false;
    if (whole && selStart > 0 && IsSmartWordByte(uchar(Send(SCI_GETCHARAT, selStart - 1))))
        whole = false;
    if (!whole) {
        inSmartHighlight = false;
        return;
    }
    const long targetStart = Send(SCI_GETTARGETSTART);
    const long targetEnd = Send(SCI_GETTARGETEND);
    const long firstVisible = Send(SCI_GETFIRSTVISIBLELINE);
    const long onScreen = std::min(Send(SCI_LINESONSCREEN), 400L) + 1;
    const long lineCount = Send(SCI_GETLINECOUNT);
    Send(SCI_SETINDICATORCURRENT, SmartIndicator);
    long previousDocLine = -1;
    for (long i = 0; i < onScreen; ++i) {
        // A wrapped document line fills several screen lines: search it once
        // and go on with the lines after it.
        const long docLine = Send(SCI_DOCLINEFROMVISIBLE, firstVisible + i);
        if (docLine >= lineCount)
            break;
        if (docLine == previousDocLine)
            continue;
        previousDocLine = docLine;
        const long lineEnd = Send(SCI_GETLINEENDPOSITION, docLine);
        long from = Send(SCI_POSITIONFROMLINE, docLine);
        while (from < lineEnd) {
            Send(SCI_SETTARGETRANGE, from, lineEnd);
            const long at = Send(SCI_SEARCHINTARGET, word.size(), reinterpret_cast<intptr_t>(word.constData()));
            if (at < 0)
                break;
            const long end = Send(SCI_GETTARGETEND);
            if (at != selStart && end > at) {
                Send(SCI_INDICATORFILLRANGE, at, end - at);
                smartMarked = true;
            }
            from = std::max(end, at + 1);
        }
    }
    Send(SCI_SETTARGETRANGE, targetStart, targetEnd);
    inSmartHighlight = false;
}

// ---------------------------------------------------------------------------
// Context menu

void CTextView::contextMenuEvent(QContextMenuEvent* e)
{
    setFocus();
    QPoint global = e->globalPos();
    if (e->reason() == QContextMenuEvent::Keyboard) {
        const long pos = Send(SCI_GETCURRENTPOS);
        const QPoint local(int(Send(SCI_POINTXFROMPOSITION, 0, pos)), int(Send(SCI_POINTYFROMPOSITION, 0, pos)));
        global = viewport()->mapToGlobal(local);
    } else {
        const QPoint local = viewport()->mapFromGlobal(global);
        const long pos = Send(SCI_POSITIONFROMPOINT, local.x(), local.y());
        const long selStart = Send(SCI_GETSELECTIONSTART);
        const long selEnd = Send(SCI_GETSELECTIONEND);
        if (pos < selStart || pos > selEnd)
            Send(SCI_GOTOPOS, pos);
    }
    selectionLength = int(Send(SCI_GETSELECTIONEND) - Send(SCI_GETSELECTIONSTART));

    QMenu menu(this);
    auto add = [&](int id, const char* text, bool enabled = true) {
        QAction* a = menu.addAction(QString::fromUtf8(text));
        a->setData(id);
        a->setEnabled(enabled);
    };
    const bool sel = selectionLength > 0;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    add(200, "&Undo", CanUndo());
    add(201, "&Redo", CanRedo());
    menu.addSeparator();
    add(202, "Cu&t", sel);
    add(203, "&Copy", sel);
    add(204, "&Paste", data && data->hasText());
    add(205, "&Delete", sel);
    add(206, "Select &All");
    menu.addSeparator();
    add(219, "to &Lowercase", sel);
    add(220, "to &Uppercase", sel);
    menu.addSeparator();
    add(414, "Add Bookmark");
    add(412, "Add Mark");
    add(413, "Clear Mark");
    menu.addSeparator();
    add(231, "Copy File &Name");
    add(232, "Copy File &Path");
    add(233, "Copy Full File &Path");
    menu.addSeparator();
    add(224, "Add Template", sel);
    add(683, "File &Properties");
    const bool menuBarHidden = barHiddenHook && barHiddenHook(300);
    const bool toolBarHidden = barHiddenHook && barHiddenHook(301);
    if (menuBarHidden || toolBarHidden) {
        menu.addSeparator();
        if (menuBarHidden)
            add(300, viewhooks::UiString(300, "Show Menubar").toUtf8().constData());
        if (toolBarHidden)
            add(301, viewhooks::UiString(301, "Show Toolbar").toUtf8().constData());
    }
    viewhooks::TranslateMenu(&menu, 4);

    QAction* chosen = menu.exec(global);
    if (!chosen)
        return;
    const int id = chosen->data().toInt();
    if (isSignalConnected(QMetaMethod::fromSignal(&CTextView::frameCommand)))
        emit frameCommand(id);
    else
        OnCommand(id);
}

// ---------------------------------------------------------------------------
// Clipboard monitor: while on, every text put on the clipboard is inserted
// at the caret.

void CTextView::SetClipboardMonitor(bool on)
{
    if (on == clipboardMonitor)
        return;
    clipboardMonitor = on;
    QClipboard* clipboard = QApplication::clipboard();
    if (on)
        connect(clipboard, &QClipboard::dataChanged, this, &CTextView::OnClipboardChanged);
    else
        disconnect(clipboard, &QClipboard::dataChanged, this, &CTextView::OnClipboardChanged);
}

void CTextView::OnClipboardChanged()
{
    if (!clipboardMonitor)
        return;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    const QByteArray text = data->text().toUtf8();
    if (text.isEmpty())
        return;
    const long pos = Send(SCI_GETCURRENTPOS);
    UndoGroup group(this);
    Send(SCI_INSERTTEXT, pos, reinterpret_cast<intptr_t>(text.constData()));
    Send(SCI_GOTOPOS, pos + text.size());
}

// ---------------------------------------------------------------------------
// Dialogs

// After a modal dialog the keys must reach this view and the main window's
// key table again: without a window manager handing the activation back,
// X leaves no window active and every window shortcut stops working.
void CTextView::ReturnFromDialog()
{
    if (QWidget* top = window(); top && top->isVisible())
        top->activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void CTextView::GoToLineDialog()
{
    const int result = CGoToLineDialog::Ask(this, int(Send(SCI_GETLINECOUNT)));
    if (result != -1)
        GoToLine(long(result) - 1);
    ReturnFromDialog();
}

void CTextView::FilePropertyDialog()
{
    {
        CFilePropertyDialog dialog(this);
        dialog.exec();
    }
    ReturnFromDialog();
}
