#pragma once
// One running editor per user. The running instance listens on a local
// socket under a per-user name; a second start connects, hands over its
// current directory and arguments and ends.
//
// Message (second start -> running instance): "SVHO", a 32-bit big-endian
// byte count, then that many bytes of UTF-8: the directory and each argument,
// each ended by a NUL. A count of 0 carries no data and only activates the
// running instance. The running instance answers with one byte, 'A'.
//
//   SingleInstance instance;
//   if (!allowMultiple && instance.TryHandOver(QDir::currentPath(), args))
//       return 0;                     // the running one has it now
//   instance.Listen();                // failure: run without a listener
//   connect(&instance, &SingleInstance::handOver, ...);
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The default name is per user (it carries the uid) and lives in
    // $XDG_RUNTIME_DIR when that exists; tests pass a name of their own.
    explicit SingleInstance(QObject* parent = nullptr);
    explicit SingleInstance(const QString& serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString DefaultServerName();
    QString ServerName() const { return name; }

    // Second start: hands directory and arguments (program path not included)
    // to the running instance; no arguments -> an empty message that only
    // activates it. True when the running instance acknowledged it; false
    // when no instance answers (start normally then).
    bool TryHandOver(const QString& currentDir, const QStringList& args, int timeoutMs = 5000);

    // Running instance: starts listening. A socket file left behind by a
    // crashed instance (nobody answers on it) is removed first. False when
    // another live instance already listens or the socket cannot be created.
    bool Listen();
    bool IsListening() const;

    // Builds and parses the message body (exposed for tests).
    static QByteArray EncodeMessage(const QString& dir, const QStringList& args);
    static bool DecodeBody(const QByteArray& body, QString& dir, QStringList& args);

signals:
    // hasData is false for a start without arguments (activate only).
    void handOver(QString dir, QStringList args, bool hasData);

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QString name;
    QLocalServer* server = nullptr;
};
