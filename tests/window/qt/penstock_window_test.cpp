// The penstock window under Qt's offscreen platform: opened from Form1's menu, the golden line
// typed cell by cell and pasted, calculated, a row opened in Form1, its file saved and opened,
// its keys, its drops and the question when it or Form1 closes.
#include "window/qt/penstock_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

#include "engine/fields.h"
#include "sheet/penstock_file.h"
#include "tests/window/penstock_golden.h"
#include "tests/window/qt/print_qstring.h"
#include "window/qt/form1.h"

namespace tavorin {
namespace {

using Json = nlohmann::json;

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const QString kGoldenFile = QStringLiteral(TAVORIN_GOLDEN_DIR "/penstock.penstock");

std::string contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// Types `text` into the widget with the focus, a key for each character.
void typeKeys(const QString& text) {
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(),
                            ch.isDigit() ? Qt::Key(Qt::Key_0 + ch.digitValue()) : Qt::Key_A,
                            QString(ch), {});
    }
}

// Form1 with its dialogs replaced, and the penstock window opened from its menu.
struct Window {
    Window() : form(std::make_unique<Form1>()) {
        form->setFaultReporter([this](const QString& message) { messages << message; });
        form->setPathChooser([this](const FileMenuEntry& entry, const QString&) {
            asked << qs(entry.name);
            return path;
        });
        form->setSaveQuestion([this](const QString& question) {
            questions << question;
            return reply;
        });
        form->show();
        run("penstockWindow");
        pen = form->findChild<QWidget*>(qs(kPenstockWindowName));
        profile = pen->findChild<QTableWidget*>(QStringLiteral("profile"));
        results = pen->findChild<QTableWidget*>(QStringLiteral("results"));
    }

    void run(const char* action, const QString& file = {}) {
        path = file;
        form->findChild<QAction*>(QString::fromLatin1(action))->trigger();
    }
    void click(const char* button) {
        QTest::mouseClick(pen->findChild<QPushButton*>(QString::fromLatin1(button)),
                          Qt::LeftButton);
    }
    QWidget* box(std::string_view key) const { return pen->findChild<QWidget*>(qs(key)); }
    void setBox(std::string_view key, const std::string& text) {
        if (auto* edit = qobject_cast<QLineEdit*>(box(key))) {
            edit->setText(qs(text));
        } else {
            qobject_cast<QComboBox*>(box(key))->setEditText(qs(text));
        }
    }
    void typeLine(const PenstockTexts& texts) {
        for (std::size_t k = 0; k < kLineKeys.size(); ++k) setBox(kLineKeys[k], texts.line[k]);
    }
    std::vector<std::vector<QString>> cells(QTableWidget* table) const {
        std::vector<std::vector<QString>> all(static_cast<std::size_t>(table->rowCount()));
        for (int r = 0; r < table->rowCount(); ++r) {
            for (int c = 0; c < table->columnCount(); ++c) {
                const QTableWidgetItem* item = table->item(r, c);
                all[static_cast<std::size_t>(r)].push_back(item ? item->text() : QString());
            }
        }
        return all;
    }
    // What Form1 shows in a box, list or caption of its store.
    QString formText(std::string_view name) const {
        if (auto* edit = form->findChild<QLineEdit*>(qs(name))) return edit->text();
        if (auto* list = form->findChild<QComboBox*>(qs(name))) return list->currentText();
        return form->findChild<QLabel*>(qs(name))->text();
    }

    std::unique_ptr<Form1> form;
    QWidget* pen = nullptr;
    QTableWidget* profile = nullptr;
    QTableWidget* results = nullptr;
    QStringList messages, asked, questions;
    QString path;
    SaveAnswer reply = SaveAnswer::Discard;
};

// The results table against the batch tool's lines, row by row and column by column.
void expectBatchResults(const Window& w) {
    const std::vector<Json> lines = goldenLines();
    const auto shown = w.cells(w.results);
    ASSERT_EQ(shown.size(), lines.size());
    for (std::size_t r = 0; r < lines.size(); ++r) {
        const Json& fields = lines[r]["fields"];
        for (std::size_t c = 0; c < resultColumns().size(); ++c) {
            const std::string key(resultColumns()[c].key);
            const std::string expected = fields.contains(key) ? fields[key].get<std::string>()
                                         : key == "jg"        ? "未验算"
                                                              : "";
            EXPECT_EQ(shown[r][c], qs(expected)) << r << " " << key;
        }
    }
}

