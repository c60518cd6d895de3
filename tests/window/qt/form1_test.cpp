// Form1 under Qt's offscreen platform: the user types, clicks and reads back.
#include "window/qt/form1.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/calculate.h"
#include "engine/fields.h"
#include "tests/window/qt/print_qstring.h"
#include "window/control_table.h"
#include "window/qt/application.h"
#include "window/qt/fonts.h"
#include "window/qt/widget_store.h"
#include "window/version.h"

namespace tavorin {
namespace {

using Texts = std::map<std::string, std::string>;

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What the engine writes for the same inputs on a store in memory; the window must show
// exactly these texts in every output box.
MemoryStore engineResults(const Texts& inputs) {
    MemoryStore store;
    for (const auto& [name, text] : inputs) store.replaceText(name, text);
    EXPECT_FALSE(calculate(store).has_value());
    return store;
}

std::vector<std::string> outputBoxes() {
    std::vector<std::string> names;
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Output) names.emplace_back(f.name);
    }
    return names;
}

class Form1Test : public ::testing::Test {
  protected:
    void SetUp() override { openForm(); }

    // A fresh window, shown and active, with its faults recorded instead of shown.
    void openForm() {
        m_faults.clear();
        m_form = std::make_unique<Form1>();
        m_form->setFaultReporter([this](const QString& message) { m_faults << message; });
        m_form->show();
        m_form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    }

    template <typename W>
    W* control(std::string_view name) {
        auto* widget = m_form->findChild<W*>(qs(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* box(std::string_view name) { return control<QLineEdit>(name); }
    QLabel* label(std::string_view name) { return control<QLabel>(name); }

    // Replaces the text of a box the way a user does: click, select all, type.
    void typeInto(std::string_view name, const QString& text) {
        QLineEdit* edit = box(name);
        ASSERT_NE(edit, nullptr);
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        } else {
            QTest::keyClicks(edit, text);
        }
        ASSERT_EQ(edit->text(), text) << name;
    }

    // Picks an item from a choice list's drop-down list with the mouse.
    void pick(std::string_view name, const QString& item) {
        auto* list = control<QComboBox>(name);
        ASSERT_NE(list, nullptr);
        const int wanted = list->findText(item);
        ASSERT_GE(wanted, 0);
        list->showPopup();
        QAbstractItemView* view = list->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
        const QRect itemRect = view->visualRect(list->model()->index(wanted, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, itemRect.center());
        ASSERT_EQ(list->currentText(), item);
        ASSERT_FALSE(view->isVisible());
    }

    void clickCalculate() { QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton); }

    void clickVersion() {
        QMenuBar* bar = m_form->menuBar();
        auto* entry = m_form->findChild<QAction*>(QStringLiteral("bb"));
        ASSERT_NE(entry, nullptr);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(entry).center());
    }

    void expectOutputs(const Texts& expected) {
        for (const auto& [name, text] : expected) EXPECT_EQ(box(name)->text(), qs(text)) << name;
    }
    void expectOutputs(const MemoryStore& expected) {
        for (const std::string& name : outputBoxes()) {
            EXPECT_EQ(box(name)->text(), qs(expected.text(name))) << name;
        }
    }

    Texts emptyOutputs() {
        Texts texts;
        for (const std::string& name : outputBoxes()) texts[name] = "";
        return texts;
    }

    // The control that holds the focus (an editable list's field counts as the list).
    std::string focusedControl() {
        for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
            if (findControl(w->objectName().toStdString()) != nullptr) {
                return w->objectName().toStdString();
            }
        }
        return "(none)";
    }

    std::unique_ptr<Form1> m_form;
    QStringList m_faults;
};

