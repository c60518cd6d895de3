#include "window/qt/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "window/control_table.h"
#include "window/qt/controls.h"
#include "window/qt/save_question.h"

namespace tavorin {

void Dialogs::report(QWidget* parent, std::string_view message) const {
    if (reportFault) {
        reportFault(fromUtf8(message));
        return;
    }
    QMessageBox::warning(parent, fromUtf8(kMessageTitle), fromUtf8(message));
}

std::string Dialogs::path(QWidget* parent, const FileMenuEntry& entry,
                          const std::string& utf8Offer) const {
    const QString offer = fromUtf8(utf8Offer);
    if (choosePath) return choosePath(entry, offer).toStdString();
    const QString title = fromUtf8(dialogTitle(entry));
    QString path = opensFile(entry)
                       ? QFileDialog::getOpenFileName(parent, title, {}, fromUtf8(entry.filter))
                       : QFileDialog::getSaveFileName(parent, title, offer, fromUtf8(entry.filter));
    if (!path.isEmpty() && !opensFile(entry) && QFileInfo(path).suffix().isEmpty()) {
        path += fromUtf8(entry.suffix);
    }
    return path.toStdString();
}

SaveAnswer Dialogs::ask(QWidget* parent, std::string_view question) const {
    if (askToSave) return askToSave(fromUtf8(question));
    return tavorin::askToSave(parent, fromUtf8(question));
}

}  // namespace tavorin
