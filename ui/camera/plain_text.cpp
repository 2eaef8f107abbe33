// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/camera/plain_text.h"

#include <QTextDocument>

namespace camera {

QString toolTipOfPlainText(const QString& plain)
{
    if (!Qt::mightBeRichText(plain))
        return plain;
    return Qt::convertFromPlainText(plain, Qt::WhiteSpaceNormal);
}

QString shownTitle(const QString& title)
{
    if (title.size() <= kMaxShownTitleLength)
        return title;
    qsizetype end = kMaxShownTitleLength;
    if (title.at(end - 1).isHighSurrogate())
        --end;
    return title.left(end);
}

} // namespace camera
