// SPDX-License-Identifier: GPL-2.0-or-later
// The form's controls: the 14 camera frames in a grid of four columns filled
// column by column, their labels, text boxes and check boxes, and the button,
// all placed in twips.
#include "ui/config/frm_camera_config.h"

#include "ui/config/three_state_check_box.h"
#include "ui/twips/screen_dpi.h"
#include "ui/twips/twips.h"

#include <QFont>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace {

constexpr int kClientWidth = 14340;
constexpr int kClientHeight = 9900;

constexpr int kColumnLeft[] = { 45, 3690, 7245, 10755 };
constexpr int kColumnWidth[] = { 3570, 3480, 3435, 3525 };
constexpr int kRowTop[] = { 45, 2475, 4905, 7335 };
constexpr int kFrameHeight = 2400;
constexpr int kRows = 4;

struct Place {
    int left, top, width, height;
};

constexpr Place kTitleLabel { 225, 315, 1140, 195 };
constexpr Place kTitleBox { 1395, 270, 1815, 285 };
constexpr Place kUsernameLabel { 225, 810, 945, 195 };
constexpr Place kUsernameBox { 1395, 765, 1815, 285 };
constexpr Place kPasswordLabel { 225, 1305, 885, 195 };
constexpr Place kPasswordBox { 1395, 1260, 1815, 285 };
constexpr Place kIPAddressLabel { 225, 1800, 990, 195 };
constexpr Place kIPAddressBox { 1395, 1755, 1815, 285 };
constexpr Place kDebugCheck { 225, 2115, 1005, 195 };
constexpr Place kShowCheck { 1395, 2115, 1050, 240 };
constexpr Place kSaveButton { 11025, 9270, 3075, 375 };

// Frame 0 was laid out by hand: labels and text boxes sit lower, and some
// check boxes are narrower.
constexpr int kFrame0Drop = 45;
constexpr int kFrame0DebugWidth = 780;
constexpr int kNarrowShowWidth = 1005;

bool hasNarrowShowBox(int index)
{
    return index <= 3 || index == 7;
}

// MS Sans Serif where the machine has it, else the nearest sans font.
QFont formFont(double points, bool bold)
{
    static const QStringList families = [] {
        const QStringList wanted { "MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial",
            "Arimo" };
        QStringList present;
        for (const QString& family : wanted) {
            if (QFontDatabase::hasFamily(family))
                present << family;
        }
        return present;
    }();
    QFont font;
    if (!families.isEmpty())
        font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QRect toPixels(platform::ScreenDpi dpi, double left, double top, double width, double height)
{
    return { platform::twipsToPixels(left, dpi.x), platform::twipsToPixels(top, dpi.y),
        platform::twipsToPixelSize(width, dpi.x), platform::twipsToPixelSize(height, dpi.y) };
}

QRect toPixels(platform::ScreenDpi dpi, const Place& place, int drop = 0, int width = 0)
{
    return toPixels(dpi, place.left, place.top + drop, width ? width : place.width, place.height);
}

// A label sized to its text, as the form's labels are.
QLabel* makeLabel(const QString& text, QWidget* parent, const QRect& place, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->move(place.topLeft());
    label->adjustSize();
    return label;
}

QLineEdit* makeTextBox(QWidget* parent, const QRect& place, const QFont& font)
{
    auto* box = new QLineEdit(parent);
    box->setFont(font);
    box->setGeometry(place);
    // Stored texts of any length must survive a load and save unchanged.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

ThreeStateCheckBox* makeCheckBox(const QString& text, QWidget* parent, const QRect& place, const QFont& font)
{
    auto* box = new ThreeStateCheckBox(text, parent);
    box->setFont(font);
    box->setGeometry(place);
    return box;
}

} // namespace

void frmCameraConfig::createControls()
{
    const platform::ScreenDpi dpi = platform::screenDpi(this);
    const QFont regular = formFont(8.25, false);
    const QFont labelFont = formFont(8.25, true);
    const QFont captionFont = formFont(9.75, true);

    setFont(regular);
    setFixedSize(
        platform::twipsToPixelSize(kClientWidth, dpi.x), platform::twipsToPixelSize(kClientHeight, dpi.y));

    for (int i = 0; i < kCameraCount; ++i) {
        const int column = i / kRows;
        const int row = i % kRows;
        auto* frame = new QGroupBox(QStringLiteral("Camera %1 Setup").arg(i + 1), this);
        frame->setFont(captionFont);
        frame->setGeometry(
            toPixels(dpi, kColumnLeft[column], kRowTop[row], kColumnWidth[column], kFrameHeight));
        fraCamera[i] = frame;

        const int drop = i == 0 ? kFrame0Drop : 0;
        lblCameraTitle[i] = makeLabel("Camera Title:", frame, toPixels(dpi, kTitleLabel, drop), labelFont);
        txtCameraTitle[i] = makeTextBox(frame, toPixels(dpi, kTitleBox, drop), regular);
        lblUsername[i] = makeLabel("UserName:", frame, toPixels(dpi, kUsernameLabel, drop), labelFont);
        txtUsername[i] = makeTextBox(frame, toPixels(dpi, kUsernameBox, drop), regular);
        lblPassword[i] = makeLabel("Password:", frame, toPixels(dpi, kPasswordLabel, drop), labelFont);
        txtPassword[i] = makeTextBox(frame, toPixels(dpi, kPasswordBox, drop), regular);
        lblIPAddress[i] = makeLabel("IP Address:", frame, toPixels(dpi, kIPAddressLabel, drop), labelFont);
        txtIPAddress[i] = makeTextBox(frame, toPixels(dpi, kIPAddressBox, drop), regular);

        const int debugWidth = i == 0 ? kFrame0DebugWidth : 0;
        chkDebugMode[i] = makeCheckBox("Debug", frame, toPixels(dpi, kDebugCheck, 0, debugWidth), regular);
        const int showWidth = hasNarrowShowBox(i) ? kNarrowShowWidth : 0;
        chkShow[i] = makeCheckBox("Show Me", frame, toPixels(dpi, kShowCheck, 0, showWidth), regular);
    }

    cmdSave = new QPushButton(QStringLiteral("Save and Exit"), this);
    cmdSave->setFont(captionFont);
    cmdSave->setGeometry(toPixels(dpi, kSaveButton));
    cmdSave->setAutoDefault(false);
    cmdSave->setDefault(false);
}

// Left to right inside a frame, row by row, frame by frame; the button last.
void frmCameraConfig::setTabOrderFrameByFrame()
{
    QWidget* previous = nullptr;
    const auto chain = [&previous](QWidget* next) {
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    };
    for (int i = 0; i < kCameraCount; ++i) {
        chain(txtCameraTitle[i]);
        chain(txtUsername[i]);
        chain(txtPassword[i]);
        chain(txtIPAddress[i]);
        chain(chkDebugMode[i]);
        chain(chkShow[i]);
    }
    chain(cmdSave);
}
