#include <gtest/gtest.h>

#include "platform/FileInfo.h"
#include "platform/FileSpec.h"
#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <unistd.h>
#include <utime.h>

namespace {

TEST(FileSpec, MatchesLikeTheShell)
{
    struct Case { const char* spec; const char* name; bool match; } cases[] = {
        {"*.c", "main.c", true},        {"*.c", "MAIN.C", true},      {"*.c", "main.cpp", false},
        {"*.*", "Makefile", true},      {"*", ".hidden", true},       {"?.txt", "a.txt", true},
        {"?.txt", "ab.txt", false},     {"a*b*c", "aXbYc", true},     {"a*b*c", "aXbY", false},
        {"*.c;*.h", "x.h", true},       {"*.c; *.h", "x.h", true},    {";;*.h;", "x.h", true},
        {"", "x", false},               {"*.tar.gz", "a.tar.gz", true}, {"*a", "banana", true},
        {"README", "readme", true},     {"*.c;*.h", "x.hpp", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(filespec::MatchSpecList(c.spec, c.name), c.match) << c.spec << " " << c.name;
}

TEST(Paths, CombineResolvesDots)
{
    struct Case { const char* base; const char* rel; const char* expected; } cases[] = {
        {"/home/u/src", "a.txt", "/home/u/src/a.txt"},
        {"/home/u/src", "../b/./c.txt", "/home/u/b/c.txt"},
        {"/home/u/src/", "/etc/../tmp/x", "/tmp/x"},
        {"/", "../../x", "/x"},
        {"/a", "", "/a"},
        {"/a/b", "..", "/a"},
        {"/a", "x//y", "/a/x/y"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(paths::CombinePath(c.base, c.rel), QString(c.expected)) << c.base << " + " << c.rel;
}

TEST(FileInfo, SignatureFollowsModificationTime)
{
    QTemporaryDir dir;
    QString path = dir.filePath("f.txt");
    EXPECT_EQ(fileinfo::FileSignature(path), -1);
    EXPECT_EQ(fileinfo::FileSignature(dir.path()), -1);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    struct utimbuf t1 {1000000000, 1000000000};
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &t1), 0);
    int32_t s1 = fileinfo::FileSignature(path);
    EXPECT_NE(s1, -1);
    EXPECT_EQ(fileinfo::FileSignature(path), s1);
    struct utimbuf t2 {1000000001, 1000000001};
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &t2), 0);
    EXPECT_NE(fileinfo::FileSignature(path), s1);
}

TEST(FileInfo, SameFileThroughLinksAndSpellings)
{
    QTemporaryDir dir;
    QString a = dir.filePath("a.txt"), b = dir.filePath("b.txt");
    QFile(a).open(QIODevice::WriteOnly);
    QFile(b).open(QIODevice::WriteOnly);
    QString link = dir.filePath("link.txt");
    ASSERT_TRUE(QFile::link(a, link));
    EXPECT_TRUE(fileinfo::SameFile(a, link));
    EXPECT_TRUE(fileinfo::SameFile(a, dir.path() + "/../" + QFileInfo(dir.path()).fileName() + "/a.txt"));
    EXPECT_FALSE(fileinfo::SameFile(a, b));
    EXPECT_FALSE(fileinfo::SameFile(a, dir.filePath("missing")));
    EXPECT_FALSE(fileinfo::SameFile(dir.filePath("missing"), dir.filePath("missing")));
}

TEST(FileInfo, ReadOnlyAttribute)
{
    QTemporaryDir dir;
    QString p = dir.filePath("r.txt");
    QFile(p).open(QIODevice::WriteOnly);
    EXPECT_FALSE(fileinfo::IsReadOnly(p));
    QFile::setPermissions(p, QFileDevice::ReadOwner);
    if (::geteuid() != 0)
        EXPECT_TRUE(fileinfo::IsReadOnly(p));
    ASSERT_TRUE(fileinfo::ClearReadOnly(p));
    EXPECT_FALSE(fileinfo::IsReadOnly(p));
    EXPECT_FALSE(fileinfo::ClearReadOnly(dir.filePath("missing")));
    EXPECT_TRUE(fileinfo::IsDirectory(dir.path()));
    EXPECT_TRUE(fileinfo::Exists(p));
}

} // namespace
