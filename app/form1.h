#pragma once
// The program's one window: its controls, its state and its handlers.
// Handlers are defined beside the subsystem they belong to: confetti/,
// label/ and info/; start-up, exit and the effect menu are here.

#include "runtime/label.h"
#include "runtime/menu.h"
#include "runtime/services.h"
#include "runtime/timers.h"
#include "runtime/window.h"

#include <cstdint>
#include <string>

class Form1 {
public:
    explicit Form1(rt::Services& services);

    // Runs Form_Load, then shows the window maximised.
    void start();

    // Controls, in the order the window defines them.
    rt::Window form;
    rt::Label Label1;
    rt::Menu screen;
    rt::MenuItem confettii;
    rt::MenuItem vantrel;
    rt::Menu options;
    rt::MenuItem dates;
    rt::MenuItem times;
    rt::MenuItem days;
    rt::Timer Timer1;
    rt::Timer Timer2;
    rt::Timer Timer3;
    rt::Timer Timer4;
    rt::Timer Timer5;
    rt::Timer Timer6;

    // Window-level state.
    std::int16_t num = 0;     // stroke of the figure's letter, 1 to 4
    std::int16_t num1 = 0;    // letter of the figure, 1 to 7
    std::string hor;          // "r" right, "l" left
    std::string ver;          // "u" up, "d" down
    std::int16_t test = 0;    // rotation: 0 time, 1 date, 2 weekday shown last
    bool time1 = false;       // "Show Time" is on
    bool date1 = false;       // "Show Date" is on
    bool day1 = false;        // "Show Day" is on
    std::int16_t test1 = 0;   // fading level: 1 red, 2 green, 3 blue
    std::int16_t dir = 0;     // fade: 1 rising, 2 falling
    std::int16_t x = 0;       // red level of the fade
    std::int16_t y = 0;       // green level of the fade
    std::int16_t z = 0;       // blue level of the fade

    // Handlers.
    void Form_Load();
    void Form_KeyPress(std::int16_t& KeyAscii);
    void Form_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void confettii_Click();
    void vantrel_Click();
    void dates_Click();
    void times_Click();
    void days_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void Timer5_Timer();
    void Timer6_Timer();

private:
    void unloadAndEnd();
    void toggleOption(rt::MenuItem& item, bool& flag);
    std::string timeText() const;

    rt::Services& sys;
};
