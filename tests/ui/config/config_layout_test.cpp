// SPDX-License-Identifier: GPL-2.0-or-later
// The form's window kind, its grid of camera frames, the controls inside each
// frame, fonts and tab order, in pixels at the screen's resolution.
#include "tests/support/test_env.h"
#include "tests/ui/config/config_test_support.h"
#include "ui/config/three_state_check_box.h"
#include "ui/twips/screen_dpi.h"

#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

#include <cmath>

using namespace config_test;

namespace {

class ConfigLayout : public testing::Test {
protected:
    void SetUp() override
    {
        m_form = frmCameraConfig::showOrRaise();
        const platform::ScreenDpi dpi = platform::screenDpi(m_form);
        m_dpiX = dpi.x;
        m_dpiY = dpi.y;
    }
    void TearDown() override { closeAnyOpenForm(); }

    int px(double twips) const { return static_cast<int>(std::lround(twips * m_dpiX / 1440.0)); }
    int py(double twips) const { return static_cast<int>(std::lround(twips * m_dpiY / 1440.0)); }
    QRect rect(double left, double top, double width, double height) const
    {
        return { px(left), py(top), px(width), py(height) };
    }

    veskat_test::TempEnvironment m_env;
    frmCameraConfig* m_form = nullptr;
    double m_dpiX = 96;
    double m_dpiY = 96;
};

TEST_F(ConfigLayout, IsAFixedTopLevelToolWindowThatKeepsTheProgramAlive)
{
    EXPECT_EQ(m_form->parentWidget(), nullptr);
    EXPECT_TRUE(m_form->isWindow());
    EXPECT_EQ(m_form->windowTitle(), "Camera Configuration");
    const Qt::WindowFlags flags = m_form->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool); // no task-bar entry
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(m_form->minimumSize(), m_form->maximumSize());
    EXPECT_TRUE(m_form->testAttribute(Qt::WA_QuitOnClose));
    EXPECT_FALSE(m_form->windowIcon().isNull());
}

TEST_F(ConfigLayout, ClientAreaIsTheDesignedSizeAndCentred)
{
    EXPECT_EQ(m_form->size(), QSize(px(14340), py(9900)));
    const QRect screen = m_form->screen()->availableGeometry();
    const QPoint offset = m_form->frameGeometry().center() - screen.center();
    EXPECT_LE(std::abs(offset.x()), 1);
    EXPECT_LE(std::abs(offset.y()), 1);
}

TEST_F(ConfigLayout, FramesFillTheGridColumnByColumn)
{
    const int lefts[] = { 45, 3690, 7245, 10755 };
    const int widths[] = { 3570, 3480, 3435, 3525 };
    const int tops[] = { 45, 2475, 4905, 7335 };
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        QGroupBox* frame = m_form->fraCamera[i];
        EXPECT_EQ(frame->parentWidget(), m_form);
        EXPECT_EQ(frame->title(), QStringLiteral("Camera %1 Setup").arg(i + 1));
        EXPECT_EQ(frame->geometry(), rect(lefts[i / 4], tops[i % 4], widths[i / 4], 2400));
        EXPECT_TRUE(frame->font().bold());
        EXPECT_DOUBLE_EQ(frame->font().pointSizeF(), 9.75);
    }
}

TEST_F(ConfigLayout, ButtonSitsInTheEmptyLowerPartOfTheFourthColumn)
{
    QPushButton* button = m_form->cmdSave;
    EXPECT_EQ(button->text(), "Save and Exit");
    EXPECT_EQ(button->geometry(), rect(11025, 9270, 3075, 375));
    EXPECT_GE(button->x(), m_form->fraCamera[13]->x());
    EXPECT_LE(button->geometry().right(), m_form->fraCamera[13]->geometry().right());
    EXPECT_GT(button->y(), m_form->fraCamera[13]->geometry().bottom());
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
    EXPECT_TRUE(button->font().bold());
    EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 9.75);
}

struct Place {
    int left, top, width, height;
};

