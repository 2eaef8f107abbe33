// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/testcam/http_auth.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QMap>
#include <QRandomGenerator>

namespace testcam {

namespace {

QByteArray md5Hex(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

// key=value, key="quoted, value" pairs of a Digest header; keys lower-cased.
QMap<QByteArray, QByteArray> digestParams(const QByteArray& text)
{
    QMap<QByteArray, QByteArray> out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && (text[i] == ' ' || text[i] == ',' || text[i] == '\t'))
            ++i;
        const qsizetype keyStart = i;
        while (i < n && text[i] != '=' && text[i] != ',')
            ++i;
        const QByteArray key = text.mid(keyStart, i - keyStart).trimmed().toLower();
        if (i >= n || text[i] != '=') {
            continue;
        }
        ++i;
        QByteArray value;
        if (i < n && text[i] == '"') {
            ++i;
            while (i < n && text[i] != '"') {
                if (text[i] == '\\' && i + 1 < n)
                    ++i;
                value += text[i++];
            }
            ++i;
        } else {
            const qsizetype valueStart = i;
            while (i < n && text[i] != ',')
                ++i;
            value = text.mid(valueStart, i - valueStart).trimmed();
        }
        if (!key.isEmpty())
            out.insert(key, value);
    }
    return out;
}

// Compares without an early exit, so the time taken does not tell how much matched.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

QByteArray digestResponse(const QByteArray& user, const QByteArray& realm, const QByteArray& password,
    const QByteArray& method, const QByteArray& uri, const QByteArray& nonce, const QByteArray& nc,
    const QByteArray& cnonce, const QByteArray& qop)
{
    const QByteArray ha1 = md5Hex(user + ':' + realm + ':' + password);
    const QByteArray ha2 = md5Hex(method + ':' + uri);
    if (qop.isEmpty())
        return md5Hex(ha1 + ':' + nonce + ':' + ha2);
    return md5Hex(ha1 + ':' + nonce + ':' + nc + ':' + cnonce + ':' + qop + ':' + ha2);
}

HttpAuth::HttpAuth(const Options& options)
    : m_scheme(options.auth)
    , m_user(options.user.toUtf8())
    , m_password(options.password.toUtf8())
{
    const quint64 a = QRandomGenerator::system()->generate64();
    const quint64 b = QRandomGenerator::system()->generate64();
    m_secret = QByteArray::number(a, 16) + QByteArray::number(b, 16);
}

bool HttpAuth::accepts(
    const QByteArray& method, const QByteArray& target, const QByteArray& authorization) const
{
    if (m_scheme == AuthScheme::None)
        return true;
    const qsizetype space = authorization.indexOf(' ');
    if (space <= 0)
        return false;
    const QByteArray scheme = authorization.left(space).toLower();
    const QByteArray rest = authorization.mid(space + 1).trimmed();
    if (m_scheme == AuthScheme::Basic && scheme == "basic")
        return sameBytes(QByteArray::fromBase64(rest), m_user + ':' + m_password);
    if (m_scheme == AuthScheme::Digest && scheme == "digest")
        return acceptsDigest(method, target, rest);
    return false;
}

bool HttpAuth::acceptsDigest(
    const QByteArray& method, const QByteArray& target, const QByteArray& params) const
{
    const auto p = digestParams(params);
    const QByteArray algorithm = p.value("algorithm", "MD5");
    if (algorithm.compare("MD5", Qt::CaseInsensitive) != 0)
        return false;
    if (p.value("username") != m_user || p.value("realm") != kRealm || p.value("uri") != target)
        return false;
    const QByteArray nonce = p.value("nonce");
    if (!nonceIsOurs(nonce))
        return false;
    const QByteArray qop = p.value("qop");
    if (!qop.isEmpty() && qop != "auth")
        return false;
    const QByteArray expected = digestResponse(
        m_user, kRealm, m_password, method, target, nonce, p.value("nc"), p.value("cnonce"), qop);
    return sameBytes(p.value("response").toLower(), expected);
}

QByteArray HttpAuth::challenge() const
{
    if (m_scheme == AuthScheme::Basic)
        return QByteArray("Basic realm=\"") + kRealm + '"';
    return QByteArray("Digest realm=\"") + kRealm + "\", qop=\"auth\", algorithm=MD5, nonce=\"" + makeNonce()
        + "\", opaque=\"" + md5Hex(m_secret + "opaque") + '"';
}

QByteArray HttpAuth::makeNonce() const
{
    const QByteArray stamp = QByteArray::number(QDateTime::currentMSecsSinceEpoch(), 16) + '.'
        + QByteArray::number(QRandomGenerator::global()->generate(), 16);
    return stamp + '.' + md5Hex(stamp + ':' + m_secret);
}

bool HttpAuth::nonceIsOurs(const QByteArray& nonce) const
{
    const qsizetype dot = nonce.lastIndexOf('.');
    if (dot <= 0)
        return false;
    return sameBytes(nonce.mid(dot + 1), md5Hex(nonce.left(dot) + ':' + m_secret));
}

} // namespace testcam
