// The field store of the window: the engine's three operations on the widgets of Form1,
// addressed by control name.
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>
#include <string>
#include <string_view>

#include "engine/fields.h"
#include "window/command.h"

namespace tavorin {

class WidgetStore final : public WindowStore {
  public:
    // Makes `widget` reachable under `name`. Texts work on QLineEdit and QComboBox,
    // captions on QLabel.
    void add(std::string_view name, QWidget* widget);

    // Each fails for an unknown name, a widget of the wrong kind or one that is gone.
    bool readText(std::string_view name, std::string& text) override;
    bool replaceText(std::string_view name, std::string_view text) override;
    bool setCaption(std::string_view name, std::string_view caption) override;
    bool readCaption(std::string_view name, std::string& caption) override;

  private:
    QWidget* find(std::string_view name) const;

    std::map<std::string, QPointer<QWidget>, std::less<>> m_widgets;
};

}  // namespace tavorin
