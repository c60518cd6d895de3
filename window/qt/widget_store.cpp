#include "window/qt/widget_store.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace tavorin {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void WidgetStore::add(std::string_view name, QWidget* widget) {
    m_widgets.insert_or_assign(std::string(name), QPointer<QWidget>(widget));
}

QWidget* WidgetStore::find(std::string_view name) const {
    const auto it = m_widgets.find(name);
    return it == m_widgets.end() ? nullptr : it->second.data();
}

bool WidgetStore::readText(std::string_view name, std::string& text) {
    QWidget* widget = find(name);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        text = box->text().toStdString();
        return true;
    }
    // A choice list's text is its field's, whether picked or typed.
    if (auto* list = qobject_cast<QComboBox*>(widget)) {
        text = list->currentText().toStdString();
        return true;
    }
    return false;
}

bool WidgetStore::replaceText(std::string_view name, std::string_view text) {
    QWidget* widget = find(name);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        box->setText(fromUtf8(text));
        // Show the beginning of a text wider than the box: the sign and leading digits.
        box->setCursorPosition(0);
        return true;
    }
    if (auto* list = qobject_cast<QComboBox*>(widget)) {
        list->setEditText(fromUtf8(text));
        return true;
    }
    return false;
}

bool WidgetStore::setCaption(std::string_view name, std::string_view caption) {
    auto* label = qobject_cast<QLabel*>(find(name));
    if (label == nullptr) return false;
    label->setText(fromUtf8(caption));
    return true;
}

bool WidgetStore::readCaption(std::string_view name, std::string& caption) {
    auto* label = qobject_cast<QLabel*>(find(name));
    if (label == nullptr) return false;
    caption = label->text().toStdString();
    return true;
}

}  // namespace tavorin
