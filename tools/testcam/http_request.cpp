// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/testcam/http_request.h"

namespace testcam {

QByteArray HttpRequest::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

ParseStatus parseRequest(const QByteArray& buffer, HttpRequest& request)
{
    qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        end = buffer.indexOf("\n\n");
    if (end < 0)
        return buffer.size() > kMaxRequestHead ? ParseStatus::Invalid : ParseStatus::Incomplete;
    if (end > kMaxRequestHead)
        return ParseStatus::Invalid;

    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine[2].startsWith("HTTP/"))
        return ParseStatus::Invalid;
    request = HttpRequest {};
    request.method = requestLine[0];
    request.target = requestLine[1];
    request.version = requestLine[2];
    const qsizetype query = request.target.indexOf('?');
    request.path = query < 0 ? request.target : request.target.left(query);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        request.headers.append({ line.left(colon).trimmed(), line.mid(colon + 1).trimmed() });
    }
    return ParseStatus::Complete;
}

} // namespace testcam