// Pixels of the drawing darker than its grid: the pipe, the marks and the texts.
int darkPixels(QWidget* drawing) {
    const QImage image = drawing->grab().toImage();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 96;
    }
    return dark;
}

TEST(PenstockWindowQt, TypedCellByCellOrPastedTheLineGivesTheBatchToolsLines) {
    Window typed;
    typed.pen->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(typed.pen));
    auto* drawing = typed.pen->findChild<QWidget*>(QStringLiteral("profileDrawing"));
    ASSERT_NE(drawing, nullptr);
    EXPECT_EQ(darkPixels(drawing), 0);

    // Box by box, then the rows added by the button and every cell typed, Tab to the next;
    // after the last cell Tab goes on to the buttons.
    typed.typeLine(golden());
    while (typed.profile->rowCount() < static_cast<int>(golden().points.size())) {
        typed.click("psAddRow");
    }
    typed.profile->setCurrentCell(0, 0);
    typed.profile->setFocus();
    for (const PointTexts& point : golden().points) {
        for (std::size_t c = 0; c < kPointKeys.size(); ++c) {
            typeKeys(qs(point[c]));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
    }
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "psAddRow");
    typed.click("psCalculate");
    EXPECT_TRUE(typed.messages.isEmpty()) << typed.messages.join("\n").toStdString();
    expectBatchResults(typed);
    EXPECT_GT(darkPixels(drawing), 0);

    // The points as a spreadsheet copies them, pasted with Ctrl+V at the first cell of the
    // three empty rows: the table grows to five. Ctrl+C of them gives the same text back.
    Window pasted;
    pasted.typeLine(golden());
    std::vector<std::vector<std::string>> rows;
    for (const PointTexts& p : golden().points) {
        rows.emplace_back();
        for (std::size_t c = 0; c < kPointKeys.size(); ++c) rows.back().push_back(p[c]);
    }
    QString text = qs(tabText(rows));
    QGuiApplication::clipboard()->setText(QString(text).replace("\n", "\r\n"));
    pasted.profile->setCurrentCell(0, 0);
    QTest::keyClick(pasted.profile, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(pasted.profile->rowCount(), 5);
    pasted.click("psCalculate");
    expectBatchResults(pasted);
    QGuiApplication::clipboard()->clear();
    pasted.profile->selectAll();
    QTest::keyClick(pasted.profile, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
}

TEST(PenstockWindowQt, ABadCellIsReportedSelectedAndEveryCellKeepsItsText) {
    const struct {
        int row, column;
        const char* text;
        const char* where;
    } rows[] = {
        {2, PointKey::Z, "三百", "（表中第 3 行，“高程Z(米)”列）"},
        {3, PointKey::X, "200", "（表中第 4 行，“桩号X(米)”列）"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        Window w;
        w.run("openPenstock", kGoldenFile);
        w.profile->item(row.row, row.column)->setText(qs(row.text));
        const auto before = w.cells(w.profile);
        w.click("psCalculate");
        ASSERT_EQ(w.messages.size(), 1);
        EXPECT_TRUE(w.messages[0].endsWith(qs(row.where))) << w.messages[0].toStdString();
        EXPECT_EQ(w.profile->currentRow(), row.row);
        EXPECT_EQ(w.profile->currentColumn(), row.column);
        EXPECT_TRUE(w.profile->item(row.row, row.column)->isSelected());
        EXPECT_EQ(w.cells(w.profile), before);
        EXPECT_TRUE(w.pen->isVisible());
    }
}

TEST(PenstockWindowQt, DoubleClickOrEnterOnAResultRowPutsItsCaseIntoForm1) {
    Window w;
    w.run("openPenstock", kGoldenFile);
    w.click("psCalculate");
    const std::vector<Json> lines = goldenLines();
    const struct {
        int row;  // a pier row, the checked block
        bool enter;
    } rows[] = {{0, false}, {4, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        if (row.enter) {
            w.results->setCurrentCell(row.row, 0);
            QTest::keyClick(w.results, Qt::Key_Return);
        } else {
            const QRect cell = w.results->visualItemRect(w.results->item(row.row, 0));
            // A press and release, then the double click as the platform sends it.
            QWidget* viewport = w.results->viewport();
            const QPoint at = cell.center();
            QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
            QMouseEvent twice(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &twice);
        }
        // Inputs and results, with the check dialog's boxes for the checked block.
        const Json& fields = lines[static_cast<std::size_t>(row.row)]["fields"];
        for (const auto& [name, text] : fields.items()) {
            EXPECT_EQ(w.formText(name), qs(text.get<std::string>())) << name;
        }
        const auto* notice = w.form->centralWidget()->findChild<QLabel*>(QStringLiteral("notice"));
        ASSERT_NE(notice, nullptr);
        EXPECT_EQ(notice->text(), "Form1 中是第 " + QString::number(row.row + 1) + " 行“" +
                                      qs(fields["Text1"].get<std::string>()) + "”的算例。");
        EXPECT_EQ(w.form->windowTitle(), "Form1");
    }
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("\n").toStdString();
    EXPECT_TRUE(w.questions.isEmpty());
}

// 管线另存为… into a folder, that file opened and saved again by 保存管线 (without a dialog)
// and by 管线另存为…: the same bytes each time.
TEST(PenstockWindowQt, SavesAndOpensItsFileByteForByte) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("一.penstock"));
    const QString second = dir.filePath(QStringLiteral("二.penstock"));
    Window w;
    w.run("openPenstock", kGoldenFile);
    w.run("savePenstockAs", first);
    const std::string bytes = contents(first);
    EXPECT_EQ(bytes, penstockJson(golden()));
    w.run("newPenstock");
    w.run("openPenstock", first);
    EXPECT_EQ(qobject_cast<QLineEdit*>(w.box("Text1"))->text(), "三号管线");
    w.asked.clear();
    w.run("savePenstock", dir.filePath(QStringLiteral("never.penstock")));
    EXPECT_TRUE(w.asked.isEmpty());
    EXPECT_EQ(contents(first), bytes);
    w.run("savePenstockAs", second);
    EXPECT_EQ(contents(second), bytes);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("never.penstock"))));
    EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("\n").toStdString();
    EXPECT_TRUE(w.questions.isEmpty());
    const auto* notice = w.pen->findChild<QLabel*>(QStringLiteral("notice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), "已保存到“二.penstock”。");
}

// The window opened from 管线 → 管线计算… (Window), and each time after by Ctrl+L, is the
// same one. Closing the changed penstock window, or Form1 while it is open, asks about the
// penstock; 取消 keeps both open, 不保存 closes, and the window shows a new penstock the next
// time, the focus in its first box.
TEST(PenstockWindowQt, ClosingItOrForm1AsksAndCtrlLShowsTheSameWindowAgain) {
    const struct {
        bool closeForm1;
        SaveAnswer reply;
        bool closes;
    } rows[] = {
        {false, SaveAnswer::Cancel, false},
        {false, SaveAnswer::Discard, true},
        {true, SaveAnswer::Cancel, false},
        {true, SaveAnswer::Discard, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.closeForm1) + " " + std::to_string(int(row.reply)));
        Window w;
        EXPECT_EQ(w.pen->windowTitle(), "管线计算");
        w.setBox("Zwt", "600");
        w.reply = row.reply;
        const bool closed = row.closeForm1 ? w.form->close() : w.pen->close();
        EXPECT_EQ(closed, row.closes);
        EXPECT_EQ(w.questions, QStringList({"是否保存对“管线”的更改？"}));
        EXPECT_EQ(w.pen->isVisible(), !row.closes);
        EXPECT_EQ(w.form->isVisible(), !(row.closeForm1 && row.closes));
        if (row.closeForm1) continue;
        w.form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.form.get()));
        QTest::keyClick(w.form->findChild<QLineEdit*>(QStringLiteral("HSt")), Qt::Key_L,
                        Qt::ControlModifier);
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.pen));
        EXPECT_EQ(w.form->findChildren<QWidget*>(qs(kPenstockWindowName)).size(), 1);
        EXPECT_EQ(qobject_cast<QLineEdit*>(w.box("Zwt"))->text(), row.closes ? "" : "600");
        if (row.closes) {
            EXPECT_EQ(w.pen->focusWidget(), w.box("Text1"));
        }
    }
}

