// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/testcam/camera_server.h"

#include "tools/testcam/frame_source.h"
#include "tools/testcam/http_request.h"

#include <QTcpSocket>

#include <algorithm>
#include <cmath>

namespace testcam {

namespace {

// A client that has not sent its request head by then is dropped.
constexpr int kRequestTimeoutMs = 10000;

const QByteArray kStreamHeaders = "Content-Type: multipart/x-mixed-replace; boundary=myboundary\r\n"
                                  "Cache-Control: no-cache, no-store\r\n"
                                  "Pragma: no-cache\r\n";

QByteArray indexPage(int port)
{
    return QByteArray("<!DOCTYPE html>\n<html><head><title>veskat-testcam</title></head><body>\n"
                      "<h1>veskat-testcam, port ")
        + QByteArray::number(port)
        + "</h1>\n<p><a href=\"/axis-cgi/mjpg/video.cgi\">Live stream</a></p>\n</body></html>\n";
}

long long epochMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

struct CameraServer::Client {
    enum class State { ReadingRequest, Streaming, Stalled, Closing };
    QTcpSocket* socket = nullptr;
    QByteArray head;
    State state = State::ReadingRequest;
    long long picturesSent = 0;
    bool gone = false;
};

CameraServer::CameraServer(int index, const Options& options, FrameSource& source, const HttpAuth& auth,
    std::chrono::steady_clock::time_point epoch, QObject* parent)
    : QObject(parent)
    , m_index(index)
    , m_port(options.port == 0 ? 0 : options.port + index)
    , m_options(options)
    , m_source(source)
    , m_auth(auth)
    , m_epoch(epoch)
    , m_period(std::chrono::nanoseconds(static_cast<long long>(std::llround(1e9 / options.fps))))
{
    m_server.setMaxPendingConnections(64);
    connect(&m_server, &QTcpServer::newConnection, this, &CameraServer::onNewConnection);
    m_tickTimer.setSingleShot(true);
    m_tickTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_tickTimer, &QTimer::timeout, this, &CameraServer::onTick);
}

CameraServer::~CameraServer()
{
    for (auto& c : m_clients) {
        c->socket->disconnect(this);
        c->socket->abort();
        delete c->socket;
    }
}

bool CameraServer::listen()
{
    if (!m_heldPort.held()) {
        if (m_server.listen(QHostAddress::LocalHost, static_cast<quint16>(m_port))) {
            m_port = m_server.serverPort();
            return true;
        }
        m_error = m_server.errorString();
        return false;
    }
    if (m_heldPort.listenInto(m_server))
        return true;
    m_error = m_heldPort.error();
    return false;
}

bool CameraServer::holdPort()
{
    if (m_heldPort.bind(m_port)) {
        m_port = m_heldPort.port();
        return true;
    }
    m_error = m_heldPort.error();
    return false;
}

void CameraServer::startClock()
{
    scheduleNextTick();
}

void CameraServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto client = std::make_unique<Client>();
        client->socket = socket;
        Client* c = client.get();
        m_clients.push_back(std::move(client));
        connect(socket, &QTcpSocket::readyRead, this, [this, c] { onReadyRead(c); });
        connect(socket, &QTcpSocket::disconnected, this, [this, c] { removeClient(c); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, c] { removeClient(c); });
        QTimer::singleShot(kRequestTimeoutMs, socket, [socket] {
            if (socket->property("veskatRequestDone").toBool())
                return;
            socket->abort();
        });
        onReadyRead(c);
    }
}

void CameraServer::onReadyRead(Client* client)
{
    if (client->gone)
        return;
    if (client->state != Client::State::ReadingRequest) {
        client->socket->readAll(); // a streaming client has nothing more to say
        return;
    }
    client->head += client->socket->readAll();
    HttpRequest request;
    switch (parseRequest(client->head, request)) {
    case ParseStatus::Incomplete:
        return;
    case ParseStatus::Invalid:
        client->socket->setProperty("veskatRequestDone", true);
        respond(client, "400 Bad Request", "text/plain", "Bad request\n");
        return;
    case ParseStatus::Complete:
        client->socket->setProperty("veskatRequestDone", true);
        client->head.clear();
        handleRequest(client, request);
        return;
    }
}

void CameraServer::handleRequest(Client* client, const HttpRequest& request)
{
    const bool head = request.method == "HEAD";
    if (request.method != "GET" && !head) {
        respond(
            client, "405 Method Not Allowed", "text/plain", "Only GET and HEAD\n", "Allow: GET, HEAD\r\n");
        return;
    }
    const bool stream = request.path == "/axis-cgi/mjpg/video.cgi";
    const bool page = request.path == "/" || request.path == "/index.html";
    if (!stream && !page) {
        respond(client, "404 Not Found", "text/html",
            "<!DOCTYPE html>\n<html><body><h1>404 Not Found</h1></body></html>\n", {}, head);
        return;
    }
    if (!m_auth.accepts(request.method, request.target, request.header("Authorization"))) {
        respond(client, "401 Unauthorized", "text/html",
            "<!DOCTYPE html>\n<html><body><h1>401 Unauthorized</h1></body></html>\n",
            "WWW-Authenticate: " + m_auth.challenge() + "\r\n", head);
        return;
    }
    if (page) {
        respond(client, "200 OK", "text/html", indexPage(m_port), {}, head);
        return;
    }
    startStream(client, head);
}

