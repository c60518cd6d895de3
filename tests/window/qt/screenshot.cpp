// Opens the real Form1 on an X server and saves what the user sees: form1.png at start and
// form1-result.png after pressing "计  算" on the default case. Run by CTest under
// xvfb-run at 96 dpi. It also exports the calculation sheet of the turned block as
// sheet-turned.pdf, with notice.png, the window with the notice of that export, and saves
// file-menu.png, the menu 文件 open, check-dialog.png, the check dialog after "验  算" on a
// block that fails every check, with a number of 15 digits and an exponent in its first box,
// penstock-window.png, the penstock window with tests/golden/penstock.penstock opened and
// calculated, and question.png, the question about unsaved changes when the changed window
// is closed. With --antialiased it draws every glyph antialiased instead and saves
// form1-antialiased.png and form1-result-antialiased.png, for comparing the two; with --200
// it runs at twice the scale (QT_SCALE_FACTOR=2) and saves check-dialog-200.png and
// penstock-window-200.png only.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "tests/check_example.h"
#include "window/qt/application.h"
#include "window/qt/form1.h"
#include "window/qt/notice.h"

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The window's pixels as the X server holds them.
QImage grabFromServer(QWidget& window) {
    QApplication::processEvents();
    return window.screen()->grabWindow(window.winId()).toImage();
}

bool save(const QImage& image, const QString& path) {
    const bool saved = image.save(path, "PNG");
    std::printf("%s %s (%dx%d)\n", saved ? "saved" : "could not save", qPrintable(path),
                image.width(), image.height());
    return saved;
}

// The check dialog after "验  算" on a block that fails every check, each row's verdict the
// longest there is, and the first box showing a number of 15 digits, sign and exponent.
void saveCheckDialog(tavorin::Form1& form, const QStringList& faults, const QString& path) {
    form.findChild<QAction*>(QStringLiteral("stabilityCheck"))->trigger();
    auto* dialog = form.findChild<QDialog*>(QStringLiteral("CheckDialog"));
    check(dialog != nullptr && QTest::qWaitForWindowExposed(dialog), "the check dialog shown");
    if (dialog == nullptr) return;
    const auto box = [dialog](std::string_view name) {
        return dialog->findChild<QLineEdit*>(qs(name));
    };
    for (const auto& [name, text] : tavorin::kFailingBlockInputs) {
        box(name)->setText(QString::fromStdString(text));
    }
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    check(faults.isEmpty() && box("jg1")->text() == qs(tavorin::widestCheckText("jg1")),
          "the check dialog shows the longest verdict");
    box("Nj1")->setText(QStringLiteral("-1.23456789012346E+15"));
    box("Nj1")->setCursorPosition(0);
    QTest::qWait(100);
    check(save(grabFromServer(*dialog), path), "dialog image saved");
    dialog->hide();
}

// The penstock window from 管线计算…, the golden line opened through 打开管线… and calculated,
// its results scrolled to the first column.
void savePenstockWindow(tavorin::Form1& form, const QStringList& faults, const QString& path) {
    form.setPathChooser([](const tavorin::FileMenuEntry&, const QString&) {
        return QStringLiteral(TAVORIN_GOLDEN_DIR "/penstock.penstock");
    });
    form.findChild<QAction*>(QStringLiteral("penstockWindow"))->trigger();
    auto* window = form.findChild<QWidget*>(QStringLiteral("PenstockWindow"));
    check(window != nullptr && QTest::qWaitForWindowExposed(window), "the penstock window shown");
    if (window == nullptr) return;
    form.findChild<QAction*>(QStringLiteral("openPenstock"))->trigger();
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("psCalculate")),
                      Qt::LeftButton);
    auto* results = window->findChild<QTableWidget*>(QStringLiteral("results"));
    check(faults.isEmpty() && results != nullptr && results->rowCount() == 5,
          "the golden line calculated, five rows");
    // Past the notice of the file opened.
    QTest::qWait(tavorin::Notice::kHoldMs + tavorin::Notice::kFadeMs + 200);
    check(save(grabFromServer(*window), path), "penstock window image saved");
    window->close();
    form.setPathChooser({});
}

}  // namespace

