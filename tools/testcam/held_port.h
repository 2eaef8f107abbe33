// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A loopback TCP port that is bound but not yet listening. The kernel answers
// a connection attempt with a reset ("connection refused"), yet no other
// program and no client's ephemeral port can take the port in the meantime,
// so listening later cannot fail because somebody else got there first.
#include <QString>

class QTcpServer;

namespace testcam {

class HeldPort {
public:
    HeldPort() = default;
    ~HeldPort();
    HeldPort(const HeldPort&) = delete;
    HeldPort& operator=(const HeldPort&) = delete;

    // Binds 127.0.0.1:port (0: a free one, then port() says which). False,
    // with error(), when the port is taken.
    bool bind(int port);
    int port() const { return m_port; }
    // Starts listening and hands the socket over to `server`, which owns it
    // from then on. False, with error(), on failure.
    bool listenInto(QTcpServer& server);
    bool held() const { return m_fd >= 0; }
    QString error() const { return m_error; }

private:
    int m_fd = -1;
    int m_port = 0;
    QString m_error;
};

} // namespace testcam
