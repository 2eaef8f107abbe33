// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/rtsp-testcam/camera_server.h"

#include "tools/rtsp-testcam/media_faults.h"
#include "tools/rtsp-testcam/pipeline_launch.h"

#include <atomic>
#include <cstdio>

namespace rtsptestcam {

namespace {

constexpr char kRole[] = "viewer";
constexpr char kConnectedAt[] = "veskat-connected-at-us";
constexpr char kLastRequest[] = "veskat-last-request-us";

// Set on the client thread, read by the tick on the main thread.
using LastRequest = std::atomic<gint64>;

GstRTSPLowerTrans lowerTransports(Transports transports)
{
    switch (transports) {
    case Transports::TcpOnly:
        return GST_RTSP_LOWER_TRANS_TCP;
    case Transports::UdpOnly:
        return GST_RTSP_LOWER_TRANS_UDP;
    case Transports::Both:
        break;
    }
    return static_cast<GstRTSPLowerTrans>(GST_RTSP_LOWER_TRANS_TCP | GST_RTSP_LOWER_TRANS_UDP);
}

void onMediaConfigure(GstRTSPMediaFactory*, GstRTSPMedia* media, gpointer options)
{
    armMediaFaults(media, *static_cast<const Options*>(options));
}

void onNewSession(GstRTSPClient*, GstRTSPSession* session, gpointer options)
{
    gst_rtsp_session_set_timeout(
        session, static_cast<guint>(static_cast<const Options*>(options)->sessionTimeout));
    // The server grants 5 s beyond the announced timeout by default; the
    // fault is the announced timeout itself.
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(session), "extra-timeout"))
        g_object_set(session, "extra-timeout", 0u, nullptr);
    g_object_set_data_full(G_OBJECT(session), kLastRequest, new LastRequest(g_get_monotonic_time()),
        [](gpointer p) { delete static_cast<LastRequest*>(p); });
}

// Every request that names a session (the reply is about to go out): the
// only keep-alive the timeout counts.
void onSendMessage(GstRTSPClient* client, GstRTSPContext* context, GstRTSPMessage*, gpointer)
{
    gchar* header = nullptr;
    if (!context || !context->request
        || gst_rtsp_message_get_header(context->request, GST_RTSP_HDR_SESSION, &header, 0) != GST_RTSP_OK)
        return;
    const std::string id = std::string(header).substr(0, std::string(header).find(';'));
    const GObjectPtr<GstRTSPSessionPool> pool(gst_rtsp_client_get_session_pool(client));
    const GObjectPtr<GstRTSPSession> session(
        pool ? gst_rtsp_session_pool_find(pool.get(), id.c_str()) : nullptr);
    if (!session)
        return;
    if (auto* last = static_cast<LastRequest*>(g_object_get_data(G_OBJECT(session.get()), kLastRequest)))
        last->store(g_get_monotonic_time());
}

} // namespace

CameraServer::CameraServer(const Options& options)
    : m_options(options)
    , m_server(gst_rtsp_server_new())
{
    gst_rtsp_server_set_address(m_server.get(), "127.0.0.1");
    gst_rtsp_server_set_service(m_server.get(), std::to_string(options.port).c_str());
    addMounts();
    setUpAuth();
    g_signal_connect(m_server.get(), "client-connected", G_CALLBACK(onClientConnected), this);
}

CameraServer::~CameraServer()
{
    if (m_tickSource)
        g_source_remove(m_tickSource);
    if (m_serverSource)
        g_source_remove(m_serverSource);
    if (m_heldSource)
        g_source_remove(m_heldSource);
}

