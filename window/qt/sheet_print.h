// The calculation sheet through Qt's print support: the same HTML document, laid out by
// QTextDocument on A4 pages, to a PDF file or a printer.
#pragma once

#include <QString>
#include <string>

class QPrinter;
class QWidget;

namespace tavorin {

// Lays out `html` on the printer's pages (A4 portrait, 15 mm margins) and prints it.
void printSheet(const std::string& html, QPrinter& printer);

// Asks for a printer in Qt's print dialog over `parent`, then prints `html` there.
void printSheetAsking(QWidget* parent, const std::string& html);

// Writes `html` as a PDF file (first to a temporary file, then renamed over `path`).
// Returns the Chinese error, or an empty string.
QString exportSheetPdf(const std::string& html, const QString& path);

}  // namespace tavorin
