#include "platform/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>
#include <unistd.h>

namespace {

const char kMagic[4] = {'S', 'V', 'H', 'O'};
constexpr int kHeaderSize = 8;
// A hand-over carries a directory and some paths; anything larger is not ours.
constexpr quint32 kMaxBody = 16u * 1024u * 1024u;
constexpr char kAck = 'A';
constexpr int kIdleTimeoutMs = 10000;

} // namespace

SingleInstance::SingleInstance(QObject* parent) : SingleInstance(DefaultServerName(), parent) {}

SingleInstance::SingleInstance(const QString& serverName, QObject* parent)
    : QObject(parent), name(serverName)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultServerName()
{
    const QString base = QStringLiteral("scrivlet-%1").arg(::getuid());
    // The per-user runtime folder is private to the user; a plain name would
    // land in the shared temporary folder.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return runtime + QLatin1Char('/') + base + QStringLiteral(".sock");
    return base;
}

QByteArray SingleInstance::EncodeMessage(const QString& dir, const QStringList& args)
{
    QByteArray body;
    if (!args.isEmpty()) {
        body += dir.toUtf8();
        body += '\0';
        for (const QString& a : args) {
            body += a.toUtf8();
            body += '\0';
        }
    }
    QByteArray msg(kMagic, 4);
    char len[4];
    qToBigEndian<quint32>(quint32(body.size()), len);
    msg.append(len, 4);
    msg += body;
    return msg;
}

bool SingleInstance::DecodeBody(const QByteArray& body, QString& dir, QStringList& args)
{
    dir.clear();
    args.clear();
    if (body.isEmpty())
        return true;
    if (!body.endsWith('\0'))
        return false;
    QList<QByteArray> parts = body.left(body.size() - 1).split('\0');
    dir = QString::fromUtf8(parts.takeFirst());
    for (const QByteArray& p : parts)
        args.append(QString::fromUtf8(p));
    return true;
}

bool SingleInstance::TryHandOver(const QString& currentDir, const QStringList& args, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    const QByteArray msg = EncodeMessage(currentDir, args);
    socket.write(msg);
    QElapsedTimer timer;
    timer.start();
    while (socket.bytesToWrite() > 0) {
        int left = timeoutMs - int(timer.elapsed());
        if (left <= 0 || !socket.waitForBytesWritten(left))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        int left = timeoutMs - int(timer.elapsed());
        if (left <= 0 || !socket.waitForReadyRead(left))
            return false;
    }
    char ack = 0;
    socket.read(&ack, 1);
    socket.disconnectFromServer();
    return ack == kAck;
}

bool SingleInstance::IsListening() const
{
    return server && server->isListening();
}

bool SingleInstance::Listen()
{
    if (IsListening())
        return true;
    if (!server) {
        server = new QLocalServer(this);
        server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    }
    // Someone answering on the name is a live instance: leave it alone.
    // (Listening first is no test: with private access the socket is made
    // elsewhere and renamed into place, which would replace a live one.)
    {
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(1000)) {
            probe.abort();
            return false;
        }
    }
    if (server->listen(name))
        return true;
    // Nobody answers: a socket left behind by an instance that crashed.
    QLocalServer::removeServer(name);
    return server->listen(name);
}

void SingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that connects and never completes its message is dropped.
        QTimer::singleShot(kIdleTimeoutMs, socket, [socket] {
            if (!socket->property("sv_done").toBool())
                socket->abort();
        });
        QPointer<QLocalSocket> guard(socket);
        connect(socket, &QLocalSocket::readyRead, this, [this, guard] {
            if (guard)
                OnReadyRead(guard);
        });
        if (socket->bytesAvailable() > 0)
            OnReadyRead(socket);
    }
}

void SingleInstance::OnReadyRead(QLocalSocket* socket)
{
    if (socket->property("sv_done").toBool())
        return;
    if (socket->bytesAvailable() < kHeaderSize)
        return;
    QByteArray header = socket->peek(kHeaderSize);
    if (!header.startsWith(QByteArray(kMagic, 4))) {
        socket->setProperty("sv_done", true);
        socket->abort();
        return;
    }
    const quint32 len = qFromBigEndian<quint32>(header.constData() + 4);
    if (len > kMaxBody) {
        socket->setProperty("sv_done", true);
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < qint64(kHeaderSize) + qint64(len))
        return;
    socket->read(kHeaderSize);
    const QByteArray body = socket->read(len);
    socket->setProperty("sv_done", true);

    QString dir;
    QStringList args;
    if (!DecodeBody(body, dir, args)) {
        socket->abort();
        return;
    }
    // Acknowledge first so the second start can end while files open here.
    socket->write(&kAck, 1);
    socket->flush();
    socket->disconnectFromServer();
    emit handOver(dir, args, !body.isEmpty());
}
