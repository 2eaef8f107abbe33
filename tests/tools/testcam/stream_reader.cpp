// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/tools/testcam/stream_reader.h"

#include <QElapsedTimer>
#include <QTcpSocket>

namespace testcam_test {

namespace {

QList<QPair<QByteArray, QByteArray>> parseHeaders(const QByteArray& block)
{
    QList<QPair<QByteArray, QByteArray>> out;
    for (const QByteArray& line : block.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            out.append({ line.left(colon).trimmed(), line.mid(colon + 1).trimmed() });
    }
    return out;
}

QByteArray find(const QList<QPair<QByteArray, QByteArray>>& headers, const QByteArray& name)
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

// Takes whole parts off the front of `buffer`; stops at an incomplete one.
void takeParts(QByteArray& buffer, StreamResult& result, int maxParts)
{
    static const QByteArray kBoundary = "--myboundary\r\n";
    while (result.formatError.isEmpty() && result.parts.size() < maxParts) {
        if (buffer.size() < kBoundary.size())
            return;
        if (!buffer.startsWith(kBoundary)) {
            result.formatError = "part does not start with the boundary line: " + buffer.left(40);
            return;
        }
        const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        const auto headers = parseHeaders(buffer.mid(kBoundary.size(), headEnd - kBoundary.size()));
        bool ok = false;
        const qsizetype length = find(headers, "Content-Length").toLongLong(&ok);
        if (!ok || length <= 0) {
            result.formatError = "part without a valid Content-Length";
            return;
        }
        const qsizetype start = headEnd + 4;
        if (buffer.size() < start + length + 2)
            return;
        if (buffer.mid(start + length, 2) != "\r\n") {
            result.formatError = "part data not followed by CRLF";
            return;
        }
        Part part;
        part.contentType = find(headers, "Content-Type");
        part.frame = find(headers, "X-Frame").toLongLong(&ok);
        if (!ok)
            part.frame = -1;
        part.sendTimeUs = find(headers, "X-Send-Time-Us").toLongLong(&ok);
        if (!ok)
            part.sendTimeUs = -1;
        part.jpeg = buffer.mid(start, length);
        result.parts.append(part);
        buffer.remove(0, start + length + 2);
    }
}

} // namespace

QByteArray StreamResult::header(const QByteArray& name) const
{
    return find(headers, name);
}

StreamResult readStream(int port, const QByteArray& path, int maxParts, int timeoutMs,
    const QByteArray& extraHeaders, int watchAfterMs)
{
    StreamResult result;
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
    if (!socket.waitForConnected(timeoutMs))
        return result;
    result.connected = true;
    socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n");

    QByteArray buffer;
    bool inHead = true;
    bool multipart = false;
    QElapsedTimer timer;
    timer.start();
    auto consume = [&] {
        buffer += socket.readAll();
        if (inHead) {
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray head = buffer.left(end);
            const qsizetype firstLineEnd = head.indexOf("\r\n");
            result.statusLine = head.left(firstLineEnd < 0 ? head.size() : firstLineEnd);
            result.headers = parseHeaders(head.mid(result.statusLine.size()));
            multipart = result.header("Content-Type").startsWith("multipart/x-mixed-replace");
            buffer.remove(0, end + 4);
            inHead = false;
        }
        if (multipart) {
            takeParts(buffer, result, maxParts);
        } else {
            result.body += buffer;
            buffer.clear();
        }
    };
    while (timer.elapsed() < timeoutMs && result.parts.size() < maxParts && result.formatError.isEmpty()) {
        if (socket.state() != QAbstractSocket::ConnectedState && socket.bytesAvailable() == 0) {
            result.closedByServer = true;
            break;
        }
        socket.waitForReadyRead(100);
        consume();
    }
    if (watchAfterMs > 0 && !result.closedByServer) {
        const qint64 before = buffer.size();
        QElapsedTimer watch;
        watch.start();
        while (watch.elapsed() < watchAfterMs && socket.state() == QAbstractSocket::ConnectedState) {
            socket.waitForReadyRead(100);
            buffer += socket.readAll();
        }
        result.bytesAfterParts = buffer.size() - before;
        result.closedByServer = socket.state() != QAbstractSocket::ConnectedState;
    }
    return result;
}

} // namespace testcam_test
