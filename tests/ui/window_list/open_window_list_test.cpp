// SPDX-License-Identifier: GPL-2.0-or-later
// The open-window list: creation order, entries that go with their windows,
// captions and camera indexes read late by property.
#include "ui/window_list/open_window_list.h"

#include <QWidget>
#include <gmock/gmock.h>

#include <memory>

namespace {

using platform::OpenWindowList;

class OpenWindowListTest : public testing::Test {
protected:
    OpenWindowList& list = OpenWindowList::instance();
    const int m_before = list.count();

    QWidget* window(const char* caption, std::optional<int> cameraNum = std::nullopt)
    {
        m_windows.push_back(std::make_unique<QWidget>());
        QWidget* w = m_windows.back().get();
        w->setWindowTitle(QString::fromUtf8(caption));
        if (cameraNum)
            w->setProperty("ppCameraNum", *cameraNum);
        list.add(w);
        return w;
    }

    std::vector<std::unique_ptr<QWidget>> m_windows;
};

TEST_F(OpenWindowListTest, KeepsWindowsInTheOrderTheyWereAdded)
{
    QWidget* frame = window("Frame");
    QWidget* config = window("Camera Configuration");
    QWidget* camera = window("*Camera #1", 0);

    ASSERT_EQ(list.count(), m_before + 3);
    EXPECT_EQ(list.at(m_before), frame);
    EXPECT_EQ(list.at(m_before + 1), config);
    EXPECT_EQ(list.at(m_before + 2), camera);
    EXPECT_EQ(list.caption(m_before + 2), QStringLiteral("*Camera #1"));
}

TEST_F(OpenWindowListTest, AddingAWindowTwiceKeepsOneEntry)
{
    QWidget* w = window("Once");
    list.add(w);

    EXPECT_EQ(list.count(), m_before + 1);
}

TEST_F(OpenWindowListTest, ADestroyedWindowLeavesAtOnceAndTheOthersMoveUp)
{
    window("First");
    window("Second");
    QWidget* third = window("Third");

    m_windows[1].reset();

    ASSERT_EQ(list.count(), m_before + 2);
    EXPECT_EQ(list.at(m_before + 1), third);
}

TEST_F(OpenWindowListTest, ARemovedWindowIsNoLongerListed)
{
    QWidget* w = window("Closed");

    list.remove(w);

    EXPECT_EQ(list.count(), m_before);
}

TEST_F(OpenWindowListTest, OnlyWindowsWithACameraIndexReportOne)
{
    window("Camera Configuration");
    window("*Camera #8", 7);
    window("Odd", std::nullopt)->setProperty("ppCameraNum", QStringLiteral("not a number"));

    EXPECT_EQ(list.cameraNumber(m_before), std::nullopt);
    EXPECT_EQ(list.cameraNumber(m_before + 1), 7);
    EXPECT_EQ(list.cameraNumber(m_before + 2), std::nullopt);
}

TEST_F(OpenWindowListTest, PositionsOutsideTheListGiveNothing)
{
    EXPECT_EQ(list.at(-1), nullptr);
    EXPECT_EQ(list.at(list.count()), nullptr);
    EXPECT_TRUE(list.caption(list.count()).isEmpty());
    EXPECT_EQ(list.cameraNumber(list.count()), std::nullopt);
}

} // namespace
