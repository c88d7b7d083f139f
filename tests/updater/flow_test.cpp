// The updater end to end against a real HTTP server on 127.0.0.1: the check
// before the dialog, the messages in normal and silent mode, and the Update
// dialog with its download.
#include "TestServer.h"
#include "Updater.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace marlin;

namespace {

struct Shown {
    MessageKind kind;
    QString caption, text;
};

template <class Pred>
bool WaitFor(Pred pred, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return pred();
}

class UpdaterFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(programDir.isValid() && tempRoot.isValid());
        WriteTarget("#!/bin/sh\necho \"Scrivlet 3.4.0.0\"\n");
        options.programDir = programDir.path();
        ASSERT_TRUE(ParseServer(QStringLiteral("127.0.0.1:%1").arg(server.serverPort()), options.server));
        options.connectTimeoutMs = 2000;
        options.readTimeoutMs = 2000;
        options.tempRoot = tempRoot.path();
        options.launchInstaller = [this](const QString& path) { launched << path; };
        SetMessageHandler([this](QWidget*, MessageKind kind, const QString& caption, const QString& text) {
            shown.append({kind, caption, text});
            return int(kind == MessageKind::Question ? answer : QMessageBox::Ok);
        });
    }
    void TearDown() override { SetMessageHandler({}); }

    void WriteTarget(const QByteArray& script)
    {
        QFile f(programDir.filePath("scrivlet"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(script);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void Answer(const QByteArray& body)
    {
        TestServer::Reply r;
        r.body = body;
        server.Route("/version.asp*", r);
    }

    CheckOutcome RunCheck(bool silent)
    {
        QStringList args{"-id:1", "scrivlet"};
        if (silent)
            args << "-s";
        return Check(ParseCommandLine(args), options);
    }

    Offer MakeOffer(const QStringList& servers)
    {
        Offer o;
        o.caption = "Update - scrivlet";
        o.installed = ParseVersionPrefix("3.4.0.0");
        o.latest = ParseVersionPrefix("3.5.0.0");
        o.installer = "scrivlet_3.5.0.0.run";
        o.servers = servers;
        o.notes = "What is new:\r\n- faster\r\n";
        return o;
    }

    QTemporaryDir programDir, tempRoot;
    TestServer server;
    Options options;
    QList<Shown> shown;
    QStringList launched;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
};

} // namespace

TEST_F(UpdaterFlow, VersionsDecideBetweenOfferAndUpToDate)
{
    struct Case { const char* offered; bool offer; };
    const Case cases[] = {{"3.4.0.0", false}, {"3.4.0.1", true}, {"3.5.0.0", true}, {"3.3.9.9", false}};
    for (const Case& c : cases) {
        for (bool silent : {false, true}) {
            SCOPED_TRACE(std::string(c.offered) + (silent ? " silent" : " normal"));
            Answer(QByteArray("scrivlet_") + c.offered + ".run\r\nhttp://a/|http://b/\r\nnotes\r\n");
            shown.clear();
            const CheckOutcome out = RunCheck(silent);
            EXPECT_EQ(out.exitCode, 0);
            EXPECT_EQ(out.offer, c.offer);
            if (c.offer) {
                // A newer version is offered in silent mode too.
                EXPECT_TRUE(shown.isEmpty());
                EXPECT_EQ(out.data.latest.ToString(), QString(c.offered));
                EXPECT_EQ(out.data.installed.ToString(), "3.4.0.0");
                EXPECT_EQ(out.data.servers, QStringList({"http://a/", "http://b/"}));
                EXPECT_EQ(out.data.notes, "notes\r\n");
                EXPECT_EQ(out.data.caption, "Update - scrivlet");
            } else if (silent) {
                EXPECT_TRUE(shown.isEmpty());
            } else {
                ASSERT_EQ(shown.size(), 1);
                EXPECT_EQ(shown[0].kind, MessageKind::Plain);
                EXPECT_EQ(shown[0].text, "The current version is up to date.");
                EXPECT_EQ(shown[0].caption, "Update - scrivlet");
            }
        }
    }
}

TEST_F(UpdaterFlow, QuerySendsIdentificationAndHeaders)
{
    Answer("x\n");
    RunCheck(true);
    ASSERT_EQ(server.requests.size(), 1);
    const TestServer::Request& r = server.requests[0];
    EXPECT_EQ(r.method, "GET");
    const QString expected = QueryPath(1, MacFromAdapters(ReadAdapters()), CpuidText(),
                                       ParseVersionPrefix("3.4.0.0"));
    EXPECT_EQ(QString::fromLatin1(r.path), expected);
    EXPECT_EQ(r.headers.value("user-agent"), "127.0.0.1");
    EXPECT_EQ(r.headers.value("accept"), "*/*");
    EXPECT_EQ(r.headers.value("cache-control"), "no-cache");
}

// Every row of the failure table that ends before the dialog.
TEST_F(UpdaterFlow, FailuresInNormalAndSilentMode)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        int exitCode;
        MessageKind kind;
        const char* normalText;   // nullptr: nothing shown in normal mode either
    };
    const QByteArray newer = "scrivlet_9.0.0.0.run\nhttp://a/\n";
    const Case cases[] = {
        {"no line end", [&] { Answer("scrivlet_9.0.0.0.run"); }, 0, MessageKind::Information,
         "The current version is up to date."},
        {"no underscore", [&] { Answer("scrivlet-9.0.0.0.run\nhttp://a/\n"); }, 0, MessageKind::Plain, nullptr},
        {"server error", [&] { TestServer::Reply r; r.status = 500; r.body = newer + QByteArray(600, 'x');
                               server.Route("/version.asp*", r); }, 0, MessageKind::Plain, nullptr},
        {"unreadable target", [&] { Answer(newer); WriteTarget("#!/bin/sh\necho no version\n"); },
         0, MessageKind::Plain, nullptr},
        {"target never ends", [&] { Answer(newer); WriteTarget("#!/bin/sh\nexec sleep 30\n"); },
         0, MessageKind::Plain, nullptr},
        {"no connection", [&] { options.server.port = 1; }, 0, MessageKind::Error, "Cannot connect to web."},
        {"server never answers", [&] { TestServer::Reply r; r.hang = true; server.Route("/version.asp*", r); },
         0, MessageKind::Plain, nullptr},
    };
    options.versionTimeoutMs = 1000;
    for (const Case& c : cases) {
        for (bool silent : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (silent ? " silent" : " normal"));
            SetUp();
            c.arrange();
            shown.clear();
            QElapsedTimer t;
            t.start();
            const CheckOutcome out = RunCheck(silent);
            EXPECT_LT(t.elapsed(), 8000);
            EXPECT_FALSE(out.offer);
            EXPECT_EQ(out.exitCode, c.exitCode);
            if (silent || !c.normalText) {
                EXPECT_TRUE(shown.isEmpty());
            } else {
                ASSERT_EQ(shown.size(), 1);
                EXPECT_EQ(shown[0].kind, c.kind);
                EXPECT_EQ(shown[0].text, c.normalText);
            }
        }
    }
    // Without an identifier nothing happens at all.
    EXPECT_EQ(Check(ParseCommandLine({"scrivlet"}), options).exitCode, -1);
}

