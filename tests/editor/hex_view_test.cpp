// CHexView on real files: nibble and character editing, undo, saving the
// edits in place, and files that are empty, shrink or vanish.
#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "editor/HexView.h"

namespace {

struct HexFixture {
    QTemporaryDir dir;
    QString path;
    CHexView view;

    explicit HexFixture(const QByteArray& content)
    {
        path = dir.filePath(QStringLiteral("data.bin"));
        Write(content);
        view.resize(700, 300);
        EXPECT_TRUE(view.Open(path));
    }
    void Write(const QByteArray& content)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    QByteArray OnDisk() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void Type(const char* text) { QTest::keyClicks(&view, QString::fromLatin1(text)); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(&view, key, mods); }
};

QByteArray Counting(int n)
{
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(char(i));
    return b;
}

} // namespace

TEST(HexView, NibbleEditingAndUndo)
{
    HexFixture f(Counting(20));
    EXPECT_EQ(f.view.FileSize(), 20);
    EXPECT_EQ(f.view.ByteAt(19), 19);
    EXPECT_EQ(f.view.ByteAt(20), -1);
    QSignalSpy modified(&f.view, &CHexView::modifiedChanged);

    f.view.SetCaret(0);
    f.Type("A");  // capitals are not hex digits here
    EXPECT_EQ(f.view.ByteAt(0), 0);
    EXPECT_FALSE(f.view.IsModified());

    f.Type("4");
    EXPECT_EQ(f.view.ByteAt(0), 0x40);
    EXPECT_EQ(f.view.CaretNibble(), 1);
    f.Type("1");
    EXPECT_EQ(f.view.ByteAt(0), 0x41);
    EXPECT_EQ(f.view.CaretOffset(), 1);
    EXPECT_EQ(f.view.CaretNibble(), 0);
    EXPECT_TRUE(f.view.IsModified());
    ASSERT_EQ(modified.count(), 1);

    f.view.OnCommand(200);
    EXPECT_EQ(f.view.ByteAt(0), 0x40);
    EXPECT_EQ(f.view.CaretOffset(), 0);
    EXPECT_EQ(f.view.CaretNibble(), 1);
    f.view.OnCommand(200);
    EXPECT_EQ(f.view.ByteAt(0), 0);
    EXPECT_FALSE(f.view.IsModified());
    EXPECT_EQ(modified.last().at(0).toInt(), 0);
    EXPECT_EQ(f.OnDisk(), Counting(20)) << "nothing written before Save";

    // At the last byte the caret stays after the low nibble.
    f.view.SetCaret(19);
    f.Type("ff");
    EXPECT_EQ(f.view.ByteAt(19), 0xFF);
    EXPECT_EQ(f.view.CaretOffset(), 19);
}

TEST(HexView, EditsSurviveScrollingAndSaveWritesOnlyThem)
{
    QByteArray content(64 * 1024, 'x');
    HexFixture f(content);
    f.view.SetCaret(5);
    f.Type("41");
    f.view.OnCommand(CHexView::SwitchColumnCommand);
    EXPECT_TRUE(f.view.CharacterColumnActive());
    f.view.SetCaret(40000);
    f.Type("Hi");
    EXPECT_EQ(f.view.ByteAt(40000), 'H');
    EXPECT_EQ(f.view.ByteAt(40001), 'i');

    f.Key(Qt::Key_Home, Qt::ControlModifier);  // scroll back to the top and refill
    f.view.Refill();
    EXPECT_EQ(f.view.ByteAt(5), 0x41);
    EXPECT_EQ(f.view.ByteAt(40000), 'H');

    ASSERT_TRUE(f.view.Save());
    EXPECT_FALSE(f.view.IsModified());
    QByteArray expected = content;
    expected[5] = 'A';
    expected[40000] = 'H';
    expected[40001] = 'i';
    EXPECT_EQ(f.OnDisk(), expected);

    // Undo after a save changes the byte back and makes the view modified.
    f.view.OnCommand(200);
    EXPECT_TRUE(f.view.IsModified());
    EXPECT_EQ(f.view.ByteAt(40001), 'x');
    ASSERT_TRUE(f.view.Save());
    expected[40001] = 'x';
    EXPECT_EQ(f.OnDisk(), expected);
}

TEST(HexView, SaveAsCopiesWithEdits)
{
    HexFixture f(Counting(32));
    f.view.SetCaret(3);
    f.Type("aa");
    const QString other = f.dir.filePath(QStringLiteral("copy.bin"));
    ASSERT_TRUE(f.view.SaveAs(other));
    EXPECT_EQ(f.view.FilePath(), other);
    QFile copy(other);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    QByteArray expected = Counting(32);
    expected[3] = char(0xAA);
    EXPECT_EQ(copy.readAll(), expected);
    EXPECT_EQ(f.OnDisk(), Counting(32)) << "the original file is untouched";
}

