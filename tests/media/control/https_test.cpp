// SPDX-License-Identifier: GPL-2.0-or-later
// https cameras, with certificates the test makes, and where credentials go.
#include "media/mjpeg/extra_authorities.h"
#include "tests/media/control/control_fixture.h"
#include "tests/media/control/loopback_servers.h"
#include "tests/media/control/test_pictures.h"
#include "tests/support/spawned_process.h"
#include "tests/support/test_env.h"

#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QStandardPaths>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using media_test::LoopbackServer;
using media_test::waitForStatus;

// A redirect to another port of the same host takes no password along.
TEST(CredentialScope, ARedirectToAnotherPortGetsNoCredentials)
{
    media_test::ChallengeServer elsewhere;
    elsewhere.setChallenge(R"(Basic realm="cam")");
    QTcpServer redirector;
    ASSERT_TRUE(redirector.listen(QHostAddress::LocalHost, 0));
    QObject::connect(&redirector, &QTcpServer::newConnection, [&] {
        QTcpSocket* socket = redirector.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &elsewhere] {
            socket->readAll();
            socket->write("HTTP/1.1 302 Found\r\nLocation: " + elsewhere.url().toUtf8()
                + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        });
    });
    auto control = media_test::makeControl();
    media_test::configure(
        *control, QStringLiteral("http://127.0.0.1:%1/").arg(redirector.serverPort()), "op", "pw");
    control->invoke(media::DispId::Start);

    ASSERT_TRUE(waitForStatus(*control, media::Status::Unauthorized));
    EXPECT_GE(elsewhere.requests(), 1);
    EXPECT_TRUE(elsewhere.authorizations().isEmpty());
}

// Credentials written into the address win over the settings, are sent only
// after the camera's challenge, and never as Basic to a camera that used Digest.
struct AddressCredentials {
    const char* name;
    const char* settingsUser;
    const char* challenge;
    const char* answer; // how the one Authorization header sent starts
    bool thenBasic; // the camera asks for Basic on the next start
};

class AddressCredentialsTest : public testing::TestWithParam<AddressCredentials> { };

TEST_P(AddressCredentialsTest, AreSentOnlyWhenAskedAndWinOverTheSettings)
{
    const auto& c = GetParam();
    media_test::ChallengeServer camera;
    camera.setChallenge(c.challenge);
    const QString url
        = camera.url().replace(QStringLiteral("http://"), QStringLiteral("http://op:s%2Fcret@"));
    auto control = media_test::makeControl();
    media_test::configure(*control, url, c.settingsUser, *c.settingsUser ? "vmzt" : "");
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Unauthorized));
    ASSERT_EQ(camera.requests(), 2);
    ASSERT_EQ(camera.authorizations().size(), 1); // none in the first request
    EXPECT_TRUE(camera.authorizations().first().startsWith(c.answer))
        << camera.authorizations().first().toStdString();
    if (!c.thenBasic)
        return;

    camera.setChallenge(R"(Basic realm="cam")");
    control->invoke(media::DispId::Stop);
    control->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*control, media::Status::Unauthorized));
    EXPECT_GT(camera.requests(), 2);
    for (const QByteArray& sent : camera.authorizations())
        EXPECT_FALSE(sent.startsWith("Basic")) << sent.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, AddressCredentialsTest,
    testing::Values(
        AddressCredentials { "BasicOnlyWhenAsked", "", R"(Basic realm="cam")", "Basic b3A6cy9jcmV0", false },
        AddressCredentials { "OverTheSettings", "root", R"(Basic realm="cam")", "Basic b3A6cy9jcmV0", false },
        AddressCredentials { "DigestNeverBasicAfter", "",
            R"(Digest realm="cam", nonce="n1", qop="auth", algorithm=MD5)", R"(Digest username="op")",
            true }),
    [](const testing::TestParamInfo<AddressCredentials>& info) { return std::string(info.param.name); });

// A camera on 127.0.0.1 with a self-signed certificate made by the openssl program.
class Https : public testing::Test {
protected:
    void SetUp() override
    {
        m_cert = QString::fromStdString((m_env.dir() / "camera.pem").string());
        const QString key = QString::fromStdString((m_env.dir() / "camera.key").string());
        const QString openssl = QStandardPaths::findExecutable("openssl");
        if (!QSslSocket::supportsSsl() || openssl.isEmpty() || !makeCertificate(openssl, key))
            GTEST_SKIP() << "needs Qt's TLS backend and the openssl program";
        QFile keyFile(key);
        keyFile.open(QIODevice::ReadOnly);
        m_tls = QSslConfiguration::defaultConfiguration();
        m_tls.setLocalCertificate(QSslCertificate::fromPath(m_cert).value(0));
        m_tls.setPrivateKey(QSslKey(&keyFile, QSsl::Ec));
    }