TEST_F(Form1Test, OpensWithEveryControlInPlace) {
    EXPECT_EQ(m_form->objectName(), "Form1");
    EXPECT_EQ(m_form->windowTitle(), "Form1");
    EXPECT_EQ(m_form->centralWidget()->size(), QSize(780, 638));
    const std::map<FontRole, qreal> kPointSizes = {
        {FontRole::Default, 9}, {FontRole::Output, 10.5}, {FontRole::Title, 12}};
    for (const ControlSpec& c : controlTable()) {
        SCOPED_TRACE(std::string(c.name));
        if (c.kind == ControlKind::MenuEntry) continue;
        auto* widget = control<QWidget>(c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), m_form->centralWidget());
        EXPECT_EQ(widget->geometry(), QRect(twipsToPixels(c.left), twipsToPixels(c.top),
                                            twipsToPixels(c.width), twipsToPixels(c.height)));
        EXPECT_EQ(widget->font().pointSizeF(), kPointSizes.at(c.font));
        EXPECT_EQ(QFontInfo(widget->font()).family(), windowFamily());
        const QString text = qs(initialText(c));
        if (auto* l = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(l->text(), text);
            EXPECT_EQ(l->focusPolicy(), Qt::NoFocus);
        } else {
            EXPECT_EQ(widget->accessibleName(), qs(accessibleName(c)));
        }
        if (auto* e = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(e->text(), text);
        }
        if (auto* b = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(b->text(), text);
            EXPECT_FALSE(b->isDefault());
            EXPECT_FALSE(b->autoDefault());
        }
        if (auto* list = qobject_cast<QComboBox*>(widget)) {
            EXPECT_TRUE(list->isEditable());
            EXPECT_EQ(list->currentText(), text);
            const FieldSpec* field = findField(c.name);
            ASSERT_NE(field, nullptr);
            ASSERT_EQ(list->count(), 2);
            EXPECT_EQ(list->itemText(0), qs(field->items[0]));
            EXPECT_EQ(list->itemText(1), qs(field->items[1]));
        }
    }

    // What the user reads, independently of the table.
    EXPECT_EQ(label("Label24")->text(), "######Tavorin######");
    EXPECT_EQ(label("Label17")->text(), "流速(米/秒)");
    EXPECT_EQ(box("HSt")->text(), "152");
    EXPECT_EQ(box("Text1")->text(), "Text1");
    EXPECT_EQ(control<QComboBox>("kj")->currentText(), "镇墩");
    EXPECT_EQ(control<QPushButton>("Command1")->text(), "计  算");
    for (const char* name : {"Label25", "Label50", "Label51", "Label52", "Label53"}) {
        EXPECT_EQ(label(name)->text(), "") << name;
    }
    expectOutputs(emptyOutputs());
    EXPECT_EQ(box("a11text")->accessibleName(), "管自重        a1 镇墩上侧");
    EXPECT_EQ(box("x1")->accessibleName(), "温度升高 水平作用力(t)");

    const QList<QAction*> entries = m_form->menuBar()->actions();
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0]->text(), "文件");
    EXPECT_EQ(entries[1]->text(), "验算");
    EXPECT_EQ(entries[2]->text(), "管线");
    EXPECT_EQ(entries[3]->text(), "版本");
    EXPECT_EQ(focusedControl(), "Text1");
}

TEST_F(Form1Test, BoxesAreDrawnOverTheLabelsReachingUnderThem) {
    QWidget* area = m_form->centralWidget();
    int overlaps = 0;
    for (QLabel* l : area->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        for (QWidget* w : area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect shared = l->geometry() & w->geometry();
            if (qobject_cast<QLabel*>(w) != nullptr || shared.isEmpty()) continue;
            ++overlaps;
            EXPECT_NE(area->childAt(shared.center()), l)
                << l->objectName().toStdString() << " over " << w->objectName().toStdString();
        }
    }
    EXPECT_GT(overlaps, 0);
}

