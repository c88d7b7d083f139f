#include <gtest/gtest.h>

#include "app/CharClassTable.h"
#include "platform/UserStore.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

class UserStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    void SetUp() override { userstore::SetFilePath(dir.filePath("registry.ini")); }
    void TearDown() override { userstore::SetFilePath(QString()); }
};

TEST_F(UserStoreTest, ValuesUnderKeyPaths)
{
    const QString recent = "Software\\Scrivlet\\Recent Document List";
    ASSERT_TRUE(userstore::WriteInt(recent, "DocumentCount", 2));
    ASSERT_TRUE(userstore::WriteString(recent, "Document1", "/home/u/a long path " + QString(300, 'x')));
    ASSERT_TRUE(userstore::WriteString("Software\\Scrivlet\\Find", "0", "needle"));

    EXPECT_EQ(userstore::ReadInt("software\\scrivlet\\recent document list", "documentcount", 0), 2);
    EXPECT_EQ(userstore::ReadString(recent, "Document1").size(), 320); // never cut
    EXPECT_EQ(userstore::ValueNames(recent), QStringList({"DocumentCount", "Document1"}));
    EXPECT_EQ(userstore::SubKeyNames("Software\\Scrivlet"), QStringList({"Recent Document List", "Find"}));
    EXPECT_TRUE(QFile(dir.filePath("registry.ini")).size() > 0);

    ASSERT_TRUE(userstore::DeleteValue(recent, "Document1"));
    EXPECT_FALSE(userstore::HasValue(recent, "Document1"));
    EXPECT_EQ(userstore::ReadString(recent, "Document1", "gone"), "gone");

    ASSERT_TRUE(userstore::DeleteKey("Software\\Scrivlet"));
    EXPECT_FALSE(userstore::KeyExists(recent));
    EXPECT_FALSE(userstore::KeyExists("Software\\Scrivlet\\Find"));
}

TEST(UserStore, LivesInTheXdgConfigFolder)
{
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    userstore::SetFilePath(QString());
    EXPECT_EQ(userstore::FilePath(), dir.path() + "/scrivlet/registry.ini");
    EXPECT_TRUE(userstore::WriteInt("Software\\Scrivlet", "x", 1));
    EXPECT_TRUE(QFile::exists(dir.path() + "/scrivlet/registry.ini"));
    if (saved.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", saved);
    userstore::SetFilePath(QString());
}

TEST(CharClassTable, ClassesOfByteValues)
{
    struct Case { unsigned char c; CharClass cls; } cases[] = {
        {'\r', CharClassLineEnd}, {'\n', CharClassLineEnd}, {0, CharClassSpace},
        {'\t', CharClassSpace},   {' ', CharClassSpace},    {'a', CharClassWord},
        {'Z', CharClassWord},     {'7', CharClassWord},     {'_', CharClassWord},
        {128, CharClassWord},     {255, CharClassWord},     {'!', CharClassPunctuation},
        {'.', CharClassPunctuation}, {127, CharClassPunctuation}, {'~', CharClassPunctuation},
    };
    for (const Case& c : cases)
        EXPECT_EQ(g_charClasses().ClassOf(c.c), c.cls) << int(c.c);
}

} // namespace
