// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/testcam/held_port.h"

#include <QTcpServer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace testcam {

namespace {

QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

void setReuseAddress(int fd, bool on)
{
    const int value = on ? 1 : 0;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &value, sizeof value);
}

} // namespace

HeldPort::~HeldPort()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool HeldPort::bind(int port)
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        m_error = systemError("socket");
        return false;
    }
    // As QTcpServer does: a port left in TIME_WAIT by an earlier run may be
    // bound again. Once bound the option goes off, because two unlistening
    // sockets that both allow reuse may share a port, and QTcpServer allows it.
    setReuseAddress(fd, true);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        m_error = systemError("bind");
        ::close(fd);
        return false;
    }
    setReuseAddress(fd, false);
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        m_error = systemError("getsockname");
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_port = ntohs(address.sin_port);
    return true;
}

bool HeldPort::listenInto(QTcpServer& server)
{
    if (m_fd < 0) {
        m_error = QStringLiteral("no port is held");
        return false;
    }
    setReuseAddress(m_fd, true);
    if (::listen(m_fd, server.maxPendingConnections()) != 0) {
        m_error = systemError("listen");
        return false;
    }
    if (!server.setSocketDescriptor(m_fd)) {
        m_error = server.errorString();
        return false;
    }
    m_fd = -1;
    return true;
}

} // namespace testcam