TEST_F(Form1Test, CalculatesWhatTheUserTyped) {
    const struct {
        const char* name;
        Texts typed;  // boxes typed into; a choice list's item is picked
        Texts shown;  // a few results as a hand calculation gives them
    } cases[] = {
        {"default case",
         {},
         {{"a11text", " 10.04"}, {"a12text", ""}, {"x1", "77.5667185956496"}, {"v1", "93.3"}}},
        {"lower-side reducer, plug, turned",
         {{"DA1t", "35.30"}, {"D1t", "1.2"}, {"kkt", "1"}, {"spjText", "30"}, {"k", "下侧"}},
         {{"x1", "153.328337029425"},
          {"x2", "107.547647160706"},
          {"w2", "153.711892885944"},
          {"v2", "64.05"},
          {"a24text", "52.527552"},
          {"aa4text", "64.12057"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openForm();
        for (const auto& [name, text] : c.typed) {
            if (name == "k") {
                pick(name, qs(text));
            } else {
                typeInto(name, qs(text));
            }
        }
        clickCalculate();
        EXPECT_TRUE(m_faults.isEmpty()) << m_faults.join("\n").toStdString();
        EXPECT_EQ(label("Label25")->text(), "计算结果:");
        expectOutputs(c.shown);
        expectOutputs(engineResults(c.typed));
        // The inputs are read, never rewritten.
        for (const auto& [name, text] : c.typed) {
            if (name != "k") {
                EXPECT_EQ(box(name)->text(), qs(text)) << name;
            }
        }
        // A long result shows its leading digits.
        EXPECT_EQ(box("aa1text")->cursorPosition(), 0);
    }
}

TEST_F(Form1Test, FaultIsReportedAndKeepsWhatWasWritten) {
    const struct {
        const char* box;
        const char* text;
        const char* kind;
        Texts written;  // output boxes written before the fault
    } cases[] = {
        {"spjText", "", "类型不匹配", {}},
        {"spjText", "3O", "类型不匹配", {}},
        {"fjt", "0", "除数为零", {{"x1", "77.5667185956496"}, {"y1", "-30.0135534710018"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.box) + " \"" + c.text + "\"");
        openForm();
        const QString before = box(c.box)->text();
        typeInto(c.box, qs(c.text));
        clickCalculate();
        ASSERT_EQ(m_faults.size(), 1);
        EXPECT_TRUE(m_faults[0].startsWith(qs(c.kind))) << m_faults[0].toStdString();
        // The message names the box by the caption the user reads beside it.
        EXPECT_TRUE(m_faults[0].contains(qs(findField(c.box)->caption)))
            << m_faults[0].toStdString();
        Texts expected = emptyOutputs();
        for (const auto& [name, text] : c.written) expected[name] = text;
        expectOutputs(expected);
        EXPECT_EQ(label("Label25")->text(), "");
        EXPECT_EQ(box(c.box)->text(), qs(c.text));

        // The window stays open and calculates again once the input is mended.
        EXPECT_TRUE(m_form->isVisible());
        typeInto(c.box, before);
        clickCalculate();
        EXPECT_EQ(m_faults.size(), 1);
        expectOutputs(engineResults({}));
        EXPECT_EQ(label("Label25")->text(), "计算结果:");
    }
}

TEST_F(Form1Test, VersionFillsTheFourLabelsAndNothingElse) {
    clickVersion();
    const char* lines[] = {"软件名称：Tavorin", "软件类型：压力钢管镇墩(支墩)受力计算",
                           "发布日期：2004.5.25", "版本号：v1.01        Tavorin 开发组"};
    const char* labels[] = {"Label50", "Label51", "Label52", "Label53"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(label(labels[i])->text(), qs(lines[i])) << labels[i];
    EXPECT_EQ(label("Label25")->text(), "");
    expectOutputs(emptyOutputs());

    // Again, and around a calculation: the same four lines.
    clickVersion();
    clickCalculate();
    clickVersion();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(label(labels[i])->text(), qs(lines[i])) << labels[i];
    expectOutputs(engineResults({}));
    EXPECT_TRUE(m_faults.isEmpty());
    // The file entry runs nothing.
    m_form->findChild<QAction*>(QStringLiteral("file"))->trigger();
    EXPECT_TRUE(m_faults.isEmpty());
    // The menu stays in the window, also on desktops with a global menu bar.
    EXPECT_FALSE(m_form->menuBar()->isNativeMenuBar());
    EXPECT_TRUE(m_form->menuBar()->isVisible());
}

TEST(WidgetStore, TakesTextsFromBoxesAndCaptionsFromLabelsOnly) {
    QWidget area;
    WidgetStore store;
    store.add("box", new QLineEdit(QStringLiteral("1.5"), &area));
    auto* list = new QComboBox(&area);
    list->setEditable(true);
    store.add("list", list);
    store.add("label", new QLabel(&area));
    std::string text;
    const struct {
        const char* name;
        bool text;
        bool caption;
    } rows[] = {{"box", true, false},
                {"list", true, false},
                {"label", false, true},
                {"nothing", false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(store.readText(row.name, text), row.text);
        EXPECT_EQ(store.replaceText(row.name, "2"), row.text);
        EXPECT_EQ(store.setCaption(row.name, "c"), row.caption);
    }
    ASSERT_TRUE(store.readText("list", text));
    EXPECT_EQ(text, "2");
}

TEST_F(Form1Test, ABoxThatIsGoneStopsTheCalculation) {
    delete box("w1");
    clickCalculate();
    ASSERT_EQ(m_faults.size(), 1);
    EXPECT_TRUE(m_faults[0].startsWith("控件访问失败")) << m_faults[0].toStdString();
    EXPECT_EQ(box("y1")->text(), "-30.0135534710018");
    EXPECT_EQ(label("Label25")->text(), "");
}

// A store whose setCaption fails for one label and records the others.
class FailingStore final : public FieldStore {
  public:
    explicit FailingStore(std::string failing) : m_failing(std::move(failing)) {}
    bool readText(std::string_view, std::string&) override { return false; }
    bool replaceText(std::string_view, std::string_view) override { return false; }
    bool setCaption(std::string_view name, std::string_view caption) override {
        if (name == m_failing) return false;
        captions[std::string(name)] = caption;
        return true;
    }
    Texts captions;

  private:
    std::string m_failing;
};

TEST(Version, StopsAtTheLabelThatFails) {
    FailingStore store("Label52");
    const std::optional<Fault> fault = showVersion(store);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->kind, FaultKind::FieldAccess);
    EXPECT_EQ(fault->box, "Label52");
    EXPECT_EQ(store.captions, (Texts{{"Label50", "软件名称：Tavorin"},
                                     {"Label51", "软件类型：压力钢管镇墩(支墩)受力计算"}}));
}

TEST_F(Form1Test, EnterAndEscapePressNothing) {
    for (const char* name : {"HSt", "x1", "kj"}) {
        auto* widget = control<QWidget>(name);
        widget->setFocus();
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(target, key);
        }
    }
    EXPECT_EQ(label("Label25")->text(), "");
    expectOutputs(emptyOutputs());
    EXPECT_TRUE(m_faults.isEmpty());
    EXPECT_EQ(control<QComboBox>("kj")->count(), 2);
}

TEST_F(Form1Test, TypedTextStaysInAChoiceListAndAnOutputBox) {
    auto* kj = control<QComboBox>("kj");
    QTest::mouseClick(kj->lineEdit(), Qt::LeftButton);
    QTest::keyClick(kj->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(kj->lineEdit(), "abc");
    QTest::keyClick(kj->lineEdit(), Qt::Key_Return);
    QTest::keyClick(kj->lineEdit(), Qt::Key_Tab);
    EXPECT_EQ(kj->currentText(), "abc");
    ASSERT_EQ(kj->count(), 2);
    EXPECT_EQ(kj->itemText(0), "镇墩");
    EXPECT_EQ(kj->itemText(1), "支墩");

    // The first character of an item is not completed to the item.
    auto* k = control<QComboBox>("k");
    QTest::mouseClick(k->lineEdit(), Qt::LeftButton);
    QTest::keyClick(k->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(k->lineEdit(), Qt::Key_Backspace);
    QTest::sendKeyEvent(QTest::Click, k->lineEdit(), Qt::Key_A, QStringLiteral("上"), {});
    EXPECT_EQ(k->currentText(), "上");

    typeInto("x1", "mine");
    EXPECT_EQ(box("x1")->text(), "mine");
    pick("kj", "镇墩");
    clickCalculate();
    EXPECT_EQ(box("x1")->text(), "77.5667185956496");
}

TEST_F(Form1Test, TabWalksTheFocusOrderBothWays) {
    std::vector<std::pair<int, std::string>> order;
    for (const ControlSpec& c : controlTable()) {
        if (c.tabIndex != kNoFocus) order.emplace_back(c.tabIndex, std::string(c.name));
    }
    std::sort(order.begin(), order.end());
    ASSERT_EQ(order.size(), 55u);
    ASSERT_EQ(focusedControl(), "Text1");
    for (size_t i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(focusedControl(), order[i % order.size()].second) << "Tab " << i;
    }
    for (size_t i = order.size(); i > 0; --i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(focusedControl(), order[i - 1].second) << "Shift+Tab " << i;
    }
    for (QLabel* l : m_form->findChildren<QLabel*>()) EXPECT_EQ(l->focusPolicy(), Qt::NoFocus);
}

TEST_F(Form1Test, EachResultBoxCarriesItsWholeTextAsItsTip) {
    // After the calculation: every result box's tip is its text, an empty box has none.
    clickCalculate();
    ASSERT_EQ(box("a12text")->text(), "");
    for (const std::string& name : outputBoxes()) {
        EXPECT_EQ(box(name)->toolTip(), box(name)->text()) << name;
    }
    // Hovering shows it.
    QHelpEvent hover(QEvent::ToolTip, QPoint(4, 4), box("aa1text")->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(box("aa1text"), &hover);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), box("aa1text")->text());
    QToolTip::hideText();
    // The tip follows what the user types, as typed, and goes with the text.
    const struct {
        QString typed, tip;
    } rows[] = {
        {QStringLiteral("-1.23456789012346E+15"), QStringLiteral("-1.23456789012346E+15")},
        {QStringLiteral("<b>9</b>"),
         Qt::convertFromPlainText(QStringLiteral("<b>9</b>"), Qt::WhiteSpaceNoWrap)},
        {QString(), QString()},
    };
    for (const auto& row : rows) {
        typeInto("x1", row.typed);
        EXPECT_EQ(box("x1")->toolTip(), row.tip) << row.typed.toStdString();
    }
    // An input box has none.
    EXPECT_EQ(box("HSt")->toolTip(), "");
}

TEST_F(Form1Test, ShrinkingClipsAndMovesNothing) {
    auto* v2 = box("v2");
    const QRect before = v2->geometry();
    m_form->resize(300, 200);
    QApplication::processEvents();
    EXPECT_LT(m_form->centralWidget()->width(), before.right());
    EXPECT_EQ(v2->geometry(), before);
    m_form->resize(1000, 800);
    QApplication::processEvents();
    EXPECT_EQ(v2->geometry(), before);
}

TEST(Application, QtSpeaksChinese) {
    // The environment set the application up as the window program does.
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;  // without the shortcut after the tab
    for (QAction* action : menu->actions()) texts << action->text().section('\t', 0, 0);
    EXPECT_TRUE(texts.contains("复制(&C)")) << texts.join(" | ").toStdString();
    EXPECT_TRUE(texts.contains("全选")) << texts.join(" | ").toStdString();

    QMessageBox box(QMessageBox::Warning, "Tavorin", "x", QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), "确定");
}

TEST(Application, WindowsShowTheProgramIcon) {
    // Every size built into the program is there and drawn at its own size: the concrete
    // block (grey) in the lower left corner, the pipe (blue) across the middle.
    const QIcon icon = QApplication::windowIcon();
    EXPECT_EQ(icon.availableSizes(),
              (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
    for (const int size : {16, 32, 64}) {
        SCOPED_TRACE(size);
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        const QColor block = image.pixelColor(size * 3 / 16, size * 13 / 16);
        EXPECT_EQ(block.alpha(), 255);
        EXPECT_LT(std::abs(block.red() - block.blue()), 24) << block.name().toStdString();
        const QColor pipe = image.pixelColor(size * 3 / 4, size * 11 / 16);
        EXPECT_GT(pipe.blue(), pipe.red() + 60) << pipe.name().toStdString();
    }
    Form1 form;
    EXPECT_EQ(form.windowIcon().cacheKey(), icon.cacheKey());
}

TEST(Application, MenuBarOverflowIconIsReadWhenDrawn) {
    // The style defers reading the icon file, but the icon still draws as the base style's.
    QStyle* style = QApplication::style();
    const QIcon deferred = style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    const auto* proxy = qobject_cast<QProxyStyle*>(style);
    ASSERT_NE(proxy, nullptr);
    const QIcon base =
        proxy->baseStyle()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
    const QImage drawn = deferred.pixmap(QSize(16, 16)).toImage();
    ASSERT_FALSE(drawn.isNull());
    EXPECT_EQ(drawn, base.pixmap(QSize(16, 16)).toImage());
    // Other standard icons are the base style's own.
    EXPECT_FALSE(style->standardIcon(QStyle::SP_MessageBoxWarning).isNull());
}

}  // namespace
}  // namespace tavorin
