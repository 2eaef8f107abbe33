// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/config/three_state_check_box.h"

ThreeStateCheckBox::ThreeStateCheckBox(const QString& text, QWidget* parent)
    : QCheckBox(text, parent)
{
    setTristate(true);
}

void ThreeStateCheckBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
}
