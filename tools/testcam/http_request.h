// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The head of one HTTP request, read incrementally from a client.
#include <QByteArray>
#include <QList>
#include <QPair>

namespace testcam {

struct HttpRequest {
    QByteArray method;
    QByteArray target; // as sent, with any query
    QByteArray path; // target without the query
    QByteArray version; // "HTTP/1.1"
    QList<QPair<QByteArray, QByteArray>> headers;

    // The first header of that name (case-insensitive), trimmed; empty if none.
    QByteArray header(const QByteArray& name) const;
};

enum class ParseStatus { Incomplete, Complete, Invalid };

// A request head larger than this is refused rather than buffered.
inline constexpr int kMaxRequestHead = 16 * 1024;

// Parses `buffer` if it holds a whole request head (up to the empty line;
// CRLF or bare LF line ends). Incomplete while the empty line has not come.
ParseStatus parseRequest(const QByteArray& buffer, HttpRequest& request);

} // namespace testcam
