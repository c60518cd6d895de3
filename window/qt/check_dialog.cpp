#include "window/qt/check_dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <utility>
#include <vector>

#include "window/check_dialog.h"
#include "window/qt/controls.h"
#include "window/qt/fonts.h"

namespace tavorin {
namespace {

// A verdict's text in its colour, or the box's own when it is no verdict.
void colourVerdict(QLineEdit* box) {
    QPalette palette = QApplication::palette(box);
    if (const std::optional<Rgb> colour = verdictColour(box->text().toStdString())) {
        palette.setColor(QPalette::Text, QColor(colour->red, colour->green, colour->blue));
    }
    box->setPalette(palette);
}

}  // namespace

CheckDialog::CheckDialog(QWidget* parent, WidgetStore& store, std::function<void(Command)> run)
    : QDialog(parent) {
    setObjectName(fromUtf8(kCheckDialogName));
    setWindowTitle(fromUtf8(kCheckDialogTitle));
    setModal(false);
    const qreal ratio = qApp->devicePixelRatio();
    setFont(windowFont(FontRole::Default, ratio));

    const auto table = checkDialogTable();
    std::vector<QWidget*> widgets(table.size(), nullptr);
    for (size_t row = 0; row < table.size(); ++row) {
        const ControlSpec& c = table[row];
        QWidget* widget = placeControl(c, this, ratio);
        if (widget == nullptr) continue;
        if (auto* button = qobject_cast<QPushButton*>(widget);
            button && c.command != Command::None) {
            connect(button, &QPushButton::clicked, this,
                    [run, command = c.command] { run(command); });
        }
        if (auto* box = qobject_cast<QLineEdit*>(widget); box && isVerdictBox(c.name)) {
            connect(box, &QLineEdit::textChanged, box, [box] { colourVerdict(box); });
        }
        widgets[row] = widget;
        store.add(c.name, widget);
    }
    setFocusOrder(widgets, checkFocusOrder());
    setFixedSize(twipsToPixels(kCheckClientWidth), twipsToPixels(kCheckClientHeight));
}

}  // namespace tavorin
