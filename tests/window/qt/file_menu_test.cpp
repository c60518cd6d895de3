// The menu "文件" of Form1 under Qt's offscreen platform: its entries and keys, export a
// sheet, save a case (asking only for a new one), open it into a fresh window, export a
// PDF, open broken files, and the question about unsaved changes: its message box, and
// which of closing, 新建, 打开… and a drop ask it.
#include "window/file_menu.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/fields.h"
#include "tests/window/qt/print_qstring.h"
#include "window/qt/form1.h"
#include "window/qt/save_question.h"

namespace tavorin {
namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class Window {
  public:
    Window() : form(std::make_unique<Form1>()) {
        form->setFaultReporter([this](const QString& message) { messages << message; });
        form->setPathChooser([this](const FileMenuEntry& entry, const QString& offer) {
            asked.emplace_back(entry.name);
            offered = offer;
            return path;
        });
        form->setSaveQuestion([this](const QString& question) {
            questions << question;
            return reply;
        });
        form->show();
    }

    // What every box, choice list and the result caption shows.
    std::map<std::string, QString> texts() const {
        std::map<std::string, QString> all;
        for (const FieldSpec& f : fieldTable()) {
            const QString name = qs(f.name);
            if (auto* box = form->findChild<QLineEdit*>(name)) {
                all[std::string(f.name)] = box->text();
            } else if (auto* list = form->findChild<QComboBox*>(name)) {
                all[std::string(f.name)] = list->currentText();
            } else if (auto* label = form->findChild<QLabel*>(name)) {
                all[std::string(f.name)] = label->text();
            }
        }
        return all;
    }
    void type(std::string_view name, std::string_view text) {
        if (auto* box = form->findChild<QLineEdit*>(qs(name))) {
            box->setText(qs(text));
        } else {
            form->findChild<QComboBox*>(qs(name))->setEditText(qs(text));
        }
    }
    void run(const char* action, const QString& file) {
        path = file;
        QAction* entry = form->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_NE(entry, nullptr) << action;
        entry->trigger();
    }
    void calculate() {
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
    }

    std::unique_ptr<Form1> form;
    QStringList messages;
    std::vector<std::string> asked;
    QString path;
    QString offered;
    QStringList questions;  // about unsaved changes
    SaveAnswer reply = SaveAnswer::Discard;
};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(FileMenu, HoldsItsEntriesInOrderAndVersionStaysBesideIt) {
    Window w;
    const QList<QAction*> bar = w.form->menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[0]->text(), "文件");
    EXPECT_EQ(bar[0]->objectName(), "file");
    EXPECT_EQ(bar[1]->text(), "验算");
    EXPECT_EQ(bar[2]->text(), "管线");
    EXPECT_EQ(bar[3]->text(), "版本");
    // Each entry as the menu shows it: caption, then its key.
    const std::pair<int, QStringList> menus[] = {
        {0,
         {"新建 Ctrl+N", "打开… Ctrl+O", "保存 Ctrl+S", "另存为… Ctrl+Shift+S",
          "导出计算书… Ctrl+E", "导出 PDF… ", "打印… Ctrl+P", "新建管线 ", "打开管线… ",
          "保存管线 ", "管线另存为… "}},
        {1, {"稳定验算… "}},
        {2, {"管线计算… Ctrl+L"}}};
    for (const auto& [at, expected] : menus) {
        ASSERT_NE(bar[at]->menu(), nullptr);
        QStringList shown;
        for (QAction* a : bar[at]->menu()->actions()) {
            shown << a->text() + " " + a->shortcut().toString(QKeySequence::NativeText);
            // The keys work from the check dialog too.
            if (!a->shortcut().isEmpty()) {
                EXPECT_EQ(a->shortcutContext(), Qt::ApplicationShortcut);
            }
        }
        EXPECT_EQ(shown, expected);
    }
}

