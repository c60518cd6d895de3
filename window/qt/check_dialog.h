// The dialog of the stability check on Qt 6 Widgets: built from the dialog's control table
// (window/check_dialog.h) in one loop over its rows, its boxes added to Form1's field store.
#pragma once

#include <QDialog>
#include <functional>

#include "window/control_table.h"
#include "window/qt/widget_store.h"

namespace tavorin {

class CheckDialog final : public QDialog {
  public:
    // Every control at its place, font and default text, each reachable in `store` by its
    // name; a click on "验  算" calls `run` with its command. Not yet shown.
    CheckDialog(QWidget* parent, WidgetStore& store, std::function<void(Command)> run);
};

}  // namespace tavorin
