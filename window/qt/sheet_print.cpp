#include "window/qt/sheet_print.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>

namespace tavorin {
namespace {

void printOn(const std::string& html, QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    QTextDocument document;
    document.setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
    document.print(&device);
}

}  // namespace

void printSheet(const std::string& html, QPrinter& printer) { printOn(html, printer); }

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
