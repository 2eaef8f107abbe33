// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A strict reader of veskat-testcam's answers for the tests: one request over
// a plain socket, the response head, then every multipart part checked
// against the exact format the camera promises.
#include <QByteArray>
#include <QList>
#include <QPair>

namespace testcam_test {

struct Part {
    QByteArray contentType;
    long long frame = -1;
    long long sendTimeUs = -1;
    QByteArray jpeg;
};

struct StreamResult {
    bool connected = false;
    QByteArray statusLine;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body; // everything after the head that is not a part
    QList<Part> parts;
    QByteArray formatError; // first deviation from the part format, if any
    bool closedByServer = false;
    qint64 bytesAfterParts = 0; // arrived while watching after the last wanted part

    QByteArray header(const QByteArray& name) const;
};

// Sends GET `path` to 127.0.0.1:`port` and reads until `maxParts` parts
// arrived, the server closed, or `timeoutMs` passed. With `watchAfterMs`, it
// then keeps the connection open that long and counts what still arrives.
StreamResult readStream(int port, const QByteArray& path, int maxParts, int timeoutMs,
    const QByteArray& extraHeaders = {}, int watchAfterMs = 0);

} // namespace testcam_test
