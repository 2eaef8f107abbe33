// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/rtsp_testcam/rtsp_exchange.h"

#include <QElapsedTimer>
#include <QHostAddress>

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

RtspReply RtspExchange::request(
    const QByteArray& method, const QByteArray& url, const QByteArray& extraHeaders)
{
    m_socket.write(method + ' ' + url + " RTSP/1.0\r\nCSeq: " + QByteArray::number(++m_cseq) + "\r\n"
        + extraHeaders + "\r\n");
    QByteArray data;
    QElapsedTimer timer;
    timer.start();
    while (!data.contains("\r\n\r\n") && timer.elapsed() < kReplyTimeoutMs && connected()) {
        m_socket.waitForReadyRead(100);
        data += m_socket.readAll();
    }
    RtspReply reply;
    const int end = data.indexOf("\r\n\r\n");
    if (end < 0)
        return reply;
    reply.headers = data.left(end);
    // "RTSP/1.0 200 OK"
    reply.status = reply.headers.split(' ').value(1).toInt();
    // A body (the SDP) is read and dropped, so the next reply starts clean.
    qsizetype bodyLeft = reply.header("Content-Length").toInt() - (data.size() - end - 4);
    while (bodyLeft > 0 && timer.elapsed() < kReplyTimeoutMs && connected()) {
        m_socket.waitForReadyRead(100);
        bodyLeft -= m_socket.readAll().size();
    }
    return reply;
}

} // namespace rtsptestcam_test