// Insert and Delete add and remove a row while no cell is being edited; in a cell's editor
// they are the editor's.
TEST(PenstockWindowQt, InsertAndDeleteAddAndRemoveRowsOutsideTheEditor) {
    const struct {
        Qt::Key key;
        bool editing;
        int rows;        // of three
        QString second;  // the text of row 2 afterwards
    } rows[] = {
        {Qt::Key_Insert, false, 4, ""},
        {Qt::Key_Delete, false, 2, "c"},
        {Qt::Key_Delete, true, 3, "b"},
    };
    for (const auto& row : rows) {
        Window w;
        w.pen->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.pen));
        for (int r = 0; r < 3; ++r) w.profile->item(r, 0)->setText(QString(QChar('a' + r)));
        w.profile->setCurrentCell(1, 0);
        w.profile->setFocus();
        if (row.editing) w.profile->editItem(w.profile->item(1, 0));
        QTest::keyClick(QApplication::focusWidget(), row.key);
        if (row.editing) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_EQ(w.profile->rowCount(), row.rows) << row.key;
        EXPECT_EQ(w.profile->item(1, 0) ? w.profile->item(1, 0)->text() : QString(), row.second)
            << row.key;
    }
}

// A penstock dropped on the window opens there; a case dropped on it opens in Form1.
TEST(PenstockWindowQt, AFileDroppedOnItOpensWhereItBelongs) {
    QTemporaryDir dir;
    const QString caseFile = dir.filePath(QStringLiteral("case.tavorin"));
    QFile file(caseFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"HSt": "7"})");
    file.close();
    const struct {
        QString file;
        const char* penstockName;
        const char* formHSt;
    } rows[] = {{kGoldenFile, "三号管线", "152"}, {caseFile, "管线", "7"}};
    for (const auto& row : rows) {
        Window w;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(row.file)});
        QWidget* target = w.profile->viewport();
        const QPoint at(20, 20);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        EXPECT_TRUE(drop.isAccepted());
        QTest::qWait(20);  // the file opens once the drop is over
        EXPECT_EQ(qobject_cast<QLineEdit*>(w.box("Text1"))->text(), row.penstockName);
        EXPECT_EQ(w.formText("HSt"), row.formHSt);
        EXPECT_TRUE(w.messages.isEmpty()) << w.messages.join("\n").toStdString();
    }
}

