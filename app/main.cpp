#include "app/form1.h"
#include "runtime/system_services.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <cstdio>
#include <cstdlib>

namespace {

// Messages from before the toolkit is up are held back: if no display can
// be opened, the toolkit reports it in several lines and aborts; the user
// gets one line and status 1 instead. Otherwise they are passed on.
QList<QByteArray>* startupMessages = nullptr;

void startupMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtFatalMsg) {
        const QByteArray display = qgetenv("DISPLAY");
        std::fprintf(stderr, "brisora: cannot open display%s%s\n", display.isEmpty() ? "" : " ",
                     display.constData());
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (startupMessages)
        startupMessages->append(text.toLocal8Bit());
}

} // namespace

int main(int argc, char** argv)
{
    QList<QByteArray> held;
    startupMessages = &held;
    qInstallMessageHandler(startupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    startupMessages = nullptr;
    for (const QByteArray& line : held)
        std::fprintf(stderr, "%s\n", line.constData());

    rt::SystemServices system;

    Form1 form(system.services);
    form.start();
    return app.exec();
}
