#include "window/qt/sheet_print.h"

#include <QAbstractTextDocumentLayout>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>

namespace tavorin {
namespace {

void printOn(const std::string& html, QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    // Laid out at the device's resolution on its printable area, so that sizes in points
    // are points on paper and the page margins are the layout's alone.
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    document.setDocumentMargin(0);
    document.setPageSize(device.pageLayout().paintRectPixels(device.logicalDpiX()).size());
    QString text = QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size()));
    // Qt repeats a table's header rows on every page, but then loses the block that follows
    // a table that crosses a page (the next group's heading): print the header row once.
    text.remove(QStringLiteral("<thead>")).remove(QStringLiteral("</thead>"));
    // Cell padding is in the layout's pixels: give the tables the sheet's 1.2 mm.
    const int padding = qRound(1.2 / 25.4 * device.logicalDpiX());
    text.replace(QStringLiteral("cellpadding=\"3\""),
                 QStringLiteral("cellpadding=\"%1\"").arg(padding));
    document.setHtml(text);
    document.print(&device);
}

}  // namespace

void printSheet(const std::string& html, QPrinter& printer) { printOn(html, printer); }

void printSheetAsking(QWidget* parent, const std::string& html) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() == QDialog::Accepted) printSheet(html, printer);
}

QString exportSheetPdf(const std::string& html, const QString& path) {
    // QSaveFile writes beside the target and renames on commit: a failed export keeps the
    // old file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("无法保存文件“%1”：%2").arg(path, file.errorString());
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setTitle(QStringLiteral("计算书"));
        writer.setCreator(QStringLiteral("Tavorin"));
        printOn(html, writer);
    }
    if (!file.commit()) {
        return QStringLiteral("无法保存文件“%1”：%2").arg(path, file.errorString());
    }
    return {};
}

}  // namespace tavorin
