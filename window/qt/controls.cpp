#include "window/qt/controls.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>
#include <limits>

#include "engine/fields.h"
#include "window/qt/fonts.h"

namespace tavorin {
namespace {

QWidget* createWidget(const ControlSpec& c, QWidget* area) {
    const QString text = fromUtf8(initialText(c));
    switch (c.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(area);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setFocusPolicy(Qt::NoFocus);
            label->setText(text);
            return label;
        }
        case ControlKind::TextBox: {
            auto* box = new QLineEdit(text, area);
            box->setMaxLength(std::numeric_limits<int>::max());
            box->setCursorPosition(0);
            return box;
        }
        case ControlKind::ChoiceList: {
            auto* list = new QComboBox(area);
            list->setEditable(true);
            // Typed text stays as typed: no completion, and Enter adds no item.
            list->setCompleter(nullptr);
            list->setInsertPolicy(QComboBox::NoInsert);
            for (std::string_view item : choiceItems(c.name)) {
                if (!item.empty()) list->addItem(fromUtf8(item));
            }
            list->setEditText(text);
            return list;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(text, area);
            button->setAutoDefault(false);
            button->setDefault(false);
            return button;
        }
        case ControlKind::MenuEntry:
            break;
    }
    return nullptr;
}

// A tooltip of `text` as typed: one that Qt would take for rich text ("<b>") is shown
// literally, on one line.
void setTextTip(QWidget* widget, const QString& text) {
    widget->setToolTip(
        Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text);
}

}  // namespace

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* placeControl(const ControlSpec& c, QWidget* area, qreal ratio) {
    QWidget* widget = createWidget(c, area);
    if (widget == nullptr) return nullptr;
    widget->setObjectName(fromUtf8(c.name));
    widget->setGeometry(twipsToPixels(c.left), twipsToPixels(c.top), twipsToPixels(c.width),
                        twipsToPixels(c.height));
    // The default font comes from the window; setting it again would only lay out the text
    // once more.
    if (c.font != FontRole::Default) widget->setFont(windowFont(c.font, ratio));
    if (c.kind == ControlKind::Label) {
        // A label reaching under a box is drawn beneath it.
        widget->lower();
    } else {
        widget->setAccessibleName(fromUtf8(accessibleName(c)));
    }
    if (auto* box = qobject_cast<QLineEdit*>(widget); box && showsTextAsTip(c)) {
        // Written by a command or typed: the tooltip is the whole text; none while empty.
        const auto showWholeText = [box](const QString& text) { setTextTip(box, text); };
        QObject::connect(box, &QLineEdit::textChanged, box, showWholeText);
        showWholeText(box->text());
    }
    return widget;
}

void setFocusOrder(const std::vector<QWidget*>& widgets, std::span<const std::size_t> order) {
    for (size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(widgets[order[i - 1]], widgets[order[i]]);
    }
    if (!order.empty()) widgets[order.front()]->setFocus();
}

}  // namespace tavorin
