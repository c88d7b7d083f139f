#include "editor/HexView.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "config/StyleSpec.h"
#include "editor/TextView.h"

namespace {

constexpr int kHexStart = 10;    // in character widths
constexpr int kCharsStart = 60;  // in character widths

inline char Printable(uint8_t b) { return (b >= 32 && b < 127) ? char(b) : '.'; }

int HexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

} // namespace

CHexView::CHexView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    horizontalScrollBar()->setRange(0, 0);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ApplyDefaultStyle();
}

void CHexView::ApplyDefaultStyle()
{
    const StyleSpec spec = ParseStyle(CTextView::DefaultStyleString());
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (spec.hasFont && !spec.font.empty())
        font.setFamily(QString::fromStdString(PlatformFontFace(spec.font)));
    font.setPointSize(spec.hasSize && spec.size > 0 ? spec.size : 10);
    font.setBold(spec.hasBold && spec.bold);
    font.setItalic(spec.hasItalic && spec.italic);
    font.setStyleHint(QFont::Monospace);
    QColor back = Qt::white;
    if (spec.hasBack)
        back = QColor(int(spec.back & 0xFF), int((spec.back >> 8) & 0xFF), int((spec.back >> 16) & 0xFF));
    SetAppearance(font, back);
}

CHexView::~CHexView() = default;

void CHexView::SetAppearance(const QFont& font, const QColor& back)
{
    viewFont = font;
    if (back.isValid())
        background = back;
    UpdateGeometry();
    Refill();
}

void CHexView::UpdateGeometry()
{
    const QFontMetrics fm(viewFont);
    charWidth = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    lineHeight = std::max(1, fm.height() + fm.leading());
    ascent = fm.ascent();
    viewport()->setFont(viewFont);
}

int CHexView::RowsOnScreen() const
{
    return std::max(0, (viewport()->height() - lineHeight) / lineHeight);
}

qint64 CHexView::SelectionLength() const
{
    if (anchor < 0 || caret < 0)
        return 0;
    return caret > anchor ? caret - anchor : anchor - caret;
}

int CHexView::HexX(int column) const
{
    return (kHexStart + column * 3 + (column >= 8 ? 1 : 0)) * charWidth;
}

// ---------------------------------------------------------------------------
// File

bool CHexView::Open(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    filePath = path;
    fileSize = file.size();
    file.close();
    fileMissing = false;
    edits.clear();
    overlay.clear();
    savedDepth = 0;
    SetModified(false);
    topOffset = 0;
    caret = -1;
    anchor = -1;
    nibble = 0;
    charColumn = false;
    UpdateScrollRange();
    verticalScrollBar()->setValue(0);
    Refill();
    setFocus();
    emit statusChanged();
    return true;
}

void CHexView::UpdateScrollRange()
{
    const qint64 rows = (fileSize + BytesPerRow - 1) / BytesPerRow;
    const qint64 maxTop = std::max<qint64>(0, rows - std::max(1, RowsOnScreen()));
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, int(std::min<qint64>(maxTop, INT_MAX)));
    bar->setPageStep(std::max(1, RowsOnScreen()));
    bar->setSingleStep(1);
}

void CHexView::Refill()
{
    // The file may have changed size (or gone) since it was opened: follow it
    // so nothing past its end is shown or edited.
    QFileInfo info(filePath);
    info.setCaching(false);
    const bool exists = !filePath.isEmpty() && info.exists() && info.isFile();
    fileMissing = !filePath.isEmpty() && !exists;
    if (exists && info.size() != fileSize) {
        fileSize = info.size();
        if (caret >= fileSize) {
            caret = fileSize > 0 ? fileSize - 1 : -1;
            anchor = -1;
        }
        if (anchor >= fileSize)
            anchor = -1;
        UpdateScrollRange();
        topOffset = std::min<qint64>(topOffset, qint64(verticalScrollBar()->maximum()) * BytesPerRow);
    }
    bufferOffset = topOffset;
    const qint64 wanted = std::clamp<qint64>(fileSize - topOffset, 0, qint64(RowsOnScreen() + 1) * BytesPerRow);
    buffer = QByteArray(int(wanted), '\0');
    if (wanted > 0 && exists) {
        QFile file(filePath);
        if (file.open(QIODevice::ReadOnly) && file.seek(topOffset)) {
            const qint64 got = file.read(buffer.data(), wanted);
            if (got < wanted)
                buffer.truncate(int(std::max<qint64>(got, 0)));
        } else {
            buffer.fill('\0');
        }
    } else if (!exists) {
        buffer.clear();
    }
    viewport()->update();
}