TEST(HexView, CaretKeys)
{
    HexFixture f(Counting(40));
    f.view.SetCaret(18);
    f.Key(Qt::Key_End);
    EXPECT_EQ(f.view.CaretOffset(), 31);
    f.Key(Qt::Key_Home);
    EXPECT_EQ(f.view.CaretOffset(), 16);
    f.Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(f.view.CaretOffset(), 39);
    f.Key(Qt::Key_End);  // last row is short: End stops at the last byte
    EXPECT_EQ(f.view.CaretOffset(), 39);
    f.Key(Qt::Key_Right);
    f.Key(Qt::Key_Right);
    EXPECT_EQ(f.view.CaretOffset(), 39);
    EXPECT_EQ(f.view.CaretNibble(), 1) << "never past the last byte's low nibble";
    f.Key(Qt::Key_Up);
    EXPECT_EQ(f.view.CaretOffset(), 23);
    f.Key(Qt::Key_Left, Qt::ShiftModifier);
    f.Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(f.view.SelectionLength(), 2);
    EXPECT_EQ(f.view.PositionText(), QStringLiteral("Offset 15H 21  Sel 2"));
    f.Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(f.view.CaretOffset(), 0);
    EXPECT_EQ(f.view.SelectionLength(), 0);
}

TEST(HexView, ReadOnlyRejectsEdits)
{
    HexFixture f(Counting(4));
    f.view.SetReadOnly(true);
    f.view.SetCaret(0);
    f.Type("ff");
    EXPECT_EQ(f.view.ByteAt(0), 0);
    EXPECT_FALSE(f.view.IsModified());
    EXPECT_FALSE(f.view.CanUndo());
}

// The frame routes Cut, Copy and Paste to the focused widget by name; the
// hex view must take them (no "no such method") and change nothing.
TEST(HexView, ClipboardMessagesAreTakenAndChangeNothing)
{
    HexFixture f(Counting(4));
    f.view.SetCaret(0);
    f.Key(Qt::Key_Right, Qt::ShiftModifier);
    f.Key(Qt::Key_Right, Qt::ShiftModifier);
    for (const char* slot : {"cut", "copy", "paste"})
        EXPECT_TRUE(QMetaObject::invokeMethod(&f.view, slot)) << slot;
    EXPECT_EQ(f.view.ByteAt(0), 0);
    EXPECT_EQ(f.view.ByteAt(1), 1);
    EXPECT_FALSE(f.view.IsModified());
}

TEST(HexView, EmptyShrinkingAndVanishingFiles)
{
    {
        HexFixture f{QByteArray()};
        EXPECT_EQ(f.view.FileSize(), 0);
        f.view.show();
        f.Key(Qt::Key_End, Qt::ControlModifier);
        f.Key(Qt::Key_Down);
        f.Type("12");
        EXPECT_EQ(f.view.CaretOffset(), -1);
        EXPECT_FALSE(f.view.IsModified());
        EXPECT_FALSE(f.view.grab().isNull());
        EXPECT_EQ(f.view.PositionText(), QStringLiteral("Offset 0H 0  Sel 0"));
    }
    {
        HexFixture f(Counting(100));
        f.view.show();
        f.view.SetCaret(90);
        f.Type("7");
        f.Write(Counting(10));  // another program shrinks the file
        f.view.Refill();
        EXPECT_EQ(f.view.FileSize(), 10);
        EXPECT_EQ(f.view.CaretOffset(), 9);
        EXPECT_EQ(f.view.ByteAt(50), -1);
        EXPECT_FALSE(f.view.grab().isNull());
        // The edited byte no longer exists: Save fails and writes nothing.
        EXPECT_FALSE(f.view.Save());
        EXPECT_TRUE(f.view.IsModified());
        EXPECT_EQ(f.OnDisk(), Counting(10));
    }
    {
        HexFixture f(Counting(64));
        f.view.show();
        f.view.SetCaret(1);
        f.Type("9");
        ASSERT_TRUE(QFile::remove(f.path));
        f.view.Refill();
        EXPECT_TRUE(f.view.FileMissing());
        EXPECT_FALSE(f.view.grab().isNull());
        EXPECT_FALSE(f.view.Save()) << "a vanished file is not recreated";
        EXPECT_FALSE(QFile::exists(f.path));
        EXPECT_TRUE(f.view.IsModified());
    }
    CHexView view;
    EXPECT_FALSE(view.Open(QStringLiteral("/nonexistent/file.bin")));
}

// Clicks land on the byte and nibble under the pointer in either column.
TEST(HexView, MouseHitsBytesAndColumns)
{
    HexFixture f(Counting(40));
    f.view.show();
    const int w = f.view.CharWidth();
    const int h = f.view.LineHeight();
    const int rowY = h + h + h / 2;  // second data row (offsets 16-31)
    const struct { const char* name; int x; qint64 offset; int nibble; bool chars; } cases[] = {
        {"hex byte 0, high nibble", 10 * w + 1, 16, 0, false},
        {"hex byte 0, low nibble", 11 * w + 1, 16, 1, false},
        {"hex byte 8 after the gap", (10 + 8 * 3 + 1) * w + 1, 24, 0, false},
        {"hex byte 15 low nibble", (10 + 15 * 3 + 1 + 1) * w + 1, 31, 1, false},
        {"character 3", (60 + 3) * w + 1, 19, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(c.x, rowY));
        EXPECT_EQ(f.view.CaretOffset(), c.offset);
        EXPECT_EQ(f.view.CaretNibble(), c.nibble);
        EXPECT_EQ(f.view.CharacterColumnActive(), c.chars);
    }
    // Below the last row the click lands on the last byte.
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10 * w + 1, 10 * h + h / 2));
    EXPECT_EQ(f.view.CaretOffset(), 39);
}
