// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A three-state check box that the user only toggles between unchecked and
// checked: the grayed state comes from the stored setting alone, and a click
// on a grayed box unchecks it.
//
// Thread: UI thread only.
#include <QCheckBox>

class ThreeStateCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit ThreeStateCheckBox(const QString& text, QWidget* parent = nullptr);

protected:
    void nextCheckState() override;
};
