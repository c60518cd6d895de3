// The check dialog under Qt's offscreen platform: opened from "验算", typed into, "验  算"
// pressed, read back.
#include "window/qt/check_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "engine/calculate.h"
#include "engine/check.h"
#include "engine/fields.h"
#include "tests/check_example.h"
#include "tests/window/qt/print_qstring.h"
#include "window/check_dialog.h"
#include "window/qt/form1.h"

namespace tavorin {
namespace {

using Texts = std::map<std::string, std::string>;

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What the engine leaves on a store in memory in the same state: the calculate command,
// then the check after a calculation without a fault.
MemoryStore engineAfter(const Texts& typed) {
    MemoryStore store;
    for (const auto& [name, text] : typed) store.replaceText(name, text);
    if (!calculate(store, ".")) checkStability(store, ".");
    return store;
}

class CheckDialogTest : public ::testing::Test {
  protected:
    // A fresh window with the dialog opened from its menu, the faults recorded.
    void SetUp() override {
        m_faults.clear();
        m_form = std::make_unique<Form1>();
        m_form->setFaultReporter([this](const QString& message) { m_faults << message; });
        m_form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
        QAction* entry = m_form->findChild<QAction*>(QStringLiteral("stabilityCheck"));
        ASSERT_NE(entry, nullptr);
        entry->trigger();
        m_dialog = m_form->findChild<QDialog*>(qs(kCheckDialogName));
        ASSERT_NE(m_dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog));
    }

    QLineEdit* box(std::string_view name) {
        auto* edit = m_form->findChild<QLineEdit*>(qs(name));
        EXPECT_NE(edit, nullptr) << name;
        return edit;
    }
    void type(const Texts& typed) {
        for (const auto& [name, text] : typed) box(name)->setText(qs(text));
    }
    void check() {
        QTest::mouseClick(m_dialog->findChild<QPushButton*>(QStringLiteral("Command2")),
                          Qt::LeftButton);
    }
    // Every box of Form1 and of the dialog.
    Texts boxes() {
        Texts texts;
        for (const auto& table : {fieldTable(), checkFieldTable()}) {
            for (const FieldSpec& f : table) {
                if (auto* edit = m_form->findChild<QLineEdit*>(qs(f.name))) {
                    texts[std::string(f.name)] = edit->text().toStdString();
                }
            }
        }
        return texts;
    }
    void expectBoxesAsEngine(const MemoryStore& engine) {
        for (const auto& [name, text] : boxes()) EXPECT_EQ(text, engine.text(name)) << name;
    }

    std::unique_ptr<Form1> m_form;
    QDialog* m_dialog = nullptr;
    QStringList m_faults;
};

TEST_F(CheckDialogTest, OpensFromItsMenuWithEveryControlInPlace) {
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->windowTitle(), "稳定验算");
    EXPECT_EQ(m_dialog->size(), QSize(1144, 495));
    for (const ControlSpec& c : checkDialogTable()) {
        SCOPED_TRACE(std::string(c.name));
        auto* widget = m_dialog->findChild<QWidget*>(qs(c.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), m_dialog);
        EXPECT_EQ(widget->geometry(), QRect(twipsToPixels(c.left), twipsToPixels(c.top),
                                            twipsToPixels(c.width), twipsToPixels(c.height)));
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(label->text(), qs(initialText(c)));
        }
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(edit->text(), qs(initialText(c)));
            EXPECT_EQ(edit->accessibleName(), qs(accessibleName(c)));
        }
    }
    // What the user reads, independently of the table.
    EXPECT_EQ(m_dialog->findChild<QLabel*>(QStringLiteral("ckLabel1"))->text(), "基底长度 B(米)");
    EXPECT_EQ(box("Kcet")->text(), "1.2");
    EXPECT_EQ(m_dialog->findChild<QPushButton*>(QStringLiteral("Command2"))->text(), "验  算");
    // Opening it again shows the same dialog.
    m_form->findChild<QAction*>(QStringLiteral("stabilityCheck"))->trigger();
    EXPECT_EQ(m_form->findChildren<QDialog*>(qs(kCheckDialogName)).size(), 1);
    EXPECT_TRUE(m_faults.isEmpty());
}

// The room a line edit has for its text: the style's contents rectangle less the text
// margins and the edit's own two pixels on each side, as QLineEdit lays out its line.
int textRoom(const QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->contentsRect();
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    option.features = QStyleOptionFrame::None;
    const QRect contents =
        edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    return contents.width() - margins.left() - margins.right() - 2 * 2;
}

