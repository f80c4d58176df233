#include "app/form1.h"
#include "runtime/display.h"
#include "runtime/system_services.h"

#include <QApplication>

int main(int argc, char** argv)
{
    rt::holdStartupMessages();
    QApplication app(argc, argv);
    rt::displayOpened();

    rt::SystemServices system;

    Form1 form(system.services);
    form.start();
    rt::endNow(app.exec());
}