TEST(FileMenu, ExportSaveAndOpenIntoAFreshWindowGiveTheSameTexts) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Window first;
    const std::map<std::string, std::string> typed = {
        {"Text1", "3号镇墩"}, {"DA1t", "35.30"}, {"D1t", "1.2"}, {"kkt", "1"},
        {"spjText", "30"},    {"k", "下侧"},     {"HSt", "1 52"}};
    for (const auto& [name, text] : typed) first.type(name, text);

    const QString sheet = dir.filePath(QStringLiteral("第一.html"));
    first.run("exportSheet", sheet);
    EXPECT_TRUE(first.messages.isEmpty()) << first.messages.join("\n").toStdString();
    EXPECT_EQ(first.offered, "3号镇墩.html");
    // Exporting runs the calculation: the boxes show the results the sheet shows.
    const auto results = first.texts();
    EXPECT_EQ(results.at("x1"), "153.328337029425");
    EXPECT_EQ(results.at("Label25"), "计算结果:");
    // Every cell that names a box, <… data-box="x1"><span class="v">153.3…</span>, shows
    // the box's text.
    const std::string html = contents(sheet).toStdString();
    const std::string_view open = "data-box=\"", middle = "\"><span class=\"v\">";
    int cells = 0;
    for (size_t at = html.find(open); at != std::string::npos; at = html.find(open, at)) {
        at += open.size();
        const size_t nameEnd = html.find('"', at);
        ASSERT_NE(nameEnd, std::string::npos);
        const std::string name = html.substr(at, nameEnd - at);
        ASSERT_EQ(html.compare(nameEnd, middle.size(), middle), 0) << name;
        const size_t value = nameEnd + middle.size();
        const size_t valueEnd = html.find('<', value);
        ASSERT_EQ(html.compare(valueEnd, 7, "</span>"), 0) << name;
        ASSERT_TRUE(results.contains(name)) << name;
        EXPECT_EQ(qs(html.substr(value, valueEnd - value)), results.at(name)) << name;
        ++cells;
    }
    EXPECT_GE(cells, 27);

    const QString caseFile = dir.filePath(QStringLiteral("case.json"));
    first.run("saveCase", caseFile);
    EXPECT_TRUE(first.messages.isEmpty()) << first.messages.join("\n").toStdString();

    Window second;
    second.run("openCase", caseFile);
    EXPECT_TRUE(second.messages.isEmpty()) << second.messages.join("\n").toStdString();
    auto opened = second.texts();
    for (const FieldSpec& f : fieldTable()) {
        const std::string name(f.name);
        if (f.role == FieldRole::Input || f.role == FieldRole::Choice) {
            EXPECT_EQ(opened.at(name), results.at(name)) << name;
        } else {
            EXPECT_EQ(opened.at(name), "") << name;  // no results of another case
        }
    }
    second.calculate();
    EXPECT_EQ(second.texts(), results);
    // The same case gives the same sheet, byte for byte.
    const QString again = dir.filePath(QStringLiteral("second.html"));
    second.run("exportSheet", again);
    EXPECT_EQ(contents(again), contents(sheet));
}

TEST(FileMenu, OpeningABrokenFileLeavesEveryBoxAndReports) {
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    QDir(dir.path()).mkdir(QStringLiteral("folder.json"));
    std::vector<std::pair<QString, QString>> rows = {
        {write("broken.json", "{\"HSt\": \"1"), "不是有效的 JSON"},
        {write("array.json", "[\"HSt\"]"), "不是一个 JSON 对象"},
        {write("number.json", "{\"HSt\": 152}"), "“HSt”的值不是文字"},
        {write("unknown.json", "{\"HSt\": \"100\", \"HS\": \"1\"}"),
         "“HS”不是输入框、选择框或结果框的名称"},
        {write("output.json", "{\"x1\": \"1\"}"), "“x1”是结果框"},
        {write("latin1.json", "{\"Text1\":\"a\xFF\"}"), "不是 UTF-8 编码的文字（第 12 个字节）"},
        {write("empty.json", ""), "文件为空"},
        {write("large.json", QByteArray(50 << 20, ' ')), "文件过大"},
        {dir.filePath(QStringLiteral("missing.json")), "文件不存在"},
        {dir.filePath(QStringLiteral("folder.json")), "文件夹"},
        // Once an uncaught exception that ended the window.
        {write("beyond.json", "{\"HSt\": 1e400}"), "数值超出范围（第 9 个字节）"},
        {write("digits.json", "{\"HSt\": " + QByteArray(401, '9') + "}"),
         "数值超出范围（第 9 个字节）"},
    };
    // Root reads a file without read permission.
    if (geteuid() != 0) {
        const QString locked = write("locked.json", "{}");
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        rows.emplace_back(locked, "没有读取权限");
    }
    Window w;
    w.type("HSt", "99");
    w.calculate();
    const auto before = w.texts();
    for (const auto& [file, problem] : rows) {
        SCOPED_TRACE(file.toStdString());
        w.messages.clear();
        w.run("openCase", file);
        ASSERT_EQ(w.messages.size(), 1);
        EXPECT_TRUE(w.messages[0].contains(problem)) << w.messages[0].toStdString();
        EXPECT_TRUE(w.messages[0].contains(file)) << w.messages[0].toStdString();
        EXPECT_EQ(w.texts(), before);
    }
}

