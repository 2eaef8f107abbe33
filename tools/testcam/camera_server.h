// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One test camera: listens on its port of 127.0.0.1, answers HTTP requests and
// streams Motion-JPEG to any number of clients, paced by the steady clock.
// Lives on the main thread's event loop; nothing here is thread-safe.
#include "tools/testcam/held_port.h"
#include "tools/testcam/http_auth.h"
#include "tools/testcam/options.h"

#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <chrono>
#include <memory>
#include <vector>

class QTcpSocket;

namespace testcam {

class FrameSource;
struct HttpRequest;

class CameraServer : public QObject {
    Q_OBJECT
public:
    // `epoch` is when picture 0 is due; cameras get different epochs so that
    // their pictures do not all leave at the same instant.
    CameraServer(int index, const Options& options, FrameSource& source, const HttpAuth& auth,
        std::chrono::steady_clock::time_point epoch, QObject* parent = nullptr);
    ~CameraServer() override;

    // With --port 0 this is 0 until listen() or holdPort() has bound a free port.
    int port() const { return m_port; }
    // False (with errorString()) when the port cannot be bound.
    bool listen();
    // Binds the port without listening: connections are refused until
    // listen(), and nothing else can take the port in between.
    bool holdPort();
    QString errorString() const { return m_error; }
    // Starts the picture clock; pictures go to clients while it runs.
    void startClock();

    // Counters for the end-of-run summary.
    long long picturesSent() const { return m_picturesSent; }
    long long picturesSkipped() const { return m_picturesSkipped; }

private:
    struct Client;

    void onNewConnection();
    void onReadyRead(Client* client);
    void handleRequest(Client* client, const HttpRequest& request);
    void respond(Client* client, const QByteArray& status, const QByteArray& contentType,
        const QByteArray& body, const QByteArray& extraHeaders = {}, bool headOnly = false);
    void startStream(Client* client, bool headOnly);
    void finishAfterQuota(Client* client);
    void removeClient(Client* client);
    void onTick();
    void scheduleNextTick();

    int m_index;
    int m_port;
    Options m_options;
    FrameSource& m_source;
    const HttpAuth& m_auth;
    QTcpServer m_server;
    HeldPort m_heldPort;
    QString m_error;
    QTimer m_tickTimer;
    std::chrono::steady_clock::time_point m_epoch;
    std::chrono::nanoseconds m_period;
    long long m_nextTick = 0;
    std::vector<std::unique_ptr<Client>> m_clients;
    long long m_picturesSent = 0;
    long long m_picturesSkipped = 0;
};

} // namespace testcam