void CameraServer::addMounts()
{
    const GObjectPtr<GstRTSPMountPoints> mounts(gst_rtsp_server_get_mount_points(m_server.get()));
    for (int i = 0; i < m_options.cameras; ++i) {
        GstRTSPMediaFactory* factory = gst_rtsp_media_factory_new();
        gst_rtsp_media_factory_set_launch(factory, pipelineLaunch(m_options, i).c_str());
        gst_rtsp_media_factory_set_shared(factory, m_options.shared);
        gst_rtsp_media_factory_set_protocols(factory, lowerTransports(m_options.transports));
        if (m_options.auth != AuthScheme::None)
            gst_rtsp_media_factory_add_role(factory, kRole, GST_RTSP_PERM_MEDIA_FACTORY_ACCESS,
                G_TYPE_BOOLEAN, TRUE, GST_RTSP_PERM_MEDIA_FACTORY_CONSTRUCT, G_TYPE_BOOLEAN, TRUE, nullptr);
        g_signal_connect(
            factory, "media-configure", G_CALLBACK(onMediaConfigure), const_cast<Options*>(&m_options));
        // The mount points take the factory's reference.
        gst_rtsp_mount_points_add_factory(mounts.get(), ("/cam" + std::to_string(i)).c_str(), factory);
    }
}

void CameraServer::setUpAuth()
{
    if (m_options.auth == AuthScheme::None)
        return;
    // Without a default token, a request without valid credentials gets 401.
    const GObjectPtr<GstRTSPAuth> auth(gst_rtsp_auth_new());
    const TokenPtr token(
        gst_rtsp_token_new(GST_RTSP_TOKEN_MEDIA_FACTORY_ROLE, G_TYPE_STRING, kRole, nullptr));
    if (m_options.auth == AuthScheme::Basic) {
        const GCharPtr basic(gst_rtsp_auth_make_basic(m_options.user.c_str(), m_options.password.c_str()));
        gst_rtsp_auth_add_basic(auth.get(), basic.get(), token.get());
        gst_rtsp_auth_set_supported_methods(auth.get(), GST_RTSP_AUTH_BASIC);
    } else {
        gst_rtsp_auth_add_digest(auth.get(), m_options.user.c_str(), m_options.password.c_str(), token.get());
        gst_rtsp_auth_set_supported_methods(auth.get(), GST_RTSP_AUTH_DIGEST);
    }
    gst_rtsp_server_set_auth(m_server.get(), auth.get());
}

bool CameraServer::start(std::string& error)
{
    if (m_options.refuseFor > 0) {
        if (!holdPort(error))
            return false;
    } else if (!listenNow(error)) {
        return false;
    }
    m_tickSource = g_timeout_add(
        250,
        [](gpointer self) -> gboolean {
            static_cast<CameraServer*>(self)->tick();
            return G_SOURCE_CONTINUE;
        },
        this);
    return true;
}

bool CameraServer::listenNow(std::string& error)
{
    GError* gerror = nullptr;
    GSource* source = gst_rtsp_server_create_source(m_server.get(), nullptr, &gerror);
    if (!source) {
        error = gerror ? gerror->message : "cannot listen";
        g_clear_error(&gerror);
        return false;
    }
    m_serverSource = g_source_attach(source, nullptr);
    g_source_unref(source);
    m_port = gst_rtsp_server_get_bound_port(m_server.get());
    return true;
}

bool CameraServer::holdPort(std::string& error)
{
    GError* gerror = nullptr;
    m_heldSocket.reset(
        g_socket_new(G_SOCKET_FAMILY_IPV4, G_SOCKET_TYPE_STREAM, G_SOCKET_PROTOCOL_TCP, &gerror));
    const GObjectPtr<GInetAddress> loopback(g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4));
    const GObjectPtr<GSocketAddress> address(
        g_inet_socket_address_new(loopback.get(), static_cast<guint16>(m_options.port)));
    if (!m_heldSocket || !g_socket_bind(m_heldSocket.get(), address.get(), TRUE, &gerror)) {
        error = gerror ? gerror->message : "cannot bind";
        g_clear_error(&gerror);
        return false;
    }
    const GObjectPtr<GSocketAddress> bound(g_socket_get_local_address(m_heldSocket.get(), nullptr));
    m_port = bound ? g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(bound.get())) : m_options.port;
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, static_cast<guint>(m_options.refuseFor * 1000),
        [](gpointer self) -> gboolean {
            static_cast<CameraServer*>(self)->listenOnHeldPort();
            return G_SOURCE_REMOVE;
        },
        this, nullptr);
    return true;
}

