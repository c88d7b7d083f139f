// The updater's rules without windows or network: command line, caption,
// versions, machine identification, the server's answer and name checks.
#include "UpdateLogic.h"

#include <gtest/gtest.h>

using namespace marlin;

TEST(MarlinCommandLine, SwitchesAndTarget)
{
    struct Case { QStringList args; bool hasId; int id; bool silent; const char* target; };
    const Case cases[] = {
        {{"-id:1", "scrivlet"}, true, 1, false, "scrivlet"},
        {{"-id:1", "scrivlet", "-s"}, true, 1, true, "scrivlet"},
        {{"/ID:42", "\\S", "a", "b"}, true, 42, true, "b"},     // last target wins
        {{"-i"}, true, 0, false, ""},                           // no number: 0, still an id
        {{"-x", "-", "scrivlet"}, false, 0, false, "scrivlet"}, // other switches ignored
        {{"scrivlet", "-s"}, false, 0, true, "scrivlet"},
        {{"-id:1", "/srv/sv/scrivlet"}, true, 1, false, "/srv/sv/scrivlet"},   // a path, not "/s"
        {{}, false, 0, false, ""},
    };
    for (const Case& c : cases) {
        const CommandLine cl = ParseCommandLine(c.args);
        SCOPED_TRACE(c.args.join(' ').toStdString());
        EXPECT_EQ(cl.hasId, c.hasId);
        EXPECT_EQ(cl.id, c.id);
        EXPECT_EQ(cl.silent, c.silent);
        EXPECT_EQ(cl.target, QString::fromUtf8(c.target));
    }
}

TEST(MarlinCaption, CutAtLastDot)
{
    EXPECT_EQ(MakeCaption("scrivlet.exe"), "Update - scrivlet");
    EXPECT_EQ(MakeCaption("scrivlet"), "Update - scrivlet");
    EXPECT_EQ(MakeCaption("my.app.exe"), "Update - my.app");
}