TEST_F(ConfigLayout, ControlsLieWhereTheFrameLayoutPutsThem)
{
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        const int drop = i == 0 ? 45 : 0;
        const int debugWidth = i == 0 ? 780 : 1005;
        const int showWidth = (i <= 3 || i == 7) ? 1005 : 1050;
        const std::pair<QLineEdit*, Place> boxes[] = {
            { m_form->txtCameraTitle[i], { 1395, 270 + drop, 1815, 285 } },
            { m_form->txtUsername[i], { 1395, 765 + drop, 1815, 285 } },
            { m_form->txtPassword[i], { 1395, 1260 + drop, 1815, 285 } },
            { m_form->txtIPAddress[i], { 1395, 1755 + drop, 1815, 285 } },
        };
        for (const auto& [box, p] : boxes) {
            EXPECT_EQ(box->parentWidget(), m_form->fraCamera[i]);
            EXPECT_EQ(box->geometry(), rect(p.left, p.top, p.width, p.height));
            EXPECT_FALSE(box->font().bold());
            EXPECT_DOUBLE_EQ(box->font().pointSizeF(), 8.25);
            EXPECT_EQ(box->echoMode(), QLineEdit::Normal);
        }
        const std::tuple<QLabel*, QString, QPoint> labels[] = {
            { m_form->lblCameraTitle[i], "Camera Title:", { 225, 315 + drop } },
            { m_form->lblUsername[i], "UserName:", { 225, 810 + drop } },
            { m_form->lblPassword[i], "Password:", { 225, 1305 + drop } },
            { m_form->lblIPAddress[i], "IP Address:", { 225, 1800 + drop } },
        };
        for (const auto& [label, text, at] : labels) {
            EXPECT_EQ(label->parentWidget(), m_form->fraCamera[i]);
            EXPECT_EQ(label->text(), text);
            EXPECT_EQ(label->pos(), QPoint(px(at.x()), py(at.y())));
            EXPECT_TRUE(label->font().bold());
            EXPECT_DOUBLE_EQ(label->font().pointSizeF(), 8.25);
        }
        EXPECT_EQ(m_form->chkDebugMode[i]->text(), "Debug");
        EXPECT_EQ(m_form->chkDebugMode[i]->geometry(), rect(225, 2115, debugWidth, 195));
        EXPECT_EQ(m_form->chkShow[i]->text(), "Show Me");
        EXPECT_EQ(m_form->chkShow[i]->geometry(), rect(1395, 2115, showWidth, 240));
        EXPECT_TRUE(m_form->chkShow[i]->isTristate());
        EXPECT_FALSE(m_form->chkShow[i]->font().bold());
    }
}

TEST_F(ConfigLayout, TextsUseASansFont)
{
    for (QWidget* w : { static_cast<QWidget*>(m_form->txtIPAddress[5]),
             static_cast<QWidget*>(m_form->lblPassword[5]), static_cast<QWidget*>(m_form->fraCamera[5]) }) {
        const QFontInfo info(w->font());
        EXPECT_FALSE(info.fixedPitch()) << info.family().toStdString();
    }
}

TEST_F(ConfigLayout, TabGoesLeftToRightInsideAFrameFrameByFrame)
{
    std::vector<QWidget*> expected;
    for (int i = 0; i < 14; ++i) {
        for (QWidget* w :
            { static_cast<QWidget*>(m_form->txtCameraTitle[i]), static_cast<QWidget*>(m_form->txtUsername[i]),
                static_cast<QWidget*>(m_form->txtPassword[i]), static_cast<QWidget*>(m_form->txtIPAddress[i]),
                static_cast<QWidget*>(m_form->chkDebugMode[i]), static_cast<QWidget*>(m_form->chkShow[i]) })
            expected.push_back(w);
    }
    expected.push_back(m_form->cmdSave);

    std::vector<QWidget*> chain;
    QWidget* w = expected.front();
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != expected.front() && chain.size() < 500);
    EXPECT_EQ(chain, expected);
}

} // namespace
