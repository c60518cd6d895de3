// The yardstick of the window benchmark: an empty Qt Widgets window of Form1's size and
// title, what any Qt window program costs to start.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Form1"));
    window.resize(780, 655);
    window.show();
    return QApplication::exec();
}