TEST_F(CheckDialogTest, EachResultBoxShowsItsWidestTextWholeAndAsItsTip) {
    // A number such as "-1.23456789012346E+308", one character wider than "…E+15".
    int results = 0;
    for (const FieldSpec& f : checkFieldTable()) {
        if (f.role != FieldRole::Output) continue;
        ++results;
        const QString text = qs(widestCheckText(f.name));
        SCOPED_TRACE(std::string(f.name) + " \"" + text.toStdString() + "\"");
        QLineEdit* edit = box(f.name);
        ASSERT_NE(edit, nullptr);
        edit->setText(text);
        EXPECT_LE(edit->fontMetrics().horizontalAdvance(text), textRoom(edit));
        EXPECT_EQ(edit->toolTip(), text);
    }
    EXPECT_EQ(results, 35);
}

TEST_F(CheckDialogTest, ChecksWhatTheUserTyped) {
    const struct {
        const char* what;
        Texts typed;
        Texts shown;  // as the hand calculation gives them
    } rows[] = {
        {"worked example", kCheckExampleInputs, kCheckExampleResults},
        // σmax of row 1 is 15.06 > 10: the bearing fails, alone.
        {"bearing too weak",
         {{"Bjt", "6"}, {"Ljt", "5"}, {"Hjt", "4"}, {"hpt", "2.5"}, {"Rjt", "10"}},
         {{"jg1", "不满足：地基应力"}, {"jg", "不满足"}, {"Kc1e", ""}, {"jg1e", ""}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        type(row.typed);
        check();
        EXPECT_TRUE(m_faults.isEmpty()) << m_faults.join("\n").toStdString();
        for (const auto& [name, text] : row.shown) EXPECT_EQ(box(name)->text(), qs(text)) << name;
        // Form1's results too: the button ran the calculate command first.
        expectBoxesAsEngine(engineAfter(row.typed));
        EXPECT_EQ(m_form->findChild<QLabel*>(QStringLiteral("Label25"))->text(), "计算结果:");
        // The verdict's colour goes with its words.
        for (const char* name : {"jg1", "jg"}) {
            const std::optional<Rgb> colour = verdictColour(box(name)->text().toStdString());
            ASSERT_TRUE(colour.has_value()) << name;
            EXPECT_EQ(box(name)->palette().color(QPalette::Text),
                      QColor(colour->red, colour->green, colour->blue))
                << name;
        }
        EXPECT_EQ(box("Kc1")->palette().color(QPalette::Text),
                  box("Bjt")->palette().color(QPalette::Text));
    }
}

TEST_F(CheckDialogTest, AFaultIsAMessageAndEveryBoxKeepsItsText) {
    const struct {
        const char* what;
        Texts typed;
        const char* trapped;  // a box whose access throws, or nullptr
        const char* message;  // how the message begins
        const char* names;    // a box the message names by its caption, or nullptr
    } rows[] = {
        {"base length not a number", {{"Bjt", "6m"}}, nullptr, "类型不匹配", "Bjt"},
        {"no base width", {{"Bjt", "6"}, {"Ljt", "0"}}, nullptr, "无效的过程调用或参数", "Ljt"},
        {"the calculation stops first", {{"fjt", "0"}, {"Bjt", "6"}}, nullptr, "除数为零", "fjt"},
        {"a handler that throws", kCheckExampleInputs, "Kc1e", "程序内部出错（", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        type(row.typed);
        const Texts before = boxes();
        if (row.trapped != nullptr) {
            m_form->setStoreTrap([&row](std::string_view name) {
                if (name == row.trapped) throw std::runtime_error("trapped");
            });
        }
        check();
        ASSERT_EQ(m_faults.size(), 1);
        EXPECT_TRUE(m_faults[0].startsWith(qs(row.message))) << m_faults[0].toStdString();
        if (row.names != nullptr) {
            EXPECT_TRUE(m_faults[0].contains(qs(findAnyField(row.names)->caption)))
                << m_faults[0].toStdString();
        }
        const Texts after = boxes();
        if (row.trapped != nullptr) {
            EXPECT_EQ(after, before);  // every box back as it was
        } else {
            expectBoxesAsEngine(engineAfter(row.typed));
            for (const auto& [name, text] : row.typed) EXPECT_EQ(after.at(name), text) << name;
        }
        EXPECT_TRUE(m_dialog->isVisible());
    }
}

TEST_F(CheckDialogTest, TheSheetHoldsTheCheckWhenItWasGiven) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("sheet.html"));
    m_form->setPathChooser([&path](const FileMenuEntry&, const QString&) { return path; });
    const struct {
        Texts typed;
        bool section;
    } rows[] = {{{}, false}, {kCheckExampleInputs, true}};
    for (const auto& row : rows) {
        type(row.typed);
        m_form->findChild<QAction*>(QStringLiteral("exportSheet"))->trigger();
        EXPECT_TRUE(m_faults.isEmpty()) << m_faults.join("\n").toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().contains("五、稳定验算"), row.section);
        // Exporting ran the check too: the dialog shows what the sheet shows.
        EXPECT_EQ(box("Gj")->text(), row.section ? "288" : "");
    }
}

}  // namespace
}  // namespace tavorin
