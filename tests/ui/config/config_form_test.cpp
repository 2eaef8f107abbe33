// SPDX-License-Identifier: GPL-2.0-or-later
// Loading the form from the settings and writing every field back on close.
#include "core/settings/camera_schema.h"
#include "core/settings/registry_access.h"
#include "tests/support/test_env.h"
#include "tests/ui/config/config_test_support.h"
#include "tests/ui/config/registry_probe.h"
#include "ui/config/three_state_check_box.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <ostream>

using namespace config_test;
namespace Value = Veskat::CameraValue;

namespace {

constexpr const char* kTextValues[] = { Value::IPAddress, Value::Username, Value::Password, Value::Title };
constexpr const char* kBoxValues[] = { Value::ShowMe, Value::Debug };

class ConfigForm : public testing::Test {
protected:
    void TearDown() override { closeAnyOpenForm(); }

    veskat_test::TempEnvironment m_env;
};

TEST_F(ConfigForm, LoadPutsEverySettingIntoItsOwnField)
{
    seedAllCameras();
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        const QString n = QString::number(i);
        EXPECT_EQ(form->txtIPAddress[i]->text(), "10.0.0." + n);
        EXPECT_EQ(form->txtUsername[i]->text(), "user" + n);
        EXPECT_EQ(form->txtPassword[i]->text(), "secret" + n);
        EXPECT_EQ(form->txtCameraTitle[i]->text(), "Gate " + n);
        EXPECT_EQ(form->chkShow[i]->checkState(), i % 2 ? Qt::Checked : Qt::Unchecked);
        EXPECT_EQ(form->chkDebugMode[i]->checkState(), (i + 1) % 2 ? Qt::Checked : Qt::Unchecked);
    }
}

TEST_F(ConfigForm, CloseBoxRewritesAll84Values)
{
    // Cameras 0 to 6 hold settings (camera 2's address as a number); 7 to 13 only
    // have their keys, as start-up leaves them before seeding.
    for (int i = 7; i < 14; ++i)
        Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, Veskat::CameraKeyPath(i), Veskat::kLocalMachine);
    for (int i = 0; i < 7; ++i) {
        const std::string n = std::to_string(i);
        writeText(i, Value::IPAddress, "10.0.0." + n);
        writeText(i, Value::Username, "user" + n);
        writeText(i, Value::Password, "secret" + n);
        writeText(i, Value::Title, "Gate " + n);
        writeNumber(i, Value::ShowMe, i % 2);
        writeNumber(i, Value::Debug, 1);
    }
    writeNumber(2, Value::IPAddress, 5);

    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    closeWithCloseBox(form);
    flushDeletes();
    EXPECT_EQ(frmCameraConfig::openForm(), nullptr);

    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        const bool seeded = i < 7;
        const std::string n = std::to_string(i);
        const std::string expected[]
            = { i == 2 ? "5" : "10.0.0." + n, "user" + n, "secret" + n, "Gate " + n };
        for (int k = 0; k < 4; ++k) {
            const auto raw = readRaw(i, kTextValues[k]);
            ASSERT_TRUE(raw) << kTextValues[k];
            EXPECT_EQ(raw->type, REG_SZ) << kTextValues[k];
            EXPECT_EQ(raw->text(), seeded ? expected[k] : "") << kTextValues[k];
        }
        const auto showMe = readRaw(i, Value::ShowMe);
        const auto debug = readRaw(i, Value::Debug);
        ASSERT_TRUE(showMe && debug);
        EXPECT_EQ(showMe->type, REG_DWORD);
        EXPECT_EQ(debug->type, REG_DWORD);
        EXPECT_EQ(showMe->number(), seeded ? i % 2 : 0);
        EXPECT_EQ(debug->number(), seeded ? 1 : 0);
    }
}

TEST_F(ConfigForm, SaveAndExitStoresATypedAddressAndCloses)
{
    seedAllCameras();
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    form->txtIPAddress[4]->selectAll();
    QTest::keyClicks(form->txtIPAddress[4], "127.0.0.1:8085");
    QTest::mouseClick(form->cmdSave, Qt::LeftButton);
    flushDeletes();

    EXPECT_EQ(frmCameraConfig::openForm(), nullptr);
    const auto address = readRaw(4, Value::IPAddress);
    ASSERT_TRUE(address);
    EXPECT_EQ(address->type, REG_SZ);
    EXPECT_EQ(address->text(), "127.0.0.1:8085");
    EXPECT_EQ(readRaw(3, Value::IPAddress)->text(), "10.0.0.3");
    EXPECT_EQ(readRaw(5, Value::IPAddress)->text(), "10.0.0.5");
}

TEST_F(ConfigForm, EditsOfEveryKindAreStoredAsTyped)
{
    seedAllCameras();
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    form->txtCameraTitle[13]->clear();
    form->txtUsername[13]->setText(QString::fromUtf8("J\u00fcrgen"));
    form->txtPassword[13]->setText(QString::fromUtf8("\u043f\u0430\u0440\u043e\u043b\u044c\u20ac"));
    const QString longTitle(40000, QChar('x'));
    form->txtCameraTitle[0]->setText(longTitle);
    QTest::mouseClick(form->chkShow[13], Qt::LeftButton); // 1 -> 0
    QTest::mouseClick(form->chkDebugMode[13], Qt::LeftButton); // 0 -> 1
    QTest::mouseClick(form->cmdSave, Qt::LeftButton);
    flushDeletes();

    EXPECT_EQ(readRaw(13, Value::Title)->text(), "");
    EXPECT_EQ(readRaw(13, Value::Title)->type, REG_SZ);
    EXPECT_EQ(readRaw(13, Value::Username)->text(), "J\u00fcrgen");
    EXPECT_EQ(readRaw(13, Value::Password)->text(), "\u043f\u0430\u0440\u043e\u043b\u044c\u20ac");
    EXPECT_EQ(readRaw(0, Value::Title)->text(), longTitle.toStdString());
    EXPECT_EQ(readRaw(13, Value::ShowMe)->number(), 0);
    EXPECT_EQ(readRaw(13, Value::Debug)->number(), 1);
}

