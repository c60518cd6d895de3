// One row of a control table as a Qt widget, the same for Form1 and the check dialog.
#pragma once

#include <QString>
#include <QWidget>
#include <span>
#include <string_view>
#include <vector>

#include "window/control_table.h"

namespace tavorin {

QString fromUtf8(std::string_view text);

// The widget of a row (not a menu entry) on `area`: named, at its place in pixels, in its
// font (`ratio` the screen's device pixel ratio), with its initial text and accessible name;
// a label lies beneath the boxes reaching over it. Text boxes take any text of any length;
// a result box's tooltip is its text (showsTextAsTip()); the button is neither default nor
// auto-default.
QWidget* placeControl(const ControlSpec& c, QWidget* area, qreal ratio);

// Tab walks `widgets` (by table row) in `order`; the first gets the focus.
void setFocusOrder(const std::vector<QWidget*>& widgets, std::span<const std::size_t> order);

}  // namespace tavorin