TEST_F(UpdaterFlow, InstallerNameFromServerMustBePlain)
{
    for (const char* name : {"../../.bashrc_9.0.0.0", "sub/dir_9.0.0.0.run", "..\\x_9.0.0.0", "/tmp/x_9.0.0.0"}) {
        for (bool silent : {false, true}) {
            SCOPED_TRACE(name);
            Answer(QByteArray(name) + "\nhttp://a/\nnotes\n");
            shown.clear();
            const CheckOutcome out = RunCheck(silent);
            EXPECT_FALSE(out.offer);
            EXPECT_TRUE(shown.isEmpty());
        }
    }
}

TEST_F(UpdaterFlow, FailedFirstServerReenablesUpdateAndSecondSucceeds)
{
    QByteArray installer(300 * 1024, 'i');
    TestServer::Reply good;
    good.body = installer;
    good.chunks = 12;
    server.Route("/good/scrivlet_3.5.0.0.run", good);
    const QString bad = server.Base() + "missing/";
    CUpdateDialog dlg(MakeOffer({bad, server.Base() + "good/", "http://127.0.0.1:1/"}), options);
    dlg.show();

    EXPECT_EQ(dlg.windowTitle(), "Update - scrivlet");
    EXPECT_EQ(dlg.yourVersionEdit()->text(), "3.4.0.0");
    EXPECT_EQ(dlg.latestVersionEdit()->text(), "3.5.0.0");
    EXPECT_EQ(dlg.serverCombo()->count(), 3);
    EXPECT_EQ(dlg.serverCombo()->currentText(), bad);
    EXPECT_FALSE(dlg.progressBar()->isVisible());
    EXPECT_TRUE(dlg.updateButton()->isDefault());

    dlg.updateButton()->click();
    EXPECT_FALSE(dlg.updateButton()->isEnabled());
    EXPECT_TRUE(dlg.progressBar()->isVisible());
    ASSERT_TRUE(WaitFor([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown[0].text, "cannot download file, please try other url.");
    EXPECT_EQ(shown[0].caption, "Update - scrivlet");
    EXPECT_TRUE(dlg.updateButton()->isEnabled());
    EXPECT_FALSE(dlg.progressBar()->isVisible());
    EXPECT_FALSE(dlg.percentLabel()->isVisible());
    // The error page was not saved as the installer, and nothing is left behind.
    EXPECT_TRUE(QDir(tempRoot.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    QList<int> during;   // bar values set while the transfer was still running
    QObject::connect(dlg.progressBar(), &QProgressBar::valueChanged, [&](int v) {
        if (dlg.Downloading())
            during << v;
    });
    shown.clear();
    dlg.serverCombo()->setCurrentIndex(1);
    dlg.updateButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !launched.isEmpty(); }));

    // The bar stays at or below 90 until the file is complete.
    ASSERT_FALSE(during.isEmpty());
    for (int v : during)
        EXPECT_LE(v, 90);
    EXPECT_EQ(dlg.progressBar()->value(), 100);
    EXPECT_EQ(dlg.percentLabel()->text(), "100%");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, "Download Finished, Update Now?");

    const QString path = launched[0];
    EXPECT_EQ(path, dlg.DownloadPath());
    EXPECT_EQ(QFileInfo(path).fileName(), "scrivlet_3.5.0.0.run");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), installer);
    EXPECT_TRUE(QFileInfo(path).isExecutable());
    // Downloaded into a fresh folder that only this user can enter.
    const QFileInfo folder(QFileInfo(path).absolutePath());
    EXPECT_EQ(folder.absolutePath(), QFileInfo(tempRoot.path()).absoluteFilePath());
    EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());

    const QString dash = QString(74, QChar('-'));
    const QString expectedLog = "What is new:\r\n- faster\r\n"
        "\r\n" + dash + "\r\nBegin download: scrivlet_3.5.0.0.run\r\nDownload to: " +
        dlg.LogText().section("Download to: ", 1, 1).section("\r\n", 0, 0) + "\r\n"
        "\r\n" + dash + "\r\nBegin download: scrivlet_3.5.0.0.run\r\nDownload to: " + path +
        "\r\nDownload over\r\n";
    EXPECT_EQ(dlg.LogText(), expectedLog);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(UpdaterFlow, OneLineAnswerFailsWithTryLater)
{
    Answer("scrivlet_3.5.0.0.run\n");
    const CheckOutcome out = RunCheck(false);
    ASSERT_TRUE(out.offer);
    CUpdateDialog dlg(out.data, options);
    dlg.show();
    EXPECT_EQ(dlg.serverCombo()->count(), 1);
    EXPECT_EQ(dlg.serverCombo()->currentText(), "");
    EXPECT_EQ(dlg.notesEdit()->toPlainText(), "");
    dlg.updateButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown[0].text, "Cannot download, try later.");
    EXPECT_FALSE(dlg.updateButton()->isEnabled());
    EXPECT_TRUE(launched.isEmpty());
}