TEST_F(ConfigForm, StoredTwoShowsGrayedAndIsWrittenBackAsTwo)
{
    seedAllCameras();
    writeNumber(3, Value::Debug, 2);
    writeNumber(9, Value::ShowMe, 2);
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    EXPECT_EQ(form->chkDebugMode[3]->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(form->chkShow[9]->checkState(), Qt::PartiallyChecked);
    closeWithCloseBox(form);

    for (const auto& [index, name] : { std::pair { 3, Value::Debug }, std::pair { 9, Value::ShowMe } }) {
        const auto raw = readRaw(index, name);
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, REG_DWORD);
        EXPECT_EQ(raw->number(), 2);
    }
}

TEST_F(ConfigForm, UserOnlyTogglesBetweenUncheckedAndChecked)
{
    seedAllCameras();
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    ThreeStateCheckBox* box = form->chkShow[0]; // stored 0
    ASSERT_EQ(box->checkState(), Qt::Unchecked);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->checkState(), Qt::Checked);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(box->checkState(), Qt::Unchecked);
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_EQ(box->checkState(), Qt::Checked);
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_EQ(box->checkState(), Qt::Unchecked);
}

TEST_F(ConfigForm, EscapeAndEnterDoNotCloseTheForm)
{
    seedAllCameras();
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    QTest::keyClick(form->txtIPAddress[2], Qt::Key_Escape);
    QTest::keyClick(form->txtIPAddress[2], Qt::Key_Return);
    QTest::keyClick(form, Qt::Key_Escape);
    flushDeletes();
    EXPECT_EQ(frmCameraConfig::openForm(), form);
    EXPECT_TRUE(form->isVisible());
}

// A "ShowMe" or "Debug" that a three-state box cannot show.
struct Unshowable {
    const char* name;
    DWORD type;
    std::string text;
    std::int32_t number;
};

void PrintTo(const Unshowable& u, std::ostream* os)
{
    *os << u.name;
}

class UnshowableValue : public ConfigForm, public testing::WithParamInterface<Unshowable> {
protected:
    void store(int index, const char* name) const
    {
        if (GetParam().type == REG_SZ)
            writeText(index, name, GetParam().text);
        else
            writeNumber(index, name, GetParam().number);
    }
};

TEST_P(UnshowableValue, OpensGrayedAndSurvivesUntouched)
{
    seedAllCameras();
    store(6, Value::ShowMe);
    store(11, Value::Debug);
    const auto showMeBefore = readRaw(6, Value::ShowMe);
    const auto debugBefore = readRaw(11, Value::Debug);
    ASSERT_TRUE(showMeBefore && debugBefore);

    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->chkShow[6]->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(form->chkDebugMode[11]->checkState(), Qt::PartiallyChecked);
    closeWithCloseBox(form);

    const auto showMeAfter = readRaw(6, Value::ShowMe);
    const auto debugAfter = readRaw(11, Value::Debug);
    ASSERT_TRUE(showMeAfter && debugAfter);
    EXPECT_EQ(showMeAfter->type, showMeBefore->type);
    EXPECT_EQ(showMeAfter->bytes, showMeBefore->bytes);
    EXPECT_EQ(debugAfter->type, debugBefore->type);
    EXPECT_EQ(debugAfter->bytes, debugBefore->bytes);
}

TEST_P(UnshowableValue, TouchedBoxStoresWhatTheUserChose)
{
    seedAllCameras();
    store(6, Value::ShowMe);
    store(11, Value::Debug);
    frmCameraConfig* form = frmCameraConfig::showOrRaise();
    QTest::mouseClick(form->chkShow[6], Qt::LeftButton); // grayed -> unchecked
    QTest::mouseClick(form->chkDebugMode[11], Qt::LeftButton); // grayed -> unchecked
    QTest::mouseClick(form->chkDebugMode[11], Qt::LeftButton); // -> checked
    QTest::mouseClick(form->cmdSave, Qt::LeftButton);

    const auto showMe = readRaw(6, Value::ShowMe);
    const auto debug = readRaw(11, Value::Debug);
    ASSERT_TRUE(showMe && debug);
    EXPECT_EQ(showMe->type, REG_DWORD);
    EXPECT_EQ(showMe->number(), 0);
    EXPECT_EQ(debug->type, REG_DWORD);
    EXPECT_EQ(debug->number(), 1);
}

INSTANTIATE_TEST_SUITE_P(StoredValues, UnshowableValue,
    testing::Values(Unshowable { "number_three", REG_DWORD, "", 3 },
        Unshowable { "number_minus_one", REG_DWORD, "", -1 },
        Unshowable { "number_beyond_16_bits", REG_DWORD, "", 70000 },
        Unshowable { "text_abc", REG_SZ, "abc", 0 }, Unshowable { "text_big_number", REG_SZ, "99999", 0 },
        Unshowable { "text_empty", REG_SZ, "", 0 }),
    [](const testing::TestParamInfo<Unshowable>& info) { return std::string(info.param.name); });

} // namespace