// 保存 asks for a file once, then writes the case's own file; 另存为… asks each time and
// makes the file it wrote the case's. An opened file is the case's too.
TEST(FileMenu, SaveAsksOnlyForANewCase) {
    QTemporaryDir dir;
    const QString one = dir.filePath(QStringLiteral("一.tavorin"));
    const QString two = dir.filePath(QStringLiteral("二.tavorin"));
    const QString never = dir.filePath(QStringLiteral("never.tavorin"));
    const auto holds = [](const QString& file, const char* hst) {
        return contents(file).contains("\"HSt\":\"" + QByteArray(hst) + "\"");
    };
    Window w;
    const struct {
        const char* action;
        const char* hst;  // typed before
        QString chosen;   // what a dialog would give
        bool asks;
        QString written;    // holds `shown` afterwards
        const char* shown;  // HSt afterwards
    } rows[] = {
        {"saveCase", "11", one, true, one, "11"},       {"saveCase", "12", never, false, one, "12"},
        {"saveCaseAs", "13", two, true, two, "13"},     {"saveCase", "14", never, false, two, "14"},
        {"openCase", "15", one, true, QString(), "12"}, {"saveCase", "16", never, false, one, "16"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.action) + " " + row.hst);
        w.asked.clear();
        w.type("HSt", row.hst);
        w.run(row.action, row.chosen);
        EXPECT_EQ(w.asked.size(), row.asks ? 1u : 0u);
        EXPECT_EQ(w.texts().at("HSt"), row.shown);
        if (!row.written.isEmpty()) {
            EXPECT_TRUE(holds(row.written, row.shown));
        }
        EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("\n").toStdString();
    }
    EXPECT_FALSE(QFile::exists(never));
    auto* notice = w.form->findChild<QLabel*>(QStringLiteral("notice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), "已保存到“一.tavorin”。");
}

// An exception escaping any handler is shown, and every box and caption keeps its text.
TEST(FileMenu, AHandlerThatThrowsLeavesTheWindowAsItWas) {
    QTemporaryDir dir;
    const QString caseFile = dir.filePath(QStringLiteral("case.json"));
    QFile file(caseFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"Text1": "新", "kj": "支墩", "HSt": "7"})");
    file.close();
    const struct {
        const char* handler;  // an action, or the button
        const char* trapAt;   // the control whose access throws, after others were changed
    } rows[] = {
        {"Command1", "x2"},
        {"bb", "Label52"},
        {"openCase", "HSt"},
        {"saveCase", "HSt"},
        {"exportSheet", "x2"},
        {"exportPdf", "x2"},
        {"printSheet", "x2"},
        // After 不保存, once every input has its default.
        {"newCase", "x1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.handler);
        Window w;
        w.type("HSt", "99");
        w.type("Text1", "已输入");  // an open writes Text1 before HSt
        const auto captions = [&] {
            QStringList all;
            for (QLabel* label : w.form->findChildren<QLabel*>()) all << label->text();
            return all;
        };
        const auto before = w.texts();
        const QStringList labels = captions();
        w.form->setStoreTrap([&](std::string_view name) {
            if (name == row.trapAt) throw std::runtime_error("trap");
        });
        const QString target = std::string_view(row.handler) == "openCase"
                                   ? caseFile
                                   : dir.filePath(QStringLiteral("out"));
        if (std::string_view(row.handler) == "Command1") {
            w.calculate();
        } else {
            w.run(row.handler, target);
        }
        ASSERT_EQ(w.messages.size(), 1);
        EXPECT_EQ(w.messages[0], "程序内部出错（trap），这次操作没有完成；窗口中的内容保持原样。");
        EXPECT_EQ(w.texts(), before);
        EXPECT_EQ(captions(), labels);
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out"))));
        // The window still works.
        w.form->setStoreTrap({});
        w.messages.clear();
        w.calculate();
        EXPECT_TRUE(w.messages.isEmpty());
        EXPECT_EQ(w.texts().at("Label25"), "计算结果:");
    }
}

TEST(FileMenu, ExportsAPdfAndACancelledDialogDoesNothing) {
    QTemporaryDir dir;
    Window w;
    w.type("fjt", "0");
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    w.run("exportPdf", pdf);
    // The calculation stopped: the user is told, and the PDF holds the steps up to there.
    ASSERT_EQ(w.messages.size(), 1);
    EXPECT_TRUE(w.messages[0].startsWith("除数为零")) << w.messages[0].toStdString();
    const QByteArray bytes = contents(pdf);
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_GT(bytes.size(), 10000);

    const auto before = w.texts();
    w.messages.clear();
    for (const char* action : {"openCase", "saveCase", "saveCaseAs", "exportSheet", "exportPdf"}) {
        w.run(action, QString());
        EXPECT_EQ(w.texts(), before) << action;
    }
    EXPECT_TRUE(w.messages.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"sheet.pdf"}));
}

