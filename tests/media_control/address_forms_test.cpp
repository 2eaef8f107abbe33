// Camera addresses beyond the Axis form: whole http(s) URLs, https with
// certificates checked, the unset address 0.0.0.0, and where credentials go.
#include "platform/media/stream_url.h"
#include "tests/media_control/control_fixture.h"
#include "tests/media_control/loopback_servers.h"
#include "tests/media_control/test_pictures.h"
#include "tests/support/test_env.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

using media_test::configure;
using media_test::makeControl;
using media_test::statusOf;
using media_test::waitForStatus;

struct AddressCase {
    const char* address;
    const char* url;
};

class AddressForm : public testing::TestWithParam<AddressCase> { };

TEST_P(AddressForm, BecomesTheStreamUrl)
{
    EXPECT_EQ(media::streamUrlForAddress(GetParam().address), GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(Addresses, AddressForm,
    testing::Values(AddressCase { "10.1.2.3", "http://10.1.2.3/axis-cgi/mjpg/video.cgi" },
        AddressCase { "", "http:///axis-cgi/mjpg/video.cgi" },
        AddressCase { " http://cam/x", "http:// http://cam/x/axis-cgi/mjpg/video.cgi" },
        AddressCase { "httpcam", "http://httpcam/axis-cgi/mjpg/video.cgi" },
        AddressCase { "ftp://cam/x", "http://ftp://cam/x/axis-cgi/mjpg/video.cgi" },
        AddressCase {
            "http://cam:8081/videostream.cgi?user=a&pwd=b", "http://cam:8081/videostream.cgi?user=a&pwd=b" },
        AddressCase { "https://cam.local/mjpg", "https://cam.local/mjpg" },
        AddressCase { "HTTPS://Cam/Stream", "HTTPS://Cam/Stream" }));

TEST(AnyAddressHost, IsEverySpellingOfTheAnyAddress)
{
    for (const char* url : { "http://0.0.0.0/axis-cgi/mjpg/video.cgi", "http://0/x", "http://0x0:8080/",
             "http://user:pw@0.0.0.0/", "http://[::]/x" })
        EXPECT_TRUE(media::hasAnyAddressHost(url)) << url;
    for (const char* url : { "http://127.0.0.1/", "http://0.0.0.1/", "http://cam/", "http:///x", "" })
        EXPECT_FALSE(media::hasAnyAddressHost(url)) << url;
}

TEST(AnyAddressHost, IsAConnectionFailureWithoutAConnection)
{
    auto control = makeControl();
    configure(*control, QStringLiteral("http://0.0.0.0/axis-cgi/mjpg/video.cgi"), "root", "pw");
    control->invoke(media::DispId::Start);
    EXPECT_EQ(statusOf(*control), media::Status::ConnectionFailed);
    EXPECT_EQ(control->statusDetail(),
        QStringLiteral("no camera address (http://0.0.0.0/axis-cgi/mjpg/video.cgi)"));

    control->setFailureNote(QStringLiteral("set one"));
    EXPECT_EQ(control->shownDetail(), QStringLiteral("set one"));
}

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
            socket->disconnectFromHost();
        });
    });
    auto control = makeControl();
    configure(
        *control, QStringLiteral("http://127.0.0.1:%1/mjpg").arg(redirector.serverPort()), "root", "secret");
    control->invoke(media::DispId::Start);

    ASSERT_TRUE(waitForStatus(*control, media::Status::Unauthorized)) << statusOf(*control);
    EXPECT_GE(elsewhere.requests(), 1);
    EXPECT_TRUE(elsewhere.authorizations().isEmpty()) << elsewhere.authorizations().first().toStdString();
}

// --- https ---------------------------------------------------------------------------

// A self-signed certificate for 127.0.0.1, made with the openssl program.
struct TestCertificate {
    std::filesystem::path certFile;
    std::filesystem::path keyFile;
};

