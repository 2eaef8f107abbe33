// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Checks a request's Authorization header against the camera's user and
// password: Basic, or Digest (RFC 7616/2617, MD5, qop=auth, and the older
// form without qop). Nonces carry their own signature, so any number of
// clients and reconnections need no server-side state.
#include "tools/testcam/options.h"

#include <QByteArray>

namespace testcam {

class HttpAuth {
public:
    static constexpr const char* kRealm = "veskat-testcam";

    explicit HttpAuth(const Options& options);

    bool required() const { return m_scheme != AuthScheme::None; }
    // True when `authorization` (the header's value) grants access.
    bool accepts(const QByteArray& method, const QByteArray& target, const QByteArray& authorization) const;
    // The WWW-Authenticate value to send with a 401.
    QByteArray challenge() const;

private:
    bool acceptsDigest(const QByteArray& method, const QByteArray& target, const QByteArray& params) const;
    QByteArray makeNonce() const;
    bool nonceIsOurs(const QByteArray& nonce) const;

    AuthScheme m_scheme;
    QByteArray m_user;
    QByteArray m_password;
    QByteArray m_secret;
};

// The Digest "response" value, lower-case hex. Empty `qop` gives the RFC 2069
// form (no nc/cnonce).
QByteArray digestResponse(const QByteArray& user, const QByteArray& realm, const QByteArray& password,
    const QByteArray& method, const QByteArray& uri, const QByteArray& nonce, const QByteArray& nc,
    const QByteArray& cnonce, const QByteArray& qop);

} // namespace testcam
