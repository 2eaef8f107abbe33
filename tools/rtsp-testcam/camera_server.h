// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The RTSP server with one mount per camera (/cam0 ...), its credentials,
// session timeout and the connection faults. Created, started and ticked on
// the main thread (the default main context); the server's client thread
// only calls the session and media signal handlers, which touch no member.
#include "tools/rtsp-testcam/gst_handles.h"
#include "tools/rtsp-testcam/options.h"

#include <gio/gio.h>

#include <string>

namespace rtsptestcam {

class CameraServer {
public:
    explicit CameraServer(const Options& options);
    ~CameraServer();
    CameraServer(const CameraServer&) = delete;
    CameraServer& operator=(const CameraServer&) = delete;

    // Binds 127.0.0.1 and starts serving (with --refuse-for: binds now and
    // listens later). False, with `error`, when the port cannot be bound.
    bool start(std::string& error);
    int port() const { return m_port; }
    long long clientsServed() const { return m_clients; }

private:
    void addMounts();
    void setUpAuth();
    bool listenNow(std::string& error);
    bool holdPort(std::string& error);
    void listenOnHeldPort();
    static gboolean acceptHeld(GSocket* socket, GIOCondition, gpointer self);
    // Runs every quarter second: removes expired sessions and drops clients.
    void tick();
    static void onClientConnected(GstRTSPServer* server, GstRTSPClient* client, gpointer self);

    const Options& m_options;
    GObjectPtr<GstRTSPServer> m_server;
    // With --refuse-for: bound, but listening only later; accepted
    // connections are handed to the server.
    GObjectPtr<GSocket> m_heldSocket;
    guint m_heldSource = 0;
    guint m_tickSource = 0;
    guint m_serverSource = 0;
    int m_port = 0;
    long long m_clients = 0;
};

} // namespace rtsptestcam
