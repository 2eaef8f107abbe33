// SPDX-License-Identifier: GPL-2.0-or-later
// Credentials: Basic and Digest as a real client (libcurl) sends them, and
// what the camera refuses.
#include "tests/support/testcam_process.h"
#include "tests/tools/testcam/stream_reader.h"
#include "tools/testcam/http_auth.h"

#include <curl/curl.h>
#include <gmock/gmock.h>

#include <memory>
#include <string>

using veskat_test::TestcamProcess;

namespace {

constexpr int kTimeoutMs = 20000;

struct CurlAnswer {
    long status = 0;
    std::string wwwAuthenticate;
    size_t bytes = 0;
};

size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    const std::string line(data, size * count);
    if (line.rfind("WWW-Authenticate:", 0) == 0)
        static_cast<CurlAnswer*>(user)->wwwAuthenticate = line.substr(17);
    return size * count;
}

size_t onBody(char*, size_t size, size_t count, void* user)
{
    auto* answer = static_cast<CurlAnswer*>(user);
    answer->bytes += size * count;
    // Enough to know the stream flows; stop rather than read forever.
    return answer->bytes > 20000 ? 0 : size * count;
}

CurlAnswer fetch(const QString& url, unsigned long authMask, const char* userPassword)
{
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    CurlAnswer answer;
    const std::string u = url.toStdString();
    curl_easy_setopt(curl.get(), CURLOPT_URL, u.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, static_cast<long>(kTimeoutMs));
    curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &answer);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer);
    if (userPassword) {
        curl_easy_setopt(curl.get(), CURLOPT_HTTPAUTH, authMask);
        curl_easy_setopt(curl.get(), CURLOPT_USERPWD, userPassword);
    }
    curl_easy_perform(curl.get());
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &answer.status);
    return answer;
}

TEST(DigestResponse, MatchesTheWorkedExampleOfRfc2617)
{
    EXPECT_EQ(testcam::digestResponse("Mufasa", "testrealm@host.com", "Circle Of Life", "GET",
                  "/dir/index.html", "dcd98b7102dd2f0e8b11d0f600bfb0c093", "00000001", "0a4f113b", "auth"),
        "6629fae49393a05397450978507c4ef1");
}

struct AuthCase {
    const char* name;
    const char* scheme; // --auth of the camera
    unsigned long curlAuth; // what the client offers
    const char* credentials; // null: none sent
    long expectedStatus;
    const char* challenge; // expected start of WWW-Authenticate on 401
};

class Credentials : public testing::TestWithParam<AuthCase> { };

TEST_P(Credentials, AreAcceptedOrChallenged)
{
    const AuthCase c = GetParam();
    TestcamProcess cam(
        1, { "--size", "160x120", "--user", "root", "--password", "pass:word", "--auth", c.scheme });
    ASSERT_TRUE(cam.started());
    const CurlAnswer answer = fetch(cam.url(), c.curlAuth, c.credentials);
    EXPECT_EQ(answer.status, c.expectedStatus);
    if (c.expectedStatus == 401)
        EXPECT_THAT(answer.wwwAuthenticate, testing::StartsWith(std::string(" ") + c.challenge));
    else
        EXPECT_GT(answer.bytes, 20000u);
}

INSTANTIATE_TEST_SUITE_P(Table, Credentials,
    testing::Values(AuthCase { "BasicRight", "basic", CURLAUTH_BASIC, "root:pass:word", 200, "" },
        AuthCase { "BasicWrongPassword", "basic", CURLAUTH_BASIC, "root:pass", 401, "Basic realm=" },
        AuthCase { "BasicWrongUser", "basic", CURLAUTH_BASIC, "admin:pass:word", 401, "Basic realm=" },
        AuthCase { "BasicNone", "basic", 0, nullptr, 401, "Basic realm=" },
        AuthCase { "DigestRight", "digest", CURLAUTH_DIGEST, "root:pass:word", 200, "" },
        AuthCase { "DigestAny", "digest", CURLAUTH_ANY, "root:pass:word", 200, "" },
        AuthCase { "DigestWrongPassword", "digest", CURLAUTH_DIGEST, "root:wrong", 401, "Digest realm=" },
        AuthCase { "DigestRefusesBasic", "digest", CURLAUTH_BASIC, "root:pass:word", 401, "Digest realm=" },
        AuthCase { "NoneNeedsNothing", "none", 0, nullptr, 200, "" }),
    [](const testing::TestParamInfo<AuthCase>& info) { return std::string(info.param.name); });

TEST(Credentials, DigestChallengeOffersMd5WithQopAuth)
{
    TestcamProcess cam(1, { "--size", "160x120", "--user", "root", "--password", "pw", "--auth", "digest" });
    ASSERT_TRUE(cam.started());
    const auto r = testcam_test::readStream(cam.port(), "/axis-cgi/mjpg/video.cgi", 1, kTimeoutMs);
    EXPECT_EQ(r.statusLine, "HTTP/1.0 401 Unauthorized");
    const QByteArray challenge = r.header("WWW-Authenticate");
    EXPECT_TRUE(challenge.contains("qop=\"auth\"")) << challenge.constData();
    EXPECT_TRUE(challenge.contains("algorithm=MD5")) << challenge.constData();
    EXPECT_TRUE(challenge.contains("nonce=\"")) << challenge.constData();
}

TEST(Credentials, DigestWithANonceTheCameraNeverIssuedIsRefused)
{
    TestcamProcess cam(1, { "--size", "160x120", "--user", "root", "--password", "pw", "--auth", "digest" });
    ASSERT_TRUE(cam.started());
    // A correct response for the right password, but over a made-up nonce.
    const QByteArray uri = "/axis-cgi/mjpg/video.cgi";
    const QByteArray nonce = "1234.5678.0123456789abcdef0123456789abcdef";
    const QByteArray response = testcam::digestResponse(
        "root", testcam::HttpAuth::kRealm, "pw", "GET", uri, nonce, "00000001", "abc", "auth");
    const QByteArray header = "Authorization: Digest username=\"root\", realm=\""
        + QByteArray(testcam::HttpAuth::kRealm) + "\", nonce=\"" + nonce + "\", uri=\"" + uri
        + "\", qop=auth, nc=00000001, cnonce=\"abc\", " + "response=\"" + response + "\"\r\n";
    const auto r = testcam_test::readStream(cam.port(), uri, 1, kTimeoutMs, header);
    EXPECT_EQ(r.statusLine, "HTTP/1.0 401 Unauthorized");
}

} // namespace
