#include "app/form1.h"

// Switches one option: its check mark and flag together; the label and the
// rotation run while at least one option is on.
void Form1::toggleOption(rt::MenuItem& item, bool& flag)
{
    if (item.checked()) {
        item.setChecked(false);
        flag = false;
    } else {
        Label1.setVisible(true);
        item.setChecked(true);
        flag = true;
        Timer5.setEnabled(true);
    }
    if (!dates.checked() && !times.checked() && !days.checked()) {
        Timer5.setEnabled(false);
        Label1.setVisible(false);
    }
}

void Form1::dates_Click()
{
    toggleOption(dates, date1);
}

void Form1::times_Click()
{
    toggleOption(times, time1);
}

void Form1::days_Click()
{
    toggleOption(days, day1);
}