int CHexView::ByteAt(qint64 offset) const
{
    if (offset < 0 || offset >= fileSize)
        return -1;
    auto it = overlay.find(offset);
    if (it != overlay.end())
        return it->second;
    if (offset >= bufferOffset && offset < bufferOffset + buffer.size())
        return uint8_t(buffer[int(offset - bufferOffset)]);
    QFile file(filePath);
    char c = 0;
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset) || file.read(&c, 1) != 1)
        return -1;
    return uint8_t(c);
}

bool CHexView::Save()
{
    if (overlay.empty()) {
        savedDepth = edits.size();
        SetModified(false);
        return true;
    }
    QFile file(filePath);
    if (!QFileInfo::exists(filePath) || !file.open(QIODevice::ReadWrite))
        return false;
    const qint64 size = file.size();
    if (overlay.rbegin()->first >= size)
        return false;
    // Write runs of consecutive edited offsets in one call each.
    auto it = overlay.begin();
    while (it != overlay.end()) {
        const qint64 start = it->first;
        QByteArray run;
        qint64 next = start;
        while (it != overlay.end() && it->first == next) {
            run.append(char(it->second));
            ++next;
            ++it;
        }
        if (!file.seek(start) || file.write(run) != run.size())
            return false;
    }
    if (!file.flush())
        return false;
    file.close();
    overlay.clear();
    fileSize = size;
    savedDepth = edits.size();
    SetModified(false);
    Refill();
    return true;
}

bool CHexView::SaveAs(const QString& path)
{
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(filePath).absoluteFilePath())
        return Save();
    if (QFile::exists(path) && !QFile::remove(path))
        return false;
    if (!QFile::copy(filePath, path))
        return false;
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    filePath = path;
    // Every edit must now reach the new file, also those already saved to
    // the old one (the copy carries them, so only the overlay is written).
    return Save();
}

bool CHexView::SaveDocument(const QString& path)
{
    if (path.isEmpty() || QFileInfo(path).absoluteFilePath() == QFileInfo(filePath).absoluteFilePath())
        return Save();
    return SaveAs(path);
}

