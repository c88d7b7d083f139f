#include <gtest/gtest.h>

#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <future>
#include <thread>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Runs the second start's blocking hand-over on another thread while this
// thread's event loop serves the running instance.
bool HandOverFromThread(const QString& name, const QString& dir, const QStringList& args,
                        int timeoutMs = 5000)
{
    auto result = std::async(std::launch::async, [=] {
        SingleInstance second(name);
        return second.TryHandOver(dir, args, timeoutMs);
    });
    while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return result.get();
}

class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString name() const { return dir.filePath("s.sock"); }
};

TEST_F(SingleInstanceTest, HandsOverDirectoryAndArguments)
{
    SingleInstance running(name());
    ASSERT_TRUE(running.Listen());
    QSignalSpy spy(&running, &SingleInstance::handOver);

    const QStringList args{"-line:4,3", "a b.txt", "\xC3\xBCnic\xC3\xB6" "de.txt"};
    EXPECT_TRUE(HandOverFromThread(name(), "/home/u/other dir", args));
    ASSERT_TRUE(spy.count() == 1 || spy.wait(2000));
    QList<QVariant> call = spy.takeFirst();
    EXPECT_EQ(call[0].toString(), "/home/u/other dir");
    EXPECT_EQ(call[1].toStringList(), args);
    EXPECT_TRUE(call[2].toBool());

    // Without arguments: an empty message that only activates.
    EXPECT_TRUE(HandOverFromThread(name(), "/ignored", {}));
    ASSERT_TRUE(spy.count() == 1 || spy.wait(2000));
    call = spy.takeFirst();
    EXPECT_TRUE(call[1].toStringList().isEmpty());
    EXPECT_FALSE(call[2].toBool());
}

TEST_F(SingleInstanceTest, NoRunningInstanceMeansStartNormally)
{
    SingleInstance second(name());
    EXPECT_FALSE(second.TryHandOver("/x", {"a"}, 500));
}

TEST_F(SingleInstanceTest, StaleSocketDoesNotBlockTheNextStart)
{
    // What a crashed instance leaves: a socket file nobody listens on.
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    QByteArray path = QFile::encodeName(name());
    ASSERT_LT(size_t(path.size()), sizeof(addr.sun_path));
    memcpy(addr.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(name()));

    SingleInstance second(name());
    EXPECT_FALSE(second.TryHandOver("/x", {"a"}, 500));
    ASSERT_TRUE(second.Listen());
    QSignalSpy spy(&second, &SingleInstance::handOver);
    EXPECT_TRUE(HandOverFromThread(name(), "/d", {"f"}));
    EXPECT_TRUE(spy.count() == 1 || spy.wait(2000));
}

TEST_F(SingleInstanceTest, LiveInstanceIsNotTakenOver)
{
    SingleInstance first(name());
    ASSERT_TRUE(first.Listen());
    SingleInstance second(name());
    EXPECT_FALSE(second.Listen());
    EXPECT_TRUE(first.IsListening());
}

TEST_F(SingleInstanceTest, ForeignDataIsRejected)
{
    SingleInstance running(name());
    ASSERT_TRUE(running.Listen());
    QSignalSpy spy(&running, &SingleInstance::handOver);
    auto sent = std::async(std::launch::async, [n = name()] {
        QLocalSocket s;
        s.connectToServer(n);
        if (!s.waitForConnected(2000))
            return false;
        s.write("GET / HTTP/1.0\r\n\r\n");
        s.waitForBytesWritten(2000);
        // The server drops us without an answer.
        s.waitForDisconnected(2000);
        return s.bytesAvailable() == 0;
    });
    while (sent.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(sent.get());
    EXPECT_EQ(spy.count(), 0);
}

TEST_F(SingleInstanceTest, MessageArrivingInPiecesIsAssembled)
{
    SingleInstance running(name());
    ASSERT_TRUE(running.Listen());
    QSignalSpy spy(&running, &SingleInstance::handOver);
    const QByteArray msg = SingleInstance::EncodeMessage("/dir", {"one.txt", "two.txt"});
    auto acked = std::async(std::launch::async, [n = name(), msg] {
        QLocalSocket s;
        s.connectToServer(n);
        if (!s.waitForConnected(2000))
            return false;
        for (int i = 0; i < msg.size(); i += 3) {
            s.write(msg.mid(i, 3));
            s.waitForBytesWritten(2000);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return s.waitForReadyRead(2000) && s.read(1) == "A";
    });
    while (acked.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(acked.get());
    ASSERT_TRUE(spy.count() == 1 || spy.wait(2000));
    EXPECT_EQ(spy[0][0].toString(), "/dir");
    EXPECT_EQ(spy[0][1].toStringList(), QStringList({"one.txt", "two.txt"}));
}

TEST(SingleInstanceMessage, BodyRoundTrip)
{
    QString dir;
    QStringList args;
    QByteArray msg = SingleInstance::EncodeMessage("/d", {"a", "", "c"});
    ASSERT_TRUE(SingleInstance::DecodeBody(msg.mid(8), dir, args));
    EXPECT_EQ(dir, "/d");
    EXPECT_EQ(args, QStringList({"a", "", "c"}));
    EXPECT_EQ(SingleInstance::EncodeMessage("/d", {}).size(), 8);
    EXPECT_FALSE(SingleInstance::DecodeBody("no terminator", dir, args));
}

} // namespace
