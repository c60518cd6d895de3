// The penstock window (管线计算) on Qt 6 Widgets: built from its control table
// (window/penstock_window.h) in one loop over the rows, with the profile table, the results
// table and the drawing at their places; the PenstockView over those widgets and the window's
// side (its messages, file dialogs, printer, notice and question) for the controller, which
// does everything else. A window of its own beside Form1, modeless, one at a time.
#pragma once

#include <QWidget>

#include "window/command.h"
#include "window/penstock_window.h"
#include "window/qt/dialogs.h"
#include "window/qt/widget_store.h"

namespace tavorin {

class Notice;
class ProfileTable;
class ProfileWidget;
class ResultTable;

class PenstockWindow final : public QWidget, private PenstockView, private WindowSide {
  public:
    // A new penstock in every box and cell (the controller's start()), the focus in the
    // first box; not yet shown. `form` is Form1, whose store, side and document a result row
    // opens in, and whose `dialogs` (replaced by tests) the window's are too.
    PenstockWindow(QWidget* form, WindowStore& formStore, WindowSide& formSide,
                   CaseDocument& formDocument, const Dialogs& dialogs);

    PenstockController& controller() { return m_controller; }

    // Shows the window in front of the others; one shown again has the focus in its first
    // box, as when it was made.
    void showRaised();

  protected:
    // Closes only when the question about unsaved changes lets it; the window then holds a
    // new penstock again, for the next time it is shown.
    void closeEvent(QCloseEvent* event) override;

  private:
    // PenstockView
    std::string lineText(std::string_view key) override;
    void setLineText(std::string_view key, std::string_view text) override;
    std::size_t rowCount() override;
    std::string cell(std::size_t row, std::size_t column) override;
    void setCell(std::size_t row, std::size_t column, std::string_view text) override;
    void insertRows(std::size_t at, std::size_t count) override;
    void removeRows(std::size_t at, std::size_t count) override;
    std::optional<std::pair<std::size_t, std::size_t>> currentCell() override;
    void selectCell(std::size_t row, std::size_t column) override;
    void focusBox(std::string_view key) override;
    void showResults(const std::vector<std::vector<std::string>>& rows) override;
    void showDrawing(const Penstock* penstock) override;

    // WindowSide
    void report(std::string_view message) override;
    std::string choosePath(const FileMenuEntry& entry, const std::string& offer) override;
    void print(const std::string& html) override;
    void showCheckDialog() override;
    void notify(std::string_view message) override;
    SaveAnswer askToSave(std::string_view question) override;

    void paste();
    void copy();
    void openInForm1(int row);

    QWidget* m_form;
    WindowSide& m_formSide;
    const Dialogs& m_dialogs;
    WidgetStore m_boxes;  // the line's boxes, by key
    ProfileTable* m_profile = nullptr;
    ResultTable* m_results = nullptr;
    ProfileWidget* m_drawing = nullptr;
    Notice* m_notice = nullptr;
    PenstockController m_controller;
};

}  // namespace tavorin
