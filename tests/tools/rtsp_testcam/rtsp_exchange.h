// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A bare RTSP client for what ffprobe cannot show: the Session header and
// whether the camera still knows a session. One request at a time; RTP and
// RTCP interleaved on the connection (after a PLAY) are skipped.
#include <QByteArray>
#include <QTcpSocket>

namespace rtsptestcam_test {

struct RtspReply {
    int status = 0; // 0: no reply
    QByteArray headers;
    QByteArray header(const QByteArray& name) const;
};

class RtspExchange {
public:
    explicit RtspExchange(int port);
    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    RtspReply request(const QByteArray& method, const QByteArray& url, const QByteArray& extraHeaders = {});
    // Waits until the camera closes the connection; false at the deadline.
    bool waitForClose(int deadlineMs);

private:
    // Drops interleaved packets from the front of m_pending; false when one is incomplete.
    bool skipInterleaved();

    QTcpSocket m_socket;
    QByteArray m_pending;
    int m_cseq = 0;
};

} // namespace rtsptestcam_test