void CHexView::SetModified(bool on)
{
    if (modified == on)
        return;
    modified = on;
    emit modifiedChanged(on ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Commands and status

bool CHexView::OnCommand(int id)
{
    switch (id) {
    case 200:
        Undo();
        return true;
    case 203:
        return true;
    case SwitchColumnCommand:
        charColumn = !charColumn;
        nibble = 0;
        viewport()->update();
        return true;
    default:
        return false;
    }
}

QString CHexView::PositionText() const
{
    const qint64 at = std::max<qint64>(caret, 0);
    return QString::asprintf("Offset %llXH %lld  Sel %lld", (unsigned long long)at, (long long)at,
                             (long long)SelectionLength());
}

void CHexView::Undo()
{
    if (readOnly || edits.empty())
        return;
    const Edit e = edits.back();
    edits.pop_back();
    overlay[e.offset] = e.previous;
    if (savedDepth != SIZE_MAX && edits.size() < savedDepth)
        savedDepth = SIZE_MAX;
    caret = e.offset;
    nibble = e.nibble;
    anchor = -1;
    SetModified(edits.size() != savedDepth);
    EnsureCaretVisible();
    viewport()->update();
    emit statusChanged();
}

// ---------------------------------------------------------------------------
// Caret movement

void CHexView::SetCaret(qint64 offset, int newNibble)
{
    anchor = -1;
    MoveCaret(offset, newNibble, false);
}

void CHexView::MoveCaret(qint64 offset, int newNibble, bool extend)
{
    if (fileSize <= 0)
        return;
    offset = std::clamp<qint64>(offset, 0, fileSize - 1);
    if (extend) {
        if (anchor < 0)
            anchor = caret < 0 ? offset : caret;
    } else {
        anchor = -1;
    }
    caret = offset;
    nibble = charColumn ? 0 : newNibble;
    EnsureCaretVisible();
    viewport()->update();
    emit statusChanged();
}

void CHexView::EnsureCaretVisible()
{
    if (caret < 0)
        return;
    const qint64 row = caret / BytesPerRow;
    const qint64 top = topOffset / BytesPerRow;
    const int rows = std::max(1, RowsOnScreen());
    qint64 newTop = top;
    if (row < top)
        newTop = row;
    else if (row >= top + rows)
        newTop = row - rows + 1;
    if (newTop != top)
        verticalScrollBar()->setValue(int(std::min<qint64>(newTop, INT_MAX)));
}

void CHexView::ScrollRows(qint64 rows)
{
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(int(std::clamp<qint64>(bar->value() + rows, bar->minimum(), bar->maximum())));
}

void CHexView::scrollContentsBy(int, int)
{
    topOffset = qint64(verticalScrollBar()->value()) * BytesPerRow;
    Refill();
}

void CHexView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    const int width = viewport()->width();
    horizontalScrollBar()->setRange(0, std::max(0, (kCharsStart + BytesPerRow + 1) * charWidth - width));
    horizontalScrollBar()->setPageStep(width);
    UpdateScrollRange();
    topOffset = qint64(verticalScrollBar()->value()) * BytesPerRow;
    Refill();
}

// ---------------------------------------------------------------------------
// Keys and editing

void CHexView::keyPressEvent(QKeyEvent* e)
{
    if (dragging) {
        dragging = false;
        releaseMouse();
        return;
    }
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const qint64 pos = caret < 0 ? topOffset : caret;
    const qint64 page = qint64(std::max(1, RowsOnScreen())) * BytesPerRow;
    switch (e->key()) {
    case Qt::Key_Up:
        if (ctrl) ScrollRows(-1); else MoveCaret(pos >= BytesPerRow ? pos - BytesPerRow : pos, nibble, shift);
        return;
    case Qt::Key_Down:
        if (ctrl) ScrollRows(1); else MoveCaret(pos + BytesPerRow < fileSize ? pos + BytesPerRow : pos, nibble, shift);
        return;
    case Qt::Key_PageUp:
        if (ctrl) ScrollRows(-RowsOnScreen()); else MoveCaret(std::max<qint64>(pos - page, pos % BytesPerRow), nibble, shift);
        return;
    case Qt::Key_PageDown:
        if (ctrl) {
            ScrollRows(RowsOnScreen());
        } else {
            qint64 to = pos + page;
            while (to >= fileSize && to - BytesPerRow >= pos)
                to -= BytesPerRow;
            MoveCaret(std::min(to, fileSize - 1), nibble, shift);
        }
        return;
    case Qt::Key_Left:
        if (caret < 0) { MoveCaret(pos, 0, shift); return; }
        if (!charColumn && nibble == 1 && !shift)
            MoveCaret(caret, 0, false);
        else if (!charColumn && !shift)
            MoveCaret(caret > 0 ? caret - 1 : 0, caret > 0 ? 1 : 0, false);
        else
            MoveCaret(caret > 0 ? caret - 1 : 0, 0, shift);
        return;
    case Qt::Key_Right:
        if (caret < 0) { MoveCaret(pos, 0, shift); return; }
        if (!charColumn && nibble == 0 && !shift)
            MoveCaret(caret, 1, false);
        else if (caret + 1 < fileSize)
            MoveCaret(caret + 1, 0, shift);
        else
            MoveCaret(caret, charColumn ? 0 : 1, shift);
        return;
    case Qt::Key_Home:
        MoveCaret(ctrl ? 0 : pos - pos % BytesPerRow, 0, shift);
        return;
    case Qt::Key_End:
        MoveCaret(ctrl ? fileSize - 1 : std::min(pos - pos % BytesPerRow + BytesPerRow - 1, fileSize - 1), 0, shift);
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        OnCommand(SwitchColumnCommand);
        return;
    default:
        break;
    }
    if (ctrl && e->key() == Qt::Key_Z) {
        Undo();
        return;
    }
    const QString text = e->text();
    if (!text.isEmpty() && text[0].unicode() >= 32 && !(ctrl && !(e->modifiers() & Qt::AltModifier))) {
        TypeCharacter(text);
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void CHexView::WriteByte(qint64 offset, uint8_t value, int nibbleState)
{
    const int old = ByteAt(offset);
    if (old < 0)
        return;
    edits.push_back({offset, uint8_t(old), nibbleState});
    overlay[offset] = value;
    SetModified(edits.size() != savedDepth);
}

void CHexView::TypeCharacter(const QString& text)
{
    if (readOnly) {
        QApplication::beep();
        return;
    }
    if (caret < 0 || caret >= fileSize)
        return;
    for (QChar c : text) {
        if (c.unicode() < 32)
            continue;
        anchor = -1;
        if (!charColumn) {
            const int digit = HexDigit(c);
            if (digit < 0)
                continue;
            const int old = ByteAt(caret);
            if (old < 0)
                return;
            const uint8_t value = nibble == 0 ? uint8_t((digit << 4) | (old & 0x0F)) : uint8_t((old & 0xF0) | digit);
            WriteByte(caret, value, nibble);
            if (nibble == 0)
                nibble = 1;
            else if (caret + 1 < fileSize) {
                ++caret;
                nibble = 0;
            }
        } else {
            const ushort u = c.unicode();
            WriteByte(caret, uint8_t(u & 0xFF), 0);
            if (u > 255 && caret + 1 < fileSize) {
                ++caret;
                WriteByte(caret, uint8_t(u >> 8), 0);
            }
            if (caret + 1 < fileSize)
                ++caret;
        }
    }
    EnsureCaretVisible();
    viewport()->update();
    emit statusChanged();
}

// ---------------------------------------------------------------------------
// Mouse and focus

bool CHexView::HitTest(const QPoint& p, qint64* offset, int* hitNibble, bool* inChars) const
{
    if (p.y() < lineHeight)
        return false;
    const qint64 row = (p.y() - lineHeight) / lineHeight;
    int column = -1;
    int half = 0;
    bool chars = false;
    const int x = p.x() + horizontalScrollBar()->value();
    if (x >= kCharsStart * charWidth) {
        column = (x - kCharsStart * charWidth) / charWidth;
        chars = true;
        if (column >= BytesPerRow)
            column = BytesPerRow - 1;
    } else if (x >= kHexStart * charWidth) {
        for (int c = BytesPerRow - 1; c >= 0; --c) {
            if (x >= HexX(c)) {
                column = c;
                half = (x - HexX(c)) >= charWidth ? 1 : 0;
                break;
            }
        }
        if (column < 0)
            column = 0;
    } else {
        column = 0;
    }
    const qint64 at = topOffset + row * BytesPerRow + column;
    if (fileSize <= 0)
        return false;
    *offset = std::min(at, fileSize - 1);
    *hitNibble = half;
    *inChars = chars;
    return true;
}

void CHexView::mousePressEvent(QMouseEvent* e)
{
    setFocus();
    if (e->button() != Qt::LeftButton)
        return;
    qint64 at;
    int half;
    bool chars;
    if (!HitTest(e->position().toPoint(), &at, &half, &chars))
        return;
    charColumn = chars;
    MoveCaret(at, half, e->modifiers() & Qt::ShiftModifier);
    dragging = true;
}

void CHexView::mouseMoveEvent(QMouseEvent* e)
{
    if (!dragging || !(e->buttons() & Qt::LeftButton))
        return;
    qint64 at;
    int half;
    bool chars;
    if (!HitTest(e->position().toPoint(), &at, &half, &chars))
        return;
    MoveCaret(at, half, true);
}

void CHexView::mouseReleaseEvent(QMouseEvent*)
{
    dragging = false;
}

void CHexView::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
}

void CHexView::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    dragging = false;
    viewport()->update();
}

bool CHexView::focusNextPrevChild(bool)
{
    // Tab switches the column instead of moving the focus.
    return false;
}

// ---------------------------------------------------------------------------
// Painting

void CHexView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setFont(viewFont);
    const QPalette& pal = palette();
    const int w = charWidth;
    const int h = lineHeight;
    const int width = viewport()->width();
    painter.translate(-horizontalScrollBar()->value(), 0);

    painter.fillRect(QRect(0, h, width + horizontalScrollBar()->value(), viewport()->height()), background);
    painter.fillRect(QRect(0, 0, width + horizontalScrollBar()->value(), h), pal.color(QPalette::Button));
    painter.setPen(pal.color(QPalette::WindowText));
    painter.drawText(0, ascent, QStringLiteral("Offset"));
    for (int c = 0; c < BytesPerRow; ++c)
        painter.drawText(HexX(c), ascent, QString::asprintf("%2X", c));

    if (fileMissing) {
        painter.drawText(0, h + ascent, QStringLiteral("The file is no longer available."));
        return;
    }

    const qint64 selFrom = SelectionLength() > 0 ? std::min(caret, anchor) : -1;
    const qint64 selTo = SelectionLength() > 0 ? std::max(caret, anchor) : -1;
    const int rows = RowsOnScreen() + 1;
    auto over = overlay.lower_bound(bufferOffset);
    for (int r = 0; r < rows; ++r) {
        const qint64 rowOffset = bufferOffset + qint64(r) * BytesPerRow;
        const int inBuffer = int(std::clamp<qint64>(buffer.size() - qint64(r) * BytesPerRow, 0, BytesPerRow));
        if (inBuffer <= 0)
            break;
        const int y = h + r * h;
        painter.setPen(pal.color(QPalette::WindowText));
        painter.drawText(0, y + ascent, QString::asprintf("%08llX", (unsigned long long)rowOffset));
        for (int c = 0; c < inBuffer; ++c) {
            const qint64 at = rowOffset + c;
            uint8_t b = uint8_t(buffer[int(at - bufferOffset)]);
            while (over != overlay.end() && over->first < at)
                ++over;
            if (over != overlay.end() && over->first == at)
                b = over->second;
            const bool selected = at >= selFrom && at < selTo;
            const QRect hexCell(HexX(c), y, 2 * w, h);
            const QRect charCell((kCharsStart + c) * w, y, w, h);
            if (selected) {
                painter.fillRect(hexCell, charColumn ? pal.color(QPalette::Button) : pal.color(QPalette::Highlight));
                painter.fillRect(charCell, charColumn ? pal.color(QPalette::Highlight) : pal.color(QPalette::Button));
            }
            painter.setPen(selected && !charColumn ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::WindowText));
            painter.drawText(hexCell.x(), y + ascent, QString::asprintf("%02X", b));
            painter.setPen(selected && charColumn ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::WindowText));
            painter.drawText(charCell.x(), y + ascent, QString(QLatin1Char(Printable(b))));
            if (at == caret && hasFocus()) {
                const int cx = charColumn ? charCell.x() : hexCell.x() + nibble * w;
                painter.fillRect(QRect(cx, y, 2, h), pal.color(QPalette::WindowText));
            }
        }
    }
}
