#include "app/form1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    rt::SystemClock clock;
    rt::MersenneRandom random;
    rt::TimerHub timers(clock, rt::TimerHub::Drive::Realtime);
    rt::LocaleText text;
    rt::Services services{clock, random, timers, text, [] { QCoreApplication::exit(0); }};

    Form1 form(services);
    form.start();
    return app.exec();
}
