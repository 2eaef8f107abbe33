// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Small misbehaving cameras on 127.0.0.1 for the media control's tests. Each
// lives in the test's thread and stops when the object goes.
#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <optional>

namespace media_test {

class LoopbackServer : public QObject {
public:
    enum class Behaviour {
        Silent, // accepts the connection and never answers
        JpegParts, // a multipart stream of one fixed picture, as often as asked
        RawPictures, // the picture's bytes over and over, without multipart framing
        FloodJpegParts, // a multipart stream of one fixed picture, hundreds at a time
    };

    // With `tls` the camera speaks https (QSslServer) with that certificate.
    explicit LoopbackServer(Behaviour behaviour, QByteArray picture = {},
        QByteArray contentType = "multipart/x-mixed-replace; boundary=myboundary",
        std::optional<QSslConfiguration> tls = std::nullopt);
    ~LoopbackServer() override;

    bool listening() const { return m_server->isListening(); }
    QString url() const;
    int connections() const { return m_connections; }
    // Connections the viewer closed.
    int closedByClient() const { return m_closedByClient; }

private:
    void onConnection();
    void sendPartToAll();

    Behaviour m_behaviour;
    QByteArray m_picture;
    QByteArray m_contentType;
    std::unique_ptr<QTcpServer> m_server;
    QTimer m_timer;
    QList<QPointer<QTcpSocket>> m_streaming;
    int m_connections = 0;
    int m_closedByClient = 0;
};

// A camera that answers every request with 401 and the challenge it is set
// to, and keeps the Authorization and User-Agent headers it was sent.
class ChallengeServer : public QObject {
public:
    ChallengeServer();
    ~ChallengeServer() override;

    // For example "Digest realm=\"cam\", nonce=\"1\", qop=\"auth\"" or "Basic realm=\"cam\"".
    void setChallenge(QByteArray challenge) { m_challenge = std::move(challenge); }
    QString url() const;
    const QList<QByteArray>& authorizations() const { return m_authorizations; }
    const QList<QByteArray>& userAgents() const { return m_userAgents; }
    int requests() const { return m_requests; }

private:
    QTcpServer m_server;
    QByteArray m_challenge;
    QList<QByteArray> m_authorizations;
    QList<QByteArray> m_userAgents;
    int m_requests = 0;
};

} // namespace media_test
