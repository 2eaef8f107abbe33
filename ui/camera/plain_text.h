// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Words from a camera or from the settings (a status detail, a title, an
// address) are plain text wherever they are shown. A tooltip has no text
// format of its own: Qt takes it as rich text when Qt::mightBeRichText says
// so, and a camera's "<table>" nested a few thousand deep would then be laid
// out (or an "<img src=...>" loaded). These keep such text plain.
//
// Thread: UI thread (Qt text helpers).
#include <QString>

namespace camera {

// A title shown in a window is cut to this many characters (UTF-16 units,
// never half a surrogate pair): it is a label under a picture, not a store.
inline constexpr qsizetype kMaxShownTitleLength = 256;

// `plain` as a tooltip shows it literally: unchanged when Qt takes it as
// plain text anyway, else escaped rich text with its line breaks.
QString toolTipOfPlainText(const QString& plain);

// `title` cut to kMaxShownTitleLength.
QString shownTitle(const QString& title);

} // namespace camera