// The question as Qt shows it: a warning titled Tavorin with 保存, 不保存 and 取消; Enter is
// 保存, Esc and closing the box are 取消.
TEST(FileMenu, TheQuestionIsAMessageBoxWithThreeChineseButtons) {
    QWidget owner;
    owner.show();
    const struct {
        const char* what;
        const char* button;  // the button clicked, or empty for the key
        int key;             // or 0 to close the box
        SaveAnswer answer;
    } rows[] = {
        {"保存", "save", 0, SaveAnswer::Save},
        {"不保存", "discard", 0, SaveAnswer::Discard},
        {"取消", "cancel", 0, SaveAnswer::Cancel},
        {"Enter", "", Qt::Key_Return, SaveAnswer::Save},
        {"Esc", "", Qt::Key_Escape, SaveAnswer::Cancel},
        {"closed", "", 0, SaveAnswer::Cancel},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;  // the test fails below: no answer
            seen << box->windowTitle() << box->text();
            for (const char* name : {"save", "discard", "cancel"}) {
                auto* button = box->findChild<QPushButton*>(QString::fromLatin1(name));
                seen << (button != nullptr ? button->text() : "(none)");
            }
            if (*row.button) {
                box->findChild<QPushButton*>(QString::fromLatin1(row.button))->click();
            } else if (row.key != 0) {
                QTest::keyClick(box, static_cast<Qt::Key>(row.key));
            } else {
                box->close();
            }
        });
        EXPECT_EQ(askToSave(&owner, QStringLiteral("是否保存对“Text1”的更改？")), row.answer);
        EXPECT_EQ(seen,
                  QStringList({"Tavorin", "是否保存对“Text1”的更改？", "保存", "不保存", "取消"}));
    }
}

// Closing, 新建 (Ctrl+N), 打开… and a dropped file on a case unchanged since the window opened
// (a calculation changes nothing) and on a changed one, with the answers: what is asked, and
// whether the window goes on (closes, empties its results, shows the other case).
TEST(FileMenu, ClosingNewOpenAndADropAskOnlyAboutAChangedCase) {
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other.tavorin"));
    const QString saveTo = dir.filePath(QStringLiteral("saved.tavorin"));
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"HSt": "7"})");
    file.close();
    const struct {
        const char* what;
        const char* hst;  // typed before
        SaveAnswer reply;
        QString saveDialog;
        bool asks;
        bool goesOn;
    } states[] = {
        {"unchanged", "152", SaveAnswer::Cancel, QString(), false, true},
        {"取消", "99", SaveAnswer::Cancel, QString(), true, false},
        {"不保存", "99", SaveAnswer::Discard, QString(), true, true},
        {"保存, the save dialog cancelled", "99", SaveAnswer::Save, QString(), true, false},
        {"保存", "99", SaveAnswer::Save, saveTo, true, true},
    };
    for (const char* trigger : {"close", "Ctrl+N", "openCase", "drop"}) {
        for (const auto& state : states) {
            SCOPED_TRACE(std::string(trigger) + ", " + state.what);
            QFile::remove(saveTo);
            Window w;
            w.form->setPathChooser([&](const FileMenuEntry& entry, const QString&) {
                w.asked.emplace_back(entry.name);
                return entry.command == FileCommand::Open ? other : state.saveDialog;
            });
            w.reply = state.reply;
            w.type("HSt", state.hst);
            w.calculate();
            bool closed = false;
            if (std::string_view(trigger) == "close") {
                closed = w.form->close();
            } else if (std::string_view(trigger) == "Ctrl+N") {
                w.form->activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(w.form.get()));
                QTest::keyClick(w.form->findChild<QLineEdit*>(QStringLiteral("HSt")), Qt::Key_N,
                                Qt::ControlModifier);
            } else if (std::string_view(trigger) == "openCase") {
                w.run("openCase", other);
            } else {
                QMimeData data;
                data.setUrls({QUrl::fromLocalFile(other)});
                QWidget* area = w.form->centralWidget();
                const QPoint at(600, 340);
                QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
                QApplication::sendEvent(area, &enter);
                QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
                QApplication::sendEvent(area, &drop);
                EXPECT_TRUE(drop.isAccepted());
                QTest::qWait(20);  // the file opens once the drop is over
            }
            EXPECT_EQ(w.questions,
                      state.asks ? QStringList({"是否保存对“Text1”的更改？"}) : QStringList());
            EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("\n").toStdString();
            const auto texts = w.texts();
            if (std::string_view(trigger) == "close") {
                EXPECT_EQ(closed, state.goesOn);
                EXPECT_EQ(w.form->isVisible(), !state.goesOn);
            } else if (!state.goesOn) {
                EXPECT_EQ(texts.at("HSt"), state.hst);
                EXPECT_FALSE(texts.at("x1").isEmpty());
            } else {
                EXPECT_EQ(texts.at("HSt"), std::string_view(trigger) == "Ctrl+N" ? "152" : "7");
                EXPECT_TRUE(texts.at("x1").isEmpty());
            }
            EXPECT_EQ(contents(saveTo).contains("\"HSt\":\"99\""), !state.saveDialog.isEmpty());
        }
    }
}

}  // namespace
}  // namespace tavorin
