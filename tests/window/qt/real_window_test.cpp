// Form1 on a real X server (xcb under Xvfb): the entries' keys from the boxes of both
// windows, files dropped on the window and on its boxes, the bad case files through a drop
// and through a file named on the command line, the notice of a written file.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "tests/window/qt/print_qstring.h"
#include "window/qt/form1.h"
#include "window/qt/notice.h"

namespace tavorin {
namespace {

const QString kCases = QStringLiteral(TAVORIN_CASES_DIR);

// The case files among the reader's regression files; every other one is no case.
const QStringList kGoodCases = {"byte-order-mark-and-crlf", "duplicate-names"};

class RealWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        m_form = std::make_unique<Form1>();
        m_form->setPathChooser([this](const FileMenuEntry& entry, const QString&) {
            m_asked.emplace_back(entry.name);
            return m_path;
        });
        // Changed boxes are given up for the file dropped or named.
        m_form->setSaveQuestion([](const QString&) { return SaveAnswer::Discard; });
        m_form->show();
        m_form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
        // Closes every modal dialog as soon as it is shown, keeping what it said.
        QObject::connect(&m_closer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) return;
            QString text = modal->windowTitle();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) text += "|" + box->text();
            if (qobject_cast<QPrintDialog*>(modal) != nullptr) text += "|print";
            m_modals << text;
            qobject_cast<QDialog*>(modal)->reject();
        });
        m_closer.start(20);
    }

    template <typename T>
    T* control(const char* name) {
        return m_form->findChild<T*>(QString::fromLatin1(name));
    }
    QDialog* checkDialog() { return control<QDialog>("CheckDialog"); }

    // Sends a drag that enters, moves and drops at `pos` of `window`'s client area, to the
    // widget there that takes drops, as the toolkit does; whether the drop was taken.
    bool drop(QWidget* window, QPoint pos, const QMimeData& data) {
        QWidget* target = window->childAt(pos);
        if (target == nullptr) target = window;
        while (!target->acceptDrops() && !target->isWindow()) target = target->parentWidget();
        if (!target->acceptDrops()) return false;
        const QPoint at = target->mapFromGlobal(window->mapToGlobal(pos));
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return false;
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
        QDropEvent dropped(at, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &dropped);
        // A move would let the source delete its file.
        EXPECT_EQ(dropped.dropAction(), Qt::CopyAction);
        QTest::qWait(50);  // the file opens once the drop is over
        return dropped.isAccepted();
    }
    QPoint centreOf(const char* name, QWidget* window) {
        QWidget* w = window->findChild<QWidget*>(QString::fromLatin1(name));
        return w->mapTo(window, w->rect().center());
    }

    QString text(const char* name) {
        if (auto* box = control<QLineEdit>(name)) return box->text();
        return control<QComboBox>(name)->currentText();
    }

    std::unique_ptr<Form1> m_form;
    std::vector<std::string> m_asked;
    QString m_path;
    QStringList m_modals;
    QTimer m_closer;
};

QMimeData* urls(const QStringList& list) {
    auto* data = new QMimeData;
    if (list.isEmpty()) return data;
    QList<QUrl> all;
    for (const QString& u : list) all << QUrl(u);
    data->setUrls(all);
    // As file managers add them: the URLs as text too.
    data->setText(list.join('\n'));
    return data;
}