TEST_F(UpdaterFlow, DownloadRefusesNonWebServersAndTimesOut)
{
    TestServer::Reply hang;
    hang.hang = true;
    server.Route("/hang/*", hang);
    CUpdateDialog dlg(MakeOffer({"file:///etc/", server.Base() + "hang/"}), options);
    dlg.show();
    dlg.updateButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown[0].text, "cannot download file, please try other url.");

    shown.clear();
    dlg.serverCombo()->setCurrentIndex(1);
    QElapsedTimer t;
    t.start();
    dlg.updateButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !shown.isEmpty(); }));
    EXPECT_LT(t.elapsed(), 8000);
    EXPECT_EQ(shown[0].text, "cannot download file, please try other url.");
    EXPECT_TRUE(launched.isEmpty());
}

TEST_F(UpdaterFlow, CancelAsksAndClosesDuringDownload)
{
    TestServer::Reply hang;
    hang.hang = true;
    server.Route("/hang/*", hang);
    options.readTimeoutMs = options.connectTimeoutMs = 60000;
    CUpdateDialog dlg(MakeOffer({server.Base() + "hang/"}), options);
    dlg.show();
    dlg.updateButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !server.requests.isEmpty(); }));

    answer = QMessageBox::No;
    dlg.cancelButton()->click();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, MessageKind::Question);
    EXPECT_EQ(shown[0].text, "Are you sure cancel update?");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.Downloading());

    answer = QMessageBox::Yes;
    dlg.cancelButton()->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(dlg.Downloading());
    // The aborted download reports nothing afterwards and, having received
    // nothing, leaves no empty file behind.
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(shown.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(dlg.DownloadPath()));
}

// The program itself: no identifier means exit -1 at once; with one, the
// service named by MARLIN_UPDATE_SERVER is asked and, in silent mode with
// nothing newer, marlin ends with 0 without showing anything.
TEST_F(UpdaterFlow, ProgramHonoursServerOverride)
{
    const QString built = QStringLiteral(SV_BIN_DIR "/marlin");
    if (!QFileInfo::exists(built))
        GTEST_SKIP() << "marlin is not built";
    const QString marlin = programDir.filePath("marlin");
    ASSERT_TRUE(QFile::copy(built, marlin));
    Answer("scrivlet_3.4.0.0.run\nhttp://a/\n");

    auto run = [&](const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MARLIN_UPDATE_SERVER", QStringLiteral("127.0.0.1:%1").arg(server.serverPort()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(marlin, args);
        EXPECT_TRUE(p.waitForStarted(5000));
        // Keep serving while the child runs.
        EXPECT_TRUE(WaitFor([&] { return p.state() == QProcess::NotRunning; }, 20000));
        return p.exitCode();
    };
    EXPECT_EQ(run({"scrivlet"}), 255);
    EXPECT_TRUE(server.requests.isEmpty());
    EXPECT_EQ(run({"-id:1", "scrivlet", "-s"}), 0);
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_TRUE(server.requests[0].path.startsWith("/version.asp?id=1&mac="));
    EXPECT_TRUE(server.requests[0].path.endsWith("&version=3.4.0.0"));
}