// The room a cell gives its text: the style's text rectangle less its margins, as the
// item view draws and elides it.
int textRoom(const QTableWidget* table, int column, const QString& text) {
    QStyleOptionViewItem option;
    option.initFrom(table);
    option.rect = QRect(0, 0, table->columnWidth(column) - (table->showGrid() ? 1 : 0), 24);
    option.features = QStyleOptionViewItem::HasDisplay;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.text = text;
    option.font = table->font();
    option.fontMetrics = table->fontMetrics();
    const QRect room = table->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, table);
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table);
    return room.width() - 2 * (margin + 1);
}

TEST(PenstockWindowQt, TheTablesAndTheDrawingHaveTheirAccessibleNames) {
    Window w;
    const std::pair<const char*, const Area&> named[] = {
        {"profile", kProfileArea}, {"results", kResultArea}, {"profileDrawing", kDrawingArea}};
    for (const auto& [object, area] : named) {
        const auto* widget = w.pen->findChild<QWidget*>(QString::fromLatin1(object));
        ASSERT_NE(widget, nullptr) << object;
        EXPECT_EQ(widget->accessibleName(), qs(area.name)) << object;
    }
}

TEST(PenstockWindowQt, EachColumnShowsItsWidestTextWhole) {
    Window w;
    const std::pair<QTableWidget*, std::span<const TableColumn>> tables[] = {
        {w.profile, profileColumns()}, {w.results, resultColumns()}};
    for (const auto& [table, columns] : tables) {
        ASSERT_EQ(table->columnCount(), static_cast<int>(columns.size()));
        for (int c = 0; c < table->columnCount(); ++c) {
            const TableColumn& column = columns[static_cast<std::size_t>(c)];
            SCOPED_TRACE(std::string(column.caption));
            EXPECT_EQ(table->horizontalHeaderItem(c)->text(), qs(column.caption));
            EXPECT_LE(table->fontMetrics().horizontalAdvance(qs(column.widest)),
                      textRoom(table, c, qs(column.widest)));
        }
    }
}

}  // namespace
}  // namespace tavorin