TEST_F(RealWindow, EachKeyReachesItsEntryFromEveryKindOfBox) {
    const struct {
        bool inDialog;
        const char* box;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* reached;  // an entry asking for its file, or "print"
    } rows[] = {
        {false, "Text1", Qt::Key_O, Qt::ControlModifier, "openCase"},
        {false, "HSt", Qt::Key_S, Qt::ControlModifier, "saveCase"},
        {false, "k", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, "saveCaseAs"},
        // The end of the line in a box or a list's field on X11.
        {false, "Text1", Qt::Key_E, Qt::ControlModifier, "exportSheet"},
        {false, "kj", Qt::Key_E, Qt::ControlModifier, "exportSheet"},
        {false, "x1", Qt::Key_P, Qt::ControlModifier, "print"},
        {true, "Bjt", Qt::Key_E, Qt::ControlModifier, "exportSheet"},
        {true, "Bjt", Qt::Key_S, Qt::ControlModifier, "saveCase"},
        {true, "Bjt", Qt::Key_O, Qt::ControlModifier, "openCase"},
    };
    control<QAction>("stabilityCheck")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(checkDialog()));
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.box) + " " + row.reached);
        QWidget* window = row.inDialog ? static_cast<QWidget*>(checkDialog()) : m_form.get();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        auto* box = window->findChild<QWidget*>(QString::fromLatin1(row.box));
        box->setFocus();
        auto* edit = qobject_cast<QLineEdit*>(box);
        if (edit == nullptr) edit = qobject_cast<QComboBox*>(box)->lineEdit();
        edit->setCursorPosition(0);
        m_asked.clear();
        m_modals.clear();
        QTest::keyClick(box, row.key, row.modifiers);
        if (std::string_view(row.reached) == "print") {
            QTRY_COMPARE(m_modals.size(), 1);
            EXPECT_TRUE(m_modals[0].endsWith("|print")) << m_modals[0].toStdString();
            EXPECT_TRUE(m_asked.empty());
        } else {
            EXPECT_EQ(m_asked, std::vector<std::string>{row.reached});
            EXPECT_TRUE(m_modals.isEmpty()) << m_modals.join('\n').toStdString();
        }
        EXPECT_EQ(edit->cursorPosition(), 0);  // the box did not take the key
    }
}

TEST_F(RealWindow, ALocalFileDroppedAnywhereOpensAndTextStillDropsIntoBoxes) {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("第一.tavorin"));
    const QString second = dir.filePath(QStringLiteral("second.json"));
    for (const auto& [file, hst] : {std::pair{first, "101"}, std::pair{second, "102"}}) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("{\"HSt\": \"" + QByteArray(hst) + "\"}");
    }
    const QString url1 = QUrl::fromLocalFile(first).toString();
    const QString url2 = QUrl::fromLocalFile(second).toString();
    control<QAction>("stabilityCheck")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(checkDialog()));
    QWidget* area = m_form->centralWidget();
    const QPoint background(600, 340);
    ASSERT_EQ(area->childAt(background), nullptr);
    const struct {
        const char* what;
        QWidget* window;
        QPoint at;
        QStringList urls;  // empty: a text drop
        bool taken;
        const char* hst;    // HSt afterwards (each row starts from "1")
        const char* text1;  // Text1 afterwards (starts empty; an opened case gives its default)
    } rows[] = {
        {"over the window", area, background, {url1}, true, "101", "Text1"},
        {"over a box", area, centreOf("Text1", area), {url2}, true, "102", "Text1"},
        {"over a list", area, centreOf("kj", area), {url1}, true, "101", "Text1"},
        {"the first of two", area, centreOf("HSt", area), {url2, url1}, true, "102", "Text1"},
        {"over the check dialog",
         checkDialog(),
         centreOf("Bjt", checkDialog()),
         {url1},
         true,
         "101",
         "Text1"},
        {"a web page over the window",
         area,
         background,
         {"https://example.org/a.tavorin"},
         false,
         "1",
         ""},
        {"a web page over a box",
         area,
         centreOf("Text1", area),
         {"https://example.org/x"},
         true,
         "1",
         "https://example.org/x"},
        {"text over a box", area, centreOf("Text1", area), {}, true, "1", "3号镇墩"},
        {"text over the window", area, background, {}, false, "1", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        control<QLineEdit>("HSt")->setText(QStringLiteral("1"));
        control<QLineEdit>("Text1")->clear();
        std::unique_ptr<QMimeData> data(urls(row.urls));
        if (row.urls.isEmpty()) data->setText(QStringLiteral("3号镇墩"));
        EXPECT_EQ(drop(row.window, row.at, *data), row.taken);
        EXPECT_EQ(text("HSt"), QString::fromUtf8(row.hst));
        EXPECT_EQ(text("Text1"), QString::fromUtf8(row.text1));
        EXPECT_TRUE(m_modals.isEmpty()) << m_modals.join('\n').toStdString();
    }
    // The file dropped last is the case's: 保存 writes the boxes into it without asking.
    m_asked.clear();
    control<QAction>("saveCase")->trigger();
    EXPECT_TRUE(m_asked.empty());
    QFile saved(first);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("\"HSt\":\"1\""));
}