int main(int argc, char* argv[]) {
    // The scale is the platform's before the application starts.
    const bool doubled = argc > 2 && std::strcmp(argv[2], "--200") == 0;
    if (doubled) qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [--antialiased | --200]\n", argv[0]);
        return 2;
    }
    const QDir dir(args.at(1));
    const bool antialiased = args.contains(QStringLiteral("--antialiased"));
    const QString suffix = antialiased ? QStringLiteral("-antialiased") : QString();
    if (!QDir().mkpath(dir.path())) return 2;

    tavorin::prepareApplication(app);
    tavorin::Form1 form;
    QStringList faults;
    form.setFaultReporter([&faults](const QString& message) { faults << message; });
    if (antialiased) {
        for (QWidget* w : form.findChildren<QWidget*>()) {
            QFont font = w->font();
            font.setStyleStrategy(QFont::PreferAntialias);
            w->setFont(font);
        }
    }
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form)) {
        std::fprintf(stderr, "FAILED: the window was not shown\n");
        return 1;
    }
    check(QApplication::focusWidget() != nullptr &&
              QApplication::focusWidget()->objectName() == QStringLiteral("Text1"),
          "the focus is in Text1");
    QTest::qWait(100);
    std::printf("platform %s, font %s %gpt, device pixel ratio %g\n",
                qPrintable(QApplication::platformName()),
                qPrintable(QFontInfo(form.font()).family()), QFontInfo(form.font()).pointSizeF(),
                form.devicePixelRatioF());

    // At twice the scale, the dialog only.
    if (doubled) {
        saveCheckDialog(form, faults, dir.filePath("check-dialog-200.png"));
        savePenstockWindow(form, faults, dir.filePath("penstock-window-200.png"));
        return failures == 0 ? 0 : 1;
    }

    const QImage start = grabFromServer(form);
    check(start.size() == form.size() * form.devicePixelRatioF(),
          "start image has the window's size");
    check(save(start, dir.filePath("form1" + suffix + ".png")), "start image saved");

    auto* button = form.findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* x1 = form.findChild<QLineEdit*>(QStringLiteral("x1"));
    check(button != nullptr && x1 != nullptr, "Command1 and x1 exist");
    if (button == nullptr || x1 == nullptr) return 1;
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(100);
    const QImage result = grabFromServer(form);
    check(save(result, dir.filePath("form1-result" + suffix + ".png")), "result image saved");

    check(faults.isEmpty(), "the default case calculates without a fault");
    check(x1->text() == QStringLiteral("77.5667185956496"), "x1 shows the horizontal force");
    // The result must be on the screen, not only in the widget.
    const QRect x1Rect(x1->mapTo(&form, QPoint(0, 0)) * form.devicePixelRatioF(),
                       x1->size() * form.devicePixelRatioF());
    check(start.copy(x1Rect) != result.copy(x1Rect), "x1 on the screen changed");

    // The menu 文件 with its keys.
    if (!antialiased) {
        QMenu* menu = form.findChild<QAction*>(QStringLiteral("file"))->menu();
        menu->popup(form.mapToGlobal(QPoint(0, form.menuBar()->height())));
        check(QTest::qWaitForWindowExposed(menu), "the menu 文件 shown");
        QTest::qWait(100);
        check(save(grabFromServer(*menu), dir.filePath("file-menu.png")), "menu image saved");
        menu->hide();
    }

    if (!antialiased) saveCheckDialog(form, faults, dir.filePath("check-dialog.png"));
    if (!antialiased) savePenstockWindow(form, faults, dir.filePath("penstock-window.png"));

    // The turned block's calculation sheet through the window's PDF export.
    if (!antialiased) {
        const std::pair<const char*, const char*> turned[] = {{"Text1", "3号镇墩（转角 30°）"},
                                                              {"DA1t", "35.30"},
                                                              {"D1t", "1.2"},
                                                              {"kkt", "1"},
                                                              {"spjText", "30"}};
        for (const auto& [name, text] : turned) {
            form.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QString::fromUtf8(text));
        }
        form.findChild<QComboBox*>(QStringLiteral("k"))->setEditText(QStringLiteral("下侧"));
        const QString pdf = dir.filePath(QStringLiteral("sheet-turned.pdf"));
        form.setPathChooser([&pdf](const tavorin::FileMenuEntry&, const QString&) { return pdf; });
        form.findChild<QAction*>(QStringLiteral("exportPdf"))->trigger();
        check(faults.isEmpty() && QFileInfo(pdf).size() > 10000, "the sheet exported as PDF");
        std::printf("saved %s\n", qPrintable(pdf));
        // The notice of the export over the window's bottom, before it fades.
        auto* notice = form.findChild<QLabel*>(QStringLiteral("notice"));
        check(notice != nullptr && notice->isVisible(), "the notice of the export shown");
        QTest::qWait(100);
        check(save(grabFromServer(form), dir.filePath("notice.png")), "notice image saved");
    }

    // Closing the changed window asks; 取消 keeps it open.
    if (!antialiased) {
        bool asked = false;
        QTimer::singleShot(300, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            asked = box->text() == QStringLiteral("是否保存对“3号镇墩（转角 30°）”的更改？");
            check(save(grabFromServer(*box), dir.filePath("question.png")), "question image saved");
            box->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
        });
        check(!form.close(), "取消 keeps the window");
        check(asked, "closing the changed window asks about its changes");
        check(form.isVisible(), "the window is still shown");
    }
    return failures == 0 ? 0 : 1;
}
