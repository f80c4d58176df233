#include "app/form1.h"

#include <array>

namespace {

// Weekday 1 (Sunday) to 7; English in every locale.
const std::array<std::string, 7> kWeekdayNames{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

} // namespace

// The next piece whose option is on, in the order date, weekday, time,
// after the one shown last.
void Form1::Timer5_Timer()
{
    // With every option off the search below would never end; the menu
    // stops this timer then, but a tick must not hang regardless.
    if (!date1 && !day1 && !time1)
        return;

    bool done = false;
    test = test + 1;
    do {
        if (test == 1) {
            if (date1) {
                Label1.setCaption(sys.text.date(sys.clock.today()));
                done = true;
            } else {
                test = test + 1;
            }
        } else if (test == 2) {
            if (day1) {
                done = true;
                Label1.setCaption(kWeekdayNames.at(static_cast<std::size_t>(rt::weekday(sys.clock.today()) - 1)));
            } else {
                test = test + 1;
            }
        } else if (test == 3) {
            if (time1) {
                Label1.setCaption(timeText());
                test = 0;
                done = true;
            } else {
                test = test + 1;
            }
        } else {
            test = 1;
        }
    } while (!done);
}
