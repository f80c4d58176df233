#include "app/form1.h"

void Form1::confettii_Click()
{
    confettii.setChecked(true);
    vantrel.setChecked(false);
    Timer6.setEnabled(true);
    Timer1.setEnabled(true);
}

void Form1::vantrel_Click()
{
    confettii.setChecked(false);
    vantrel.setChecked(true);
    Timer1.setEnabled(false);
    Timer6.setEnabled(false);
}
