// The program as it runs, held still in Vantrel for a picture: once the
// effect has been on for a while, at the first frame shown with the label
// where PROBE_FREEZE says (middle: wholly inside the surface; top: across
// its top edge), the timers stop and Qt draws the window's content, in its
// device pixels, into PROBE_OUT (PNG). The screen's picture of the window
// is then compared with it.

#include "app/form1.h"
#include "runtime/display.h"
#include "runtime/label_widget.h"
#include "runtime/surface_widget.h"
#include "runtime/system_services.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPixmap>
#include <cstdio>

int main(int argc, char** argv)
{
    rt::holdStartupMessages();
    QApplication app(argc, argv);
    rt::displayOpened();
    rt::SystemServices system;
    Form1 form(system.services);
    form.start();

    const bool top = qEnvironmentVariable("PROBE_FREEZE") == QLatin1String("top");
    const QString out = qEnvironmentVariable("PROBE_OUT");
    // Half a second into Vantrel: a compositor may show its first frame
    // only with the next, which a frozen program never makes.
    QElapsedTimer inVantrel;
    auto shown = system.timers.present;
    system.timers.present = [&, shown] {
        shown();
        if (!form.vantrel.checked())
            return inVantrel.invalidate();
        if (!inVantrel.isValid())
            inVantrel.start();
        const QRect label = form.Label1.widget()->geometry();
        const QRect surface = form.form.surface()->rect();
        if (inVantrel.elapsed() < 500 || !(top ? label.top() < 0 && label.bottom() >= 0 : surface.contains(label)))
            return;
        system.timers.stopAll();
        // Where the window system draws the surface, Qt holds its updates:
        // let for this drawing only, which no paint follows on screen.
        QWidget* drawn = form.form.surface();
        const bool held = !drawn->updatesEnabled();
        drawn->setUpdatesEnabled(true);
        // Whole or not at all, for the test that waits for it.
        form.form.widget()->grab().save(out + ".part", "PNG");
        drawn->setUpdatesEnabled(!held);
        std::rename(qPrintable(out + ".part"), qPrintable(out));
    };
    rt::endNow(app.exec());
}
