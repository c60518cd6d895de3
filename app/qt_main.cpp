// tavorin: the window program. No arguments, no files, no settings; closing the window
// ends it.
#include <QApplication>

#include "window/qt/application.h"
#include "window/qt/form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tavorin::prepareApplication(app);
    tavorin::Form1 form;
    form.show();
    return QApplication::exec();
}
