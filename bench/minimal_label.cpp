// The least a Qt program can do to show what Brisora shows most of: a
// maximised window with a menu bar and a label of the same size and font,
// moved 5 pixels along each axis 60 times a second (Brisora's rate on a
// 60 Hz display) and turned at the same limits, and nothing else. With
// "fade", the label's background also takes a new colour at each step, as
// Brisora's does. The benchmark sets Brisora's CPU against both, measured
// side by side.
//
//   minimal_label [fade]

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <cmath>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("minimal label");
    window.menuBar()->setNativeMenuBar(false);
    for (const char* menu : {"&Screen Saver", "&Options"})
        window.menuBar()->addMenu(menu)->addAction("Item");
    auto* surface = new QWidget;
    window.setCentralWidget(surface);
    auto* label = new QLabel("10:20:30", surface);
    QFont font("Times New Roman");
    font.setPixelSize(64);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    label->setGeometry(144, 152, 337, 81);
    window.showMaximized();

    // 5 pixels a step; turning where Brisora's label does (0 to 300 across,
    // 0 to 366 down).
    int dx = 5, dy = -5;
    const bool fade = argc > 1 && QByteArray(argv[1]) == "fade";
    QPalette palette = label->palette();
    QElapsedTimer clock;
    clock.start();
    qint64 step = 0;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QPoint p = label->pos() + QPoint(dx, dy);
        label->move(p);
        if (p.y() <= 0)
            dy = 5;
        if (p.y() >= 366)
            dy = -5;
        if (p.x() <= 0)
            dx = 5;
        if (p.x() >= 300)
            dx = -5;
        if (fade) {
            palette.setColor(QPalette::Window, QColor::fromHsv(int(step % 360), 255, 255));
            label->setPalette(palette);
        }
        // Steps on a 60-a-second grid.
        ++step;
        timer.start(std::max<qint64>(0, std::llround(step * 1000.0 / 60) - clock.elapsed()));
    });
    timer.start(16);
    return app.exec();
}
