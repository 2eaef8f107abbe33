// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/media/control/loopback_servers.h"

#include <QSslServer>

namespace media_test {

LoopbackServer::LoopbackServer(
    Behaviour behaviour, QByteArray picture, QByteArray contentType, std::optional<QSslConfiguration> tls)
    : m_behaviour(behaviour)
    , m_picture(std::move(picture))
    , m_contentType(std::move(contentType))
{
    if (tls) {
        auto* server = new QSslServer;
        server->setSslConfiguration(*tls);
        m_server.reset(server);
    } else {
        m_server = std::make_unique<QTcpServer>();
    }
    m_server->listen(QHostAddress::LocalHost, 0);
    // A TLS connection is pending only once its handshake is done.
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, &LoopbackServer::onConnection);
    connect(&m_timer, &QTimer::timeout, this, &LoopbackServer::sendPartToAll);
    m_timer.start(40);
}

LoopbackServer::~LoopbackServer()
{
    m_timer.stop();
    for (const QPointer<QTcpSocket>& socket : m_streaming) {
        if (socket)
            socket->abort();
    }
    m_server->close();
}

QString LoopbackServer::url() const
{
    const bool tls = qobject_cast<const QSslServer*>(m_server.get()) != nullptr;
    return QStringLiteral("%1://127.0.0.1:%2/axis-cgi/mjpg/video.cgi")
        .arg(tls ? "https" : "http")
        .arg(m_server->serverPort());
}

void LoopbackServer::onConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        ++m_connections;
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, this, [this] { ++m_closedByClient; });
        if (m_behaviour == Behaviour::Silent)
            continue; // keep the socket open, read nothing, say nothing
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const QByteArray request = socket->peek(64 * 1024);
            if (!request.contains("\r\n\r\n") || m_streaming.contains(socket))
                return;
            socket->readAll();
            const QByteArray type
                = m_contentType.isEmpty() ? QByteArray() : "Content-Type: " + m_contentType + "\r\n";
            socket->write(
                "HTTP/1.1 200 OK\r\n" + type + "Cache-Control: no-cache\r\nConnection: close\r\n\r\n");
            m_streaming.append(socket);
        });
    }
}

void LoopbackServer::sendPartToAll()
{
    const QByteArray& body = m_picture;
    const QByteArray part = m_behaviour == Behaviour::RawPictures
        ? body
        : "--myboundary\r\nContent-Type: image/jpeg\r\nContent-Length: " + QByteArray::number(body.size())
            + "\r\n\r\n" + body + "\r\n";
    // 200 parts every 40 ms: far more than any screen shows.
    const int repeat = m_behaviour == Behaviour::FloodJpegParts ? 200 : 1;
    for (const QPointer<QTcpSocket>& socket : m_streaming) {
        // A flood that nobody reads must not pile up in this process.
        if (socket && socket->state() == QAbstractSocket::ConnectedState
            && socket->bytesToWrite() < (1 << 20))
            socket->write(part.repeated(repeat));
    }
}

ChallengeServer::ChallengeServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                // Requests on a kept-alive connection follow each other.
                while (socket->peek(64 * 1024).contains("\r\n\r\n")) {
                    const QByteArray head = socket->peek(64 * 1024);
                    const QByteArray request = socket->read(head.indexOf("\r\n\r\n") + 4);
                    ++m_requests;
                    for (const QByteArray& line : request.split('\n')) {
                        if (line.toLower().startsWith("authorization:"))
                            m_authorizations.append(line.mid(14).trimmed());
                        if (line.toLower().startsWith("user-agent:"))
                            m_userAgents.append(line.mid(11).trimmed());
                    }
                    socket->write("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: " + m_challenge
                        + "\r\nContent-Length: 0\r\n\r\n");
                }
            });
        }
    });
}

ChallengeServer::~ChallengeServer()
{
    m_server.close();
}

QString ChallengeServer::url() const
{
    return QStringLiteral("http://127.0.0.1:%1/axis-cgi/mjpg/video.cgi").arg(m_server.serverPort());
}

} // namespace media_test