TEST_F(RealWindow, ABadFileDroppedOrNamedIsReportedOverAWorkingWindow) {
    control<QLineEdit>("HSt")->setText(QStringLiteral("99"));
    QStringList bad = QDir(kCases).entryList(QDir::Files);
    for (const QString& good : kGoodCases) EXPECT_TRUE(bad.removeOne(good));
    EXPECT_GE(bad.size(), 13);
    for (const bool named : {false, true}) {
        for (const QString& name : bad) {
            const QString file = kCases + name;
            SCOPED_TRACE(file.toStdString() + (named ? " named" : " dropped"));
            m_modals.clear();
            if (named) {
                m_form->openFile(file);
            } else {
                std::unique_ptr<QMimeData> data(urls({QUrl::fromLocalFile(file).toString()}));
                ASSERT_TRUE(drop(m_form->centralWidget(), QPoint(600, 340), *data));
            }
            QTRY_COMPARE(m_modals.size(), 1);
            EXPECT_TRUE(m_modals[0].startsWith("Tavorin|文件“" + file + "”不是算例文件："))
                << m_modals[0].toStdString();
            EXPECT_EQ(text("HSt"), "99");
            // The window still calculates.
            control<QLineEdit>("x1")->clear();
            QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
            EXPECT_FALSE(text("x1").isEmpty());
            EXPECT_EQ(m_modals.size(), 1);
        }
    }
    // A bad file leaves the window on a new case: 保存 asks.
    control<QAction>("saveCase")->trigger();
    EXPECT_EQ(m_asked, std::vector<std::string>{"saveCase"});
}

TEST_F(RealWindow, ANoticeSaysWhatWasWrittenAndGoesWithoutMovingAnything) {
    QTemporaryDir dir;
    const auto places = [this] {
        QList<QRect> all{m_form->geometry()};
        for (QWidget* w : m_form->findChildren<QWidget*>()) {
            if (w->objectName() != "notice") all << w->geometry();
        }
        return all;
    };
    const QList<QRect> before = places();
    m_path = dir.filePath(QStringLiteral("3号镇墩.tavorin"));
    QTest::keyClick(control<QLineEdit>("Text1"), Qt::Key_S, Qt::ControlModifier);
    auto* notice = m_form->findChild<QLabel*>(QStringLiteral("notice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), "已保存到“3号镇墩.tavorin”。");
    EXPECT_EQ(notice->accessibleName(), notice->text());
    EXPECT_TRUE(m_form->centralWidget()->rect().contains(notice->geometry()));
    // A second one replaces it.
    m_path = dir.filePath(QStringLiteral("sheet.html"));
    QTest::keyClick(control<QLineEdit>("Text1"), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(m_form->findChildren<QLabel*>(QStringLiteral("notice")).size(), 1);
    EXPECT_EQ(notice->text(), "计算书已导出到“sheet.html”。");
    EXPECT_EQ(places(), before);
    EXPECT_EQ(m_form->windowTitle(), "Form1");
    EXPECT_TRUE(m_modals.isEmpty()) << m_modals.join('\n').toStdString();
    QTest::qWait(Notice::kHoldMs / 2);
    EXPECT_TRUE(notice->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!notice->isVisible(), Notice::kHoldMs + Notice::kFadeMs);
}

}  // namespace
}  // namespace tavorin
