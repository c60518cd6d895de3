// The two tables of the penstock window on Qt (window/penstock_window.h): the profile, typed
// cell by cell, and the results, read-only. Each column is as wide as its widest text (and
// its caption) in the table's font.
#pragma once

#include <QTableWidget>
#include <functional>
#include <span>

#include "window/penstock_window.h"

namespace tavorin {

// Gives `table` one column each of `columns`, captioned, wide enough for its `widest` text
// and its caption in the table's font, and rows as high as a box in that font.
void layOutTable(QTableWidget& table, std::span<const TableColumn> columns);

// The profile: editable; Tab walks its cells row by row and, after the last cell (before the
// first with Shift+Tab), on out of the table. While no cell is being edited, Insert and
// Delete (without modifiers) and the keys of paste and copy call their handlers.
class ProfileTable final : public QTableWidget {
  public:
    struct Keys {
        std::function<void()> insertRow, deleteRow, paste, copy;
    };
    ProfileTable(QWidget* parent, Keys keys);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    // Whether the current cell is the last (or the first) one Tab reaches.
    bool atEnd(bool next) const;

    Keys m_keys;
};

// The results: one row a block or pier row, read-only, selected by row. A double click or
// Enter (Return) on a row calls `open` with it.
class ResultTable final : public QTableWidget {
  public:
    ResultTable(QWidget* parent, std::function<void(int row)> open);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    std::function<void(int row)> m_open;
};

}  // namespace tavorin
