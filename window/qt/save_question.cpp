#include "window/qt/save_question.h"

#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

#include "window/control_table.h"
#include "window/qt/controls.h"

namespace tavorin {
namespace {

// The button box's role of each answer: it places the buttons as the desktop does.
QMessageBox::ButtonRole roleOf(SaveAnswer answer) {
    switch (answer) {
        case SaveAnswer::Save:
            return QMessageBox::AcceptRole;
        case SaveAnswer::Discard:
            return QMessageBox::DestructiveRole;
        case SaveAnswer::Cancel:
            break;
    }
    return QMessageBox::RejectRole;
}

const char* objectNameOf(SaveAnswer answer) {
    switch (answer) {
        case SaveAnswer::Save:
            return "save";
        case SaveAnswer::Discard:
            return "discard";
        case SaveAnswer::Cancel:
            break;
    }
    return "cancel";
}

}  // namespace

SaveAnswer askToSave(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Warning, fromUtf8(kMessageTitle), question, QMessageBox::NoButton,
                    parent);
    std::vector<std::pair<QAbstractButton*, SaveAnswer>> buttons;
    for (const SaveButton& b : kSaveButtons) {
        QPushButton* button = box.addButton(fromUtf8(b.caption), roleOf(b.answer));
        button->setObjectName(QString::fromLatin1(objectNameOf(b.answer)));
        buttons.emplace_back(button, b.answer);
        if (b.answer == SaveAnswer::Save) box.setDefaultButton(button);
        if (b.answer == SaveAnswer::Cancel) box.setEscapeButton(button);
    }
    box.exec();
    for (const auto& [button, answer] : buttons) {
        if (box.clickedButton() == button) return answer;
    }
    return SaveAnswer::Cancel;
}

}  // namespace tavorin
