// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/tools/rtsp_testcam/rtsp_exchange.h"

#include <QElapsedTimer>
#include <QHostAddress>

#include <algorithm>

namespace rtsptestcam_test {

namespace {
constexpr int kReplyTimeoutMs = 10000;
}

QByteArray RtspReply::header(const QByteArray& name) const
{
    for (const QByteArray& line : headers.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

RtspExchange::RtspExchange(int port)
{
    m_socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    m_socket.waitForConnected(kReplyTimeoutMs);
}

bool RtspExchange::skipInterleaved()
{
    // '$', channel, 16-bit length, then the packet.
    while (m_pending.startsWith('$')) {
        if (m_pending.size() < 4)
            return false;
        const int length = (static_cast<quint8>(m_pending[2]) << 8) | static_cast<quint8>(m_pending[3]);
        if (m_pending.size() < 4 + length)
            return false;
        m_pending.remove(0, 4 + length);
    }
    return true;
}

RtspReply RtspExchange::request(
    const QByteArray& method, const QByteArray& url, const QByteArray& extraHeaders)
{
    m_socket.write(method + ' ' + url + " RTSP/1.0\r\nCSeq: " + QByteArray::number(++m_cseq) + "\r\n"
        + extraHeaders + "\r\n");
    RtspReply reply;
    QElapsedTimer timer;
    timer.start();
    qsizetype end = -1;
    while (timer.elapsed() < kReplyTimeoutMs) {
        if (skipInterleaved() && m_pending.startsWith("RTSP/")
            && (end = m_pending.indexOf("\r\n\r\n")) >= 0) {
            reply.headers = m_pending.left(end);
            const qsizetype total = end + 4 + reply.header("Content-Length").toInt();
            if (m_pending.size() >= total) {
                // "RTSP/1.0 200 OK"; the body (an SDP) is dropped.
                reply.status = reply.headers.split(' ').value(1).toInt();
                m_pending.remove(0, total);
                return reply;
            }
        }
        if (!connected() && m_socket.bytesAvailable() == 0)
            break;
        m_socket.waitForReadyRead(100);
        m_pending += m_socket.readAll();
    }
    return {};
}

bool RtspExchange::waitForClose(int deadlineMs)
{
    QElapsedTimer timer;
    timer.start();
    while (connected() && timer.elapsed() < deadlineMs) {
        m_socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadlineMs - timer.elapsed())));
        m_pending += m_socket.readAll();
    }
    return !connected();
}

} // namespace rtsptestcam_test