    bool makeCertificate(const QString& openssl, const QString& key) const
    {
        veskat_test::SpawnOptions options;
        options.arguments = { "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
            "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
            "-keyout", key.toStdString(), "-out", m_cert.toStdString() };
        options.keepErrorOutput = true;
        return veskat_test::SpawnedProcess(openssl.toStdString(), options).finish(std::chrono::seconds(60))
            == 0;
    }

    veskat_test::TempEnvironment m_env;
    QString m_cert;
    QSslConfiguration m_tls;
};

// Trusted through the variable for extra authorities; the picture kept for
// snapshots is the camera's own bytes.
TEST_F(Https, ACertificateTrustedForCamerasPlays)
{
    const std::string picture = media_test::solidJpeg(320, 240, 40, 160, 90);
    LoopbackServer camera(LoopbackServer::Behaviour::JpegParts, QByteArray::fromStdString(picture),
        "multipart/x-mixed-replace; boundary=myboundary", m_tls);
    veskat_test::ScopedEnv trust(media::MjpegControl::kExtraCaVariable, m_cert.toStdString());
    auto control = media_test::makeControl();
    media_test::configure(*control, camera.url());
    control->invoke(media::DispId::Start);

    ASSERT_TRUE(waitForStatus(*control, media::Status::Playing)) << control->statusDetail().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return control->pictureJpeg() != nullptr; }, media_test::kDeadlineMs));
    EXPECT_EQ(*control->pictureJpeg(), picture);
}

TEST_F(Https, AnUntrustedCertificateIsAConnectionFailureThatSaysSo)
{
    LoopbackServer camera(LoopbackServer::Behaviour::JpegParts,
        QByteArray::fromStdString(media_test::solidJpeg(64, 48, 0, 0, 0)),
        "multipart/x-mixed-replace; boundary=myboundary", m_tls);
    veskat_test::ScopedEnv noExtraTrust(media::MjpegControl::kExtraCaVariable, std::nullopt);
    auto control = media_test::makeControl();
    media_test::configure(*control, camera.url(), "op", "pw");
    control->invoke(media::DispId::Start);

    ASSERT_TRUE(waitForStatus(*control, media::Status::ConnectionFailed));
    EXPECT_TRUE(control->statusDetail().startsWith("the camera's certificate is not trusted"))
        << control->statusDetail().toStdString();
}

// A file of further authorities that cannot be used (a FIFO would stall the
// thread that opens it, a huge one every connection) fails the https camera
// at once with the reason, and the other cameras keep playing.
struct UnusableAuthorities {
    const char* name;
    void (*make)(const std::string& file);
    const char* problem;
};

class UnusableAuthoritiesTest : public Https, public testing::WithParamInterface<UnusableAuthorities> { };

TEST_P(UnusableAuthoritiesTest, FailTheHttpsCameraAtOnceAndStallNoOther)
{
    const std::string file = (m_env.dir() / "extra.pem").string();
    GetParam().make(file);
    // Should the file be opened for reading after all, its reader gets an end of file here.
    struct Release {
        std::string fifo;
        ~Release()
        {
            if (const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0)
                ::close(fd);
        }
    } release { file };
    const QByteArray picture = QByteArray::fromStdString(media_test::solidJpeg(64, 48, 0, 90, 0));
    LoopbackServer plainCamera(LoopbackServer::Behaviour::JpegParts, picture);
    LoopbackServer secureCamera(LoopbackServer::Behaviour::JpegParts, picture,
        "multipart/x-mixed-replace; boundary=myboundary", m_tls);
    auto plain = media_test::makeControl();
    media_test::configure(*plain, plainCamera.url());
    plain->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*plain, media::Status::Playing));

    veskat_test::ScopedEnv trust(media::MjpegControl::kExtraCaVariable, file);
    auto secure = media_test::makeControl();
    media_test::configure(*secure, secureCamera.url());
    secure->invoke(media::DispId::Start);
    ASSERT_TRUE(waitForStatus(*secure, media::Status::ConnectionFailed));
    EXPECT_THAT(secure->statusDetail().toStdString(), testing::HasSubstr(GetParam().problem));
    const auto drawn = plain->drawnCount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return plain->drawnCount() >= drawn + 3; }, media_test::kDeadlineMs));
}

INSTANTIATE_TEST_SUITE_P(Files, UnusableAuthoritiesTest,
    testing::Values(
        UnusableAuthorities { "Fifo", [](const std::string& file) { ::mkfifo(file.c_str(), 0600); },
            "extra.pem cannot be used: it is not a regular file" },
        UnusableAuthorities { "Oversized",
            [](const std::string& file) {
                const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT, 0600);
                static_cast<void>(::ftruncate(fd, media::kMaxExtraAuthorityBytes + 1));
                ::close(fd);
            },
            "extra.pem cannot be used: it is larger than 4 MiB" }),
    [](const testing::TestParamInfo<UnusableAuthorities>& info) { return std::string(info.param.name); });

} // namespace
