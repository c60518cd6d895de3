// tavorin: the window program. `tavorin` opens Form1 on a new case; `tavorin FILE` opens it,
// then the case file FILE as 打开… would (a file that is not a case is reported over the
// working window). No settings; closing the window ends it.
#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "window/qt/application.h"
#include "window/qt/form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tavorin::prepareApplication(app);
    tavorin::Form1 form;
    form.show();
    // Once the window is up, so that a message stands over it. A desktop passes one file.
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        QTimer::singleShot(0, &form, [&form, file = args.at(1)] { form.openFile(file); });
    }
    return QApplication::exec();
}