void CameraServer::respond(Client* client, const QByteArray& status, const QByteArray& contentType,
    const QByteArray& body, const QByteArray& extraHeaders, bool headOnly)
{
    QByteArray out = "HTTP/1.0 " + status + "\r\nContent-Type: " + contentType + "\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n" + extraHeaders + "Connection: close\r\n\r\n";
    if (!headOnly)
        out += body;
    client->state = Client::State::Closing;
    client->socket->write(out);
    client->socket->disconnectFromHost();
}

void CameraServer::startStream(Client* client, bool headOnly)
{
    client->socket->write("HTTP/1.0 200 OK\r\n" + kStreamHeaders + "Connection: close\r\n\r\n");
    if (headOnly) {
        client->state = Client::State::Closing;
        client->socket->disconnectFromHost();
        return;
    }
    // The kernel's buffer holds about two pictures: a slow client then loses
    // pictures instead of falling seconds behind.
    const double picture = std::max(64.0 * 1024, m_source.averageBytes());
    client->socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, static_cast<int>(picture));
    client->socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    client->state = Client::State::Streaming;
    finishAfterQuota(client);
}

void CameraServer::finishAfterQuota(Client* client)
{
    if (m_options.dropAfter >= 0 && client->picturesSent >= m_options.dropAfter) {
        client->state = Client::State::Closing;
        client->socket->disconnectFromHost();
    } else if (m_options.stallAfter >= 0 && client->picturesSent >= m_options.stallAfter) {
        client->state = Client::State::Stalled;
    }
}

void CameraServer::removeClient(Client* client)
{
    if (client->gone)
        return;
    client->gone = true;
    // Deferred: this runs from socket signals, possibly while onTick walks the list.
    QMetaObject::invokeMethod(
        this,
        [this] {
            auto dead = std::stable_partition(
                m_clients.begin(), m_clients.end(), [](const auto& c) { return !c->gone; });
            for (auto it = dead; it != m_clients.end(); ++it) {
                (*it)->socket->disconnect(this);
                (*it)->socket->deleteLater();
            }
            m_clients.erase(dead, m_clients.end());
        },
        Qt::QueuedConnection);
}

void CameraServer::onTick()
{
    const auto now = std::chrono::steady_clock::now();
    if (now < m_epoch + m_nextTick * m_period) {
        scheduleNextTick(); // woke early
        return;
    }
    // The newest due picture; ticks missed while the process was busy are
    // skipped rather than sent in a burst, so the counter jumps like a real camera's.
    const long long counter = (now - m_epoch) / m_period;
    m_nextTick = counter + 1;

    std::vector<Client*> ready;
    for (auto& c : m_clients) {
        if (c->gone || c->state != Client::State::Streaming)
            continue;
        // Qt has not yet handed the previous picture to the kernel, whose
        // buffer is full: this client cannot keep up, so it misses this one.
        if (c->socket->bytesToWrite() > 0) {
            ++m_picturesSkipped;
            continue;
        }
        ready.push_back(c.get());
    }
    if (!ready.empty()) {
        const long long sendTime = epochMicroseconds();
        const QByteArray jpeg = m_source.picture(m_index, m_port, counter, sendTime);
        if (!jpeg.isEmpty()) {
            QByteArray part;
            part.reserve(jpeg.size() + 160);
            part += "--myboundary\r\nContent-Type: image/jpeg\r\nContent-Length: "
                + QByteArray::number(jpeg.size())
                + "\r\nX-Send-Time-Us: " + QByteArray::number(epochMicroseconds())
                + "\r\nX-Frame: " + QByteArray::number(counter) + "\r\n\r\n";
            part += jpeg;
            part += "\r\n";
            for (Client* c : ready) {
                c->socket->write(part);
                ++c->picturesSent;
                ++m_picturesSent;
                finishAfterQuota(c);
            }
        }
    }
    scheduleNextTick();
}

void CameraServer::scheduleNextTick()
{
    const auto due = m_epoch + m_nextTick * m_period;
    const auto wait = due - std::chrono::steady_clock::now();
    // Rounded up to whole milliseconds, so that the timer never fires before the picture is due.
    const long long ms = std::max<long long>(0, (wait.count() + 999999) / 1000000);
    m_tickTimer.start(static_cast<int>(std::min<long long>(ms, 1000000)));
}

} // namespace testcam
