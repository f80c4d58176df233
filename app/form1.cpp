#include "app/form1.h"
#include "label/directions.h"

namespace {

const rt::WindowDefinition kForm1{
    "Brisora    by: Eolafie Quenwick                                                  Click  Mouse to end",
    5145, 4380};

const rt::LabelDefinition kLabel1{"HELLO", 2160, 2280, 5055, 1215, "Times New Roman", 48};

} // namespace

Form1::Form1(rt::Services& services)
    : form(kForm1),
      Label1(form, kLabel1),
      screen(form, "&Screen Saver"),
      confettii(screen, "Confettii", true, [this] { confettii_Click(); }),
      vantrel(screen, "Vantrel", false, [this] { vantrel_Click(); }),
      options(form, "&Options"),
      dates(options, "Show Date", true, [this] { dates_Click(); }),
      times(options, "Show Time", true, [this] { times_Click(); }),
      days(options, "Show Day", true, [this] { days_Click(); }),
      Timer1(services.timers, 30, true, [this] { Timer1_Timer(); }),
      Timer2(services.timers, 1000, true, [this] { Timer2_Timer(); }),
      Timer3(services.timers, 900, true, [this] { Timer3_Timer(); }),
      Timer4(services.timers, 1, true, [this] { Timer4_Timer(); }),
      Timer5(services.timers, 9000, true, [this] { Timer5_Timer(); }),
      Timer6(services.timers, 275, true, [this] { Timer6_Timer(); }),
      sys(services)
{
    form.onKeyPress = [this](std::int16_t& keyAscii) { Form_KeyPress(keyAscii); };
    form.onMouseDown = [this](std::int16_t& button, std::int16_t& shift, float& x, float& y) {
        Form_MouseDown(button, shift, x, y);
    };
    // Closed by the window system: the program ends, with no handler.
    form.onClosed = [this] { sys.end(); };
}

void Form1::start()
{
    Form_Load();
    form.showMaximized(sys.desktop);
    form.pace(sys.timers);
}

std::string Form1::timeText() const
{
    return sys.text.time(sys.clock.timeOfDay());
}

void Form1::Form_Load()
{
    ver = kUp;
    hor = kRight;
    num = 1;
    test = 0;
    Label1.setCaption(timeText());
    time1 = true;
    date1 = true;
    day1 = true;
    x = 0;
    y = 0;
    z = 0;
    test1 = 1;
    dir = 1;
    num1 = 1;
}

void Form1::Form_KeyPress(std::int16_t&)
{
    unloadAndEnd();
}

void Form1::Form_MouseDown(std::int16_t&, std::int16_t&, float&, float&)
{
    unloadAndEnd();
}

void Form1::unloadAndEnd()
{
    form.unload();
    sys.end();
}