void CameraServer::listenOnHeldPort()
{
    g_socket_set_blocking(m_heldSocket.get(), FALSE);
    GError* gerror = nullptr;
    if (!g_socket_listen(m_heldSocket.get(), &gerror)) {
        std::fprintf(stderr, "veskat-rtsp-testcam: cannot listen after --refuse-for: %s\n", gerror->message);
        g_clear_error(&gerror);
        return;
    }
    GSource* source = g_socket_create_source(m_heldSocket.get(), G_IO_IN, nullptr);
    g_source_set_callback(source, G_SOURCE_FUNC(acceptHeld), this, nullptr);
    m_heldSource = g_source_attach(source, nullptr);
    g_source_unref(source);
}

gboolean CameraServer::acceptHeld(GSocket* socket, GIOCondition, gpointer self)
{
    GSocket* client = g_socket_accept(socket, nullptr, nullptr);
    if (!client)
        return G_SOURCE_CONTINUE;
    const GObjectPtr<GSocketAddress> peer(g_socket_get_remote_address(client, nullptr));
    const int peerPort = peer ? g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(peer.get())) : 0;
    // The server takes the socket, as its own accept would.
    gst_rtsp_server_transfer_connection(
        static_cast<CameraServer*>(self)->m_server.get(), client, "127.0.0.1", peerPort, nullptr);
    return G_SOURCE_CONTINUE;
}

void CameraServer::tick()
{
    // The server never lets a session expire while it plays over TCP, so the
    // timeout is kept here, on the time of the session's last request.
    const GObjectPtr<GstRTSPSessionPool> pool(gst_rtsp_server_get_session_pool(m_server.get()));
    GList* removed = gst_rtsp_session_pool_filter(
        pool.get(),
        [](GstRTSPSessionPool*, GstRTSPSession* session, gpointer self) -> GstRTSPFilterResult {
            const auto* last
                = static_cast<const LastRequest*>(g_object_get_data(G_OBJECT(session), kLastRequest));
            const gint64 timeoutUs
                = static_cast<CameraServer*>(self)->m_options.sessionTimeout * G_USEC_PER_SEC;
            if (last && g_get_monotonic_time() - last->load() >= timeoutUs)
                return GST_RTSP_FILTER_REMOVE;
            return GST_RTSP_FILTER_KEEP;
        },
        this);
    g_list_free_full(removed, g_object_unref);
    if (m_options.dropAfter < 0)
        return;
    gst_rtsp_server_client_filter(
        m_server.get(),
        [](GstRTSPServer*, GstRTSPClient* client, gpointer self) -> GstRTSPFilterResult {
            const auto* connectedAt
                = static_cast<const gint64*>(g_object_get_data(G_OBJECT(client), kConnectedAt));
            const double dropAfterUs = static_cast<CameraServer*>(self)->m_options.dropAfter * 1e6;
            if (connectedAt && static_cast<double>(g_get_monotonic_time() - *connectedAt) >= dropAfterUs)
                return GST_RTSP_FILTER_REMOVE; // closes the connection
            return GST_RTSP_FILTER_KEEP;
        },
        this);
}

void CameraServer::onClientConnected(GstRTSPServer*, GstRTSPClient* client, gpointer data)
{
    auto* self = static_cast<CameraServer*>(data);
    ++self->m_clients;
    auto* connectedAt = g_new(gint64, 1);
    *connectedAt = g_get_monotonic_time();
    g_object_set_data_full(G_OBJECT(client), kConnectedAt, connectedAt, g_free);
    g_signal_connect(client, "new-session", G_CALLBACK(onNewSession), const_cast<Options*>(&self->m_options));
    g_signal_connect(client, "send-message", G_CALLBACK(onSendMessage), nullptr);
}

} // namespace rtsptestcam