TEST(MarlinVersion, NewerComparesMajorMinorThenBuildRevision)
{
    Version installed = ParseVersionPrefix("3.4.0.0");
    struct Case { const char* offered; bool newer; };
    const Case cases[] = {
        {"3.4.0.0", false}, {"3.4.0.1", true}, {"3.5.0.0", true}, {"3.3.9.9", false},
        {"4.0.0.0", true}, {"3.4.1.0", true}, {"2.99.99.99", false}, {"3.4", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNewer(ParseVersionPrefix(c.offered), installed), c.newer) << c.offered;
    // A build part above 0x7FFF must not compare as negative.
    EXPECT_TRUE(IsNewer(ParseVersionPrefix("3.4.40000.0"), installed));
}

TEST(MarlinVersion, InstallerNameAndVersionOutput)
{
    Version v;
    ASSERT_TRUE(VersionFromInstaller("scrivlet_1.2.3.4.exe", v));
    EXPECT_EQ(v.ToString(), "1.2.3.4");
    ASSERT_TRUE(VersionFromInstaller("scrivlet_setup_1.2.exe", v));   // text after the first "_"
    EXPECT_EQ(v.ToString(), "0.0.0.0");
    ASSERT_TRUE(VersionFromInstaller("scrivlet_2.5.exe", v));          // missing parts are 0
    EXPECT_EQ(v.ToString(), "2.5.0.0");
    EXPECT_FALSE(VersionFromInstaller("scrivlet-2.5.exe", v));

    ASSERT_TRUE(FindFullVersion("Scrivlet 1.0.0.1\n", v));
    EXPECT_EQ(v.ToString(), "1.0.0.1");
    EXPECT_FALSE(FindFullVersion("Scrivlet 1.0\n", v));
    EXPECT_FALSE(FindFullVersion("1.70000.0.0", v));
}

TEST(MarlinMachine, CpuidFromLeafZero)
{
    // EAX 0x16 with the vendor text GenuineIntel (EBX "Genu", EDX "ineI", ECX "ntel").
    EXPECT_EQ(CpuidFromRegisters(0x16, 0x756E6547, 0x6C65746E, 0x49656E69),
              "16006575746C6E490000000000000000");
    EXPECT_EQ(CpuidFromRegisters(0x10000, 0x756E6547, 0x6C65746E, 0x49656E69), "");
    // A word below 0x10 keeps two digits; one above 0xFF keeps its first two.
    EXPECT_EQ(CpuidFromRegisters(0x0123000D, 0, 0, 0).left(4), "0D12");
    const QString here = CpuidText();
    EXPECT_TRUE(here.isEmpty() || (here.size() == 32 && here.endsWith(QString(16, QChar('0')))));
}

TEST(MarlinMachine, MacSkipsVmwareAdapters)
{
    const QByteArray vm("\x00\x50\x56\xC0\x00\x08", 6), real("\x3c\x7c\x3f\x1a\xbe\x01", 6);
    QList<Adapter> list = {
        {"vmnet8", "VMware Virtual Ethernet Adapter for VMnet8", vm},
        {"eth0", "eth0", real},
    };
    EXPECT_EQ(MacFromAdapters(list), "3C7C3F1ABE01");
    list[0].description = "vmware lower case";   // the test is case-sensitive
    EXPECT_EQ(MacFromAdapters(list), "005056C00008");
    EXPECT_EQ(MacFromAdapters({}), "");
    for (const Adapter& a : ReadAdapters()) {
        EXPECT_FALSE(a.hardwareAddress.isEmpty()) << a.name.toStdString();
        EXPECT_NE(a.name, "lo");
    }
}

TEST(MarlinQuery, PathAndServer)
{
    EXPECT_EQ(QueryPath(1, "3C7C3F1ABE01", "16006575746C6E490000000000000000",
                        ParseVersionPrefix("1.0.0.1")),
              "/version.asp?id=1&mac=3C7C3F1ABE01&cpuid=16006575746C6E490000000000000000&version=1.0.0.1");
    Server s;
    ASSERT_TRUE(ParseServer("127.0.0.1:8080", s));
    EXPECT_EQ(s.BaseUrl(), "http://127.0.0.1:8080");
    ASSERT_TRUE(ParseServer("https://update.example.org", s));
    EXPECT_EQ(s.port, 443);
    EXPECT_EQ(s.BaseUrl(), "https://update.example.org");
    ASSERT_TRUE(ParseServer("update.example.org", s, 80));
    EXPECT_EQ(s.BaseUrl(), "http://update.example.org");
    for (const char* bad : {"", "host:0", "host:99999", "host:x", "a/b:80", "http://"})
        EXPECT_FALSE(ParseServer(bad, s)) << bad;
}

TEST(MarlinResponse, LinesServersAndNotes)
{
    struct Case {
        QByteArray body; bool lf; const char* installer; QStringList servers; const char* notes;
    };
    const Case cases[] = {
        {"s_3.5.0.0.exe\r\nhttp://a/|http://b/|http://c/\r\nline one\r\nline two\r\n", true,
         "s_3.5.0.0.exe", {"http://a/", "http://b/", "http://c/"}, "line one\r\nline two\r\n"},
        {"s_3.5.0.0.exe\n", true, "s_3.5.0.0.exe", {""}, ""},               // one line
        {"s_3.5.0.0.exe\nhttp://a/", true, "s_3.5.0.0.exe", {"http://a/"}, ""},
        {"s_3.5.0.0.exe\nhttp://a/\r", true, "s_3.5.0.0.exe", {"http://a/"}, ""},
        {"s_3.5.0.0.exe\r\r\nhttp://a/\n\r\nx", true, "s_3.5.0.0.exe\r", {"http://a/"}, "\r\nx"},
        {"no line end at all", false, "", {}, ""},
        {"", false, "", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        const Response r = ParseResponse(c.body);
        EXPECT_EQ(r.hasLineEnd, c.lf);
        EXPECT_EQ(r.installer, QString::fromUtf8(c.installer));
        EXPECT_EQ(r.servers, c.servers);
        EXPECT_EQ(r.notes, QString::fromUtf8(c.notes));
    }
}

TEST(MarlinResponse, OnlyFirst511BytesAndAnsiText)
{
    QByteArray body = "s_3.5.0.0.exe\nhttp://a/\n" + QByteArray(600, 'n');
    const Response r = ParseResponse(body);
    EXPECT_EQ(r.notes.size(), 511 - 24);
    // Bytes are windows-1252: 0x80 is the euro sign.
    EXPECT_EQ(DecodeAnsi("caf\xE9 \x80"), QString::fromUtf8("café €"));
    EXPECT_EQ(ParseResponse("x\n\n\xE9").notes, QString::fromUtf8("é"));
}

TEST(MarlinNames, InstallerNameMustBePlain)
{
    for (const char* good : {"scrivlet_1.2.3.4.exe", "a_1", "..x_1", "setup 1_2.run"})
        EXPECT_TRUE(IsSafeInstallerName(good)) << good;
    const QString bad[] = {"", ".", "..", "../x_1.0.0.0", "a/b_1.0", "..\\x_1.0",
                           "/tmp/x_1.0", QString::fromLatin1("a\0b_1", 5), "a\tb_1"};
    for (const QString& b : bad)
        EXPECT_FALSE(IsSafeInstallerName(b)) << b.toStdString();
}

TEST(MarlinNames, DownloadAddressesOnlyOverHttp)
{
    EXPECT_EQ(DownloadUrl("http://a.example/dl/", "s_1.0.exe"), "http://a.example/dl/s_1.0.exe");
    EXPECT_EQ(DownloadUrl("https://a.example/", "s_1.0.exe"), "https://a.example/s_1.0.exe");
    // "#" and "?" in the name stay part of the path.
    EXPECT_EQ(DownloadUrl("http://a/", "s#_1?.exe"), "http://a/s%23_1%3F.exe");
    for (const char* server : {"", "file:///tmp/", "ftp://a/", "/tmp/", "javascript:"})
        EXPECT_EQ(DownloadUrl(server, "s_1.0.exe"), "") << server;
}
