#pragma once
// A small HTTP/1.0 server on 127.0.0.1 for the updater tests, served by the
// test's own event loop (the updater waits in nested event loops).
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

class TestServer : public QTcpServer {
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        bool hang = false;       // accept, read the request, never answer
        int chunks = 1;          // body sent in this many pieces, one per event-loop turn
    };
    struct Request {
        QByteArray method, path, version;
        QHash<QByteArray, QByteArray> headers;   // lower-case names
    };

    TestServer() { listen(QHostAddress::LocalHost, 0); }

    // Replies are chosen by path; a key ending in "*" matches a prefix.
    void Route(const QByteArray& path, const Reply& reply) { routes[path] = reply; }
    QString Base() const { return QStringLiteral("http://127.0.0.1:%1/").arg(serverPort()); }
    QList<Request> requests;

protected:
    void incomingConnection(qintptr fd) override
    {
        auto* s = new QTcpSocket(this);
        s->setSocketDescriptor(fd);
        auto* buffer = new QByteArray;
        connect(s, &QTcpSocket::readyRead, this, [this, s, buffer] {
            *buffer += s->readAll();
            const int end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            Request req;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            req.method = first.value(0);
            req.path = first.value(1);
            req.version = first.value(2);
            for (int i = 1; i < lines.size(); ++i) {
                const int colon = lines[i].indexOf(':');
                if (colon > 0)
                    req.headers[lines[i].left(colon).trimmed().toLower()] = lines[i].mid(colon + 1).trimmed();
            }
            buffer->clear();
            requests.append(req);
            Answer(s, Find(req.path));
        });
        connect(s, &QTcpSocket::disconnected, s, [s, buffer] { delete buffer; s->deleteLater(); });
    }

private:
    Reply Find(const QByteArray& path) const
    {
        if (routes.contains(path))
            return routes[path];
        for (auto it = routes.begin(); it != routes.end(); ++it)
            if (it.key().endsWith('*') && path.startsWith(it.key().chopped(1)))
                return it.value();
        Reply notFound;
        notFound.status = 404;
        notFound.body = "not found";
        return notFound;
    }

    void Answer(QTcpSocket* s, const Reply& r)
    {
        if (r.hang)
            return;
        QByteArray head = "HTTP/1.0 " + QByteArray::number(r.status)
            + (r.status == 200 ? " OK" : " Error") + "\r\nContent-Type: application/octet-stream"
            + "\r\nContent-Length: " + QByteArray::number(r.body.size())
            + "\r\nConnection: close\r\n\r\n";
        s->write(head);
        SendChunks(QPointer<QTcpSocket>(s), r.body, qMax(1, r.chunks), 0);
    }

    void SendChunks(QPointer<QTcpSocket> s, QByteArray body, int chunks, int index)
    {
        if (!s)
            return;
        const int size = int((body.size() + chunks - 1) / chunks);
        s->write(body.mid(index * size, size));
        s->flush();
        if (index + 1 < chunks) {
            QTimer::singleShot(3, this, [=] { SendChunks(s, body, chunks, index + 1); });
        } else {
            s->disconnectFromHost();
        }
    }

    QHash<QByteArray, Reply> routes;
};