std::optional<TestCertificate> makeCertificate(const std::filesystem::path& dir)
{
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
        return std::nullopt;
    const TestCertificate made { dir / "camera.pem", dir / "camera.key" };
    const int result = QProcess::execute(QStringLiteral("openssl"),
        { "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2",
            "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
            QString::fromStdString(made.keyFile.string()), "-out",
            QString::fromStdString(made.certFile.string()) });
    if (result != 0)
        return std::nullopt;
    return made;
}

// Motion JPEG over TLS on 127.0.0.1: one fixed picture, as often as asked.
class TlsCamera : public QObject {
public:
    TlsCamera(const TestCertificate& certificate, QByteArray picture)
        : m_picture(std::move(picture))
    {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(
            QSslCertificate::fromPath(QString::fromStdString(certificate.certFile.string())).value(0));
        QFile key(QString::fromStdString(certificate.keyFile.string()));
        key.open(QIODevice::ReadOnly);
        tls.setPrivateKey(QSslKey(&key, QSsl::Ec));
        m_server.setSslConfiguration(tls);
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QSslServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    if (!socket->peek(64 * 1024).contains("\r\n\r\n") || m_streaming.contains(socket))
                        return;
                    socket->readAll();
                    socket->write(
                        "HTTP/1.1 200 OK\r\nContent-Type: multipart/x-mixed-replace; boundary=b\r\n\r\n");
                    m_streaming.append(socket);
                });
            }
        });
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (const QPointer<QTcpSocket>& socket : std::as_const(m_streaming))
                if (socket && socket->state() == QAbstractSocket::ConnectedState)
                    socket->write("--b\r\nContent-Type: image/jpeg\r\nContent-Length: "
                        + QByteArray::number(m_picture.size()) + "\r\n\r\n" + m_picture + "\r\n");
        });
        m_timer.start(40);
    }

    QString url() const
    {
        return QStringLiteral("https://127.0.0.1:%1/live/mjpeg?fps=25").arg(m_server.serverPort());
    }

private:
    QByteArray m_picture;
    QSslServer m_server;
    QTimer m_timer;
    QList<QPointer<QTcpSocket>> m_streaming;
};

class Https : public testing::Test {
protected:
    void SetUp() override
    {
        if (!QSslSocket::supportsSsl())
            GTEST_SKIP() << "Qt has no TLS backend";
        m_certificate = makeCertificate(m_env.dir());
        if (!m_certificate)
            GTEST_SKIP() << "the openssl program is missing or failed";
    }

    veskat_test::TempEnvironment m_env;
    std::optional<TestCertificate> m_certificate;
};

// The camera's certificate is trusted through the variable for extra
// authorities; the picture kept for snapshots is the camera's own bytes.
TEST_F(Https, ACertificateTrustedForCamerasPlays)
{
    const std::string picture = media_test::solidJpeg(320, 240, 40, 160, 90);
    TlsCamera camera(*m_certificate, QByteArray::fromStdString(picture));
    veskat_test::ScopedEnv trust(media::MjpegControl::kExtraCaVariable, m_certificate->certFile.string());
    auto control = makeControl();
    configure(*control, camera.url());
    control->invoke(media::DispId::Start);

    ASSERT_TRUE(waitForStatus(*control, media::Status::Playing)) << control->statusDetail().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return control->pictureJpeg() != nullptr; }, media_test::kDeadlineMs));
    EXPECT_EQ(*control->pictureJpeg(), picture);
}

TEST_F(Https, AnUntrustedCertificateIsAConnectionFailureThatSaysSo)
{
    TlsCamera camera(*m_certificate, QByteArray::fromStdString(media_test::solidJpeg(64, 48, 0, 0, 0)));
    veskat_test::ScopedEnv noExtraTrust(media::MjpegControl::kExtraCaVariable, std::nullopt);
    auto control = makeControl();
    configure(*control, camera.url(), "root", "secret");
    control->invoke(media::DispId::Start);

    ASSERT_TRUE(waitForStatus(*control, media::Status::ConnectionFailed)) << statusOf(*control);
    EXPECT_TRUE(control->statusDetail().startsWith(QStringLiteral("the camera's certificate is not trusted")))
        << control->statusDetail().toStdString();
}

} // namespace
