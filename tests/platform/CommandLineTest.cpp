#include <gtest/gtest.h>

#include "app/CommandLine.h"

#include <climits>

namespace {

struct Captured {
    QStringList lines;
    Captured() { commandline::SetDebugOutput([this](const QString& s) { lines << s; }); }
    ~Captured() { commandline::SetDebugOutput({}); }
};

struct Expect { const char* path; int line; int column; };

void Check(const QList<commandline::FileRequest>& got, std::initializer_list<Expect> want,
           const char* what)
{
    ASSERT_EQ(got.size(), int(want.size())) << what;
    int i = 0;
    for (const Expect& e : want) {
        EXPECT_EQ(got[i].path, QString(e.path)) << what << " #" << i;
        EXPECT_EQ(got[i].line, e.line) << what << " #" << i;
        EXPECT_EQ(got[i].column, e.column) << what << " #" << i;
        ++i;
    }
}

TEST(CommandLine, ParsesFilesAndLineSwitch)
{
    Captured log;
    using commandline::Parse;
    Check(Parse({"scrivlet", "-line:4,3", "a.txt", "b.txt"}, "/w", true),
          {{"/w/a.txt", 4, 3}, {"/w/b.txt", 4, 3}}, "applies to every following file");
    Check(Parse({"scrivlet", "a.txt", "-line:4,3", "b.txt"}, "/w", true),
          {{"/w/a.txt", -1, -1}, {"/w/b.txt", 4, 3}}, "not to files before it");
    Check(Parse({"scrivlet", "-line:9", "a"}, "/w", true), {{"/w/a", 9, -1}}, "missing column");
    Check(Parse({"scrivlet", "-line:1,5", "a", "/LINE:7", "b"}, "/w", true),
          {{"/w/a", 1, 5}, {"/w/b", 7, 5}}, "column kept, case ignored");
    Check(Parse({"scrivlet", "-line:x,3", "a"}, "/w", true), {{"/w/a", -1, -1}}, "no number");
    Check(Parse({"scrivlet", "\\line:2", "a"}, "/w", true), {{"/w/a", 2, -1}}, "backslash switch");
    Check(Parse({"scrivlet", "-line:3,x", "a", "-line: -2,99999999999", "b"}, "/w", true),
          {{"/w/a", 3, -1}, {"/w/b", -2, INT_MAX}}, "sscanf-like fields, no overflow");
    Check(Parse({"scrivlet", "../x/./y.c", "/abs/../z.c"}, "/w/sub", true),
          {{"/w/x/y.c", -1, -1}, {"/z.c", -1, -1}}, "dots resolved");
    Check(Parse({"scrivlet", "/", "/tmp"}, "/w", true),
          {{"/", -1, -1}, {"/tmp", -1, -1}}, "existing absolute paths are not switches");
    Check(Parse({"scrivlet", "\\\\server\\share"}, "/w", true),
          {{"/w/\\\\server\\share", -1, -1}}, "two backslashes name a file");
    Check(Parse({"a.txt"}, "/w", false), {{"/w/a.txt", -1, -1}}, "without program path");
    Check(Parse({"scrivlet", "", "file:///tmp/a%20b.txt"}, "/w", true),
          {{"/tmp/a b.txt", -1, -1}}, "empty argument skipped, file URL");
    EXPECT_TRUE(log.lines.isEmpty());
}

TEST(CommandLine, UnknownSwitchesAreReportedOnlyWhenNotStartingWithL)
{
    Captured log;
    auto files = commandline::Parse({"scrivlet", "/x", "-lines", "-l", "\\q", "a"}, "/w", true);
    Check(files, {{"/w/a", -1, -1}}, "switches change nothing");
    EXPECT_EQ(log.lines, QStringList({"invalid command switch: /x\n", "invalid command switch: \\q\n"}));
}

TEST(CommandLine, SplitsLikeWindows)
{
    struct Case { const char* cmd; QStringList args; } cases[] = {
        {"prog a b", {"prog", "a", "b"}},
        {"\"C:\\Program Files\\s.exe\" x", {"C:\\Program Files\\s.exe", "x"}},
        {"p \"a b\" c", {"p", "a b", "c"}},
        {"p a\\\\\\\"b", {"p", "a\\\"b"}},          // 3 backslashes + quote
        {"p \"a\\\\\" b", {"p", "a\\", "b"}},         // 2 backslashes + quote
        {"p a\\b\\c", {"p", "a\\b\\c"}},               // plain backslashes
        {"p \\\\srv\\share", {"p", "\\\\srv\\share"}},
        {"p \"say \"\"hi\"\"\"", {"p", "say \"hi\""}},
        {"p \"\"", {"p", ""}},
        {"  p\t -line:4,3   a.txt ", {"p", "-line:4,3", "a.txt"}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(commandline::Split(c.cmd), c.args) << c.cmd;
    EXPECT_EQ(commandline::Split("a\\\"b c", false), QStringList({"a\"b", "c"}));
}

} // namespace
