#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace {

TEST(CodePage, RoundTripsThroughLegacyCodePages)
{
    struct Case { int codePage; const char* utf8; } cases[] = {
        {1252, "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"},   // café € “q”
        {1251, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},     // Привет
        {932, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E abc \xEF\xBD\xB1"},  // 日本語 abc ｱ
        {936, "\xE4\xB8\xAD\xE6\x96\x87"},                               // 中文
        {950, "\xE4\xB8\xAD\xE6\x96\x87"},
        {949, "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4"},                   // 한국어
        {1253, "\xCE\xB1\xCE\xB2\xCE\xB3"},                              // αβγ
        {874, "\xE0\xB8\x81"},                                           // ก
    };
    for (const Case& c : cases) {
        const QByteArray utf8(c.utf8);
        bool lossy = true;
        QByteArray ansi = cp::Utf8ToAnsi(utf8, &lossy, c.codePage);
        EXPECT_FALSE(lossy) << c.codePage;
        EXPECT_NE(ansi, utf8) << c.codePage;
        EXPECT_EQ(cp::AnsiToUtf8(ansi, c.codePage), utf8) << c.codePage;
    }
}

TEST(CodePage, UnrepresentableCharactersAreReportedAndBecomeQuestionMarks)
{
    bool lossy = false;
    // "a" + Cyrillic Be + "b" + an emoji, to windows-1252
    QByteArray out = cp::Utf8ToAnsi("a\xD0\x91" "b\xF0\x9F\x98\x80" "c", &lossy, 1252);
    EXPECT_TRUE(lossy);
    EXPECT_EQ(out, QByteArray("a?b?c"));

    // Malformed UTF-8 is lossy too and does not swallow what follows.
    out = cp::Utf8ToAnsi("x\xC3(y", &lossy, 1252);
    EXPECT_TRUE(lossy);
    EXPECT_EQ(out, QByteArray("x?(y"));

    // Plain ASCII is never lossy.
    out = cp::Utf8ToAnsi("plain", &lossy, 1251);
    EXPECT_FALSE(lossy);
    EXPECT_EQ(out, QByteArray("plain"));
}

TEST(CodePage, UndefinedBytesBecomeReplacementCharacters)
{
    // 0x81 is undefined in windows-1252; a lone DBCS lead byte at the end in 932.
    EXPECT_EQ(cp::AnsiToUtf8("a\x81z", 1252), QByteArray("a\xEF\xBF\xBDz"));
    EXPECT_EQ(cp::AnsiToUtf8("ab\x82", 932), QByteArray("ab\xEF\xBF\xBD"));
    // A lead byte followed by a byte that cannot trail: the following text is kept.
    EXPECT_EQ(cp::AnsiToUtf8("\x82 x", 932), QByteArray("\xEF\xBF\xBD x"));
    EXPECT_EQ(cp::AnsiToQString("\xE9", 1252), QString(QChar(0xE9)));
    EXPECT_EQ(cp::QStringToAnsi(QString(QChar(0x20AC)), nullptr, 1252), QByteArray("\x80"));
}

TEST(CodePage, LocaleChoosesLegacyCodePage)
{
    struct Case { const char* locale; int codePage; } cases[] = {
        {"ru_RU.UTF-8", 1251}, {"ja_JP.UTF-8", 932}, {"zh_CN.UTF-8", 936}, {"zh_TW.UTF-8", 950},
        {"ko_KR.UTF-8", 949},  {"el_GR.UTF-8", 1253}, {"tr_TR.UTF-8", 1254}, {"he_IL.UTF-8", 1255},
        {"ar_EG.UTF-8", 1256}, {"lt_LT.UTF-8", 1257}, {"vi_VN", 1258},      {"th_TH.UTF-8", 874},
        {"pl_PL.UTF-8", 1250}, {"cs_CZ", 1250},       {"hu_HU", 1250},      {"en_US.UTF-8", 1252},
        {"C", 1252},           {"de_DE@euro", 1252},
    };
    const QByteArray saveAll = qgetenv("LC_ALL");
    for (const Case& c : cases) {
        qputenv("LC_ALL", c.locale);
        EXPECT_EQ(cp::CodePageFromLocale(), c.codePage) << c.locale;
    }
    if (saveAll.isNull())
        qunsetenv("LC_ALL");
    else
        qputenv("LC_ALL", saveAll);
}

TEST(CodePage, LargeInputConvertsCompletely)
{
    // Crosses any internal buffer size; every byte value that 1252 defines.
    QByteArray ansi;
    for (int i = 0; i < 200000; ++i) {
        char c = char(0xA0 + i % 96);
        ansi += c;
    }
    QByteArray utf8 = cp::AnsiToUtf8(ansi, 1252);
    EXPECT_EQ(utf8.size(), 400000);
    bool lossy = true;
    EXPECT_EQ(cp::Utf8ToAnsi(utf8, &lossy, 1252), ansi);
    EXPECT_FALSE(lossy);
}

} // namespace
