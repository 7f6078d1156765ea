#include "controls.h"

namespace {

bool joystickinstalled = false;
ControlSet joystickheld;  // as last polled; nothing held without a joystick

bool pressed(const JOYSTICK_INFO& j, int button) { return button < j.num_buttons && j.button[button].b; }

}  // namespace

ControlSet joystickcontrols(const JOYSTICK_INFO& j) {
  ControlSet c;
  if (j.num_sticks > 0) {
    const JOYSTICK_STICK_INFO& stick = j.stick[0];
    // Axis 0 runs left (d1) to right (d2), axis 1 up (d1) to down (d2).
    if (stick.num_axis > 0) {
      c.held[TurnLeft] = stick.axis[0].d1;
      c.held[TurnRight] = stick.axis[0].d2;
    }
    if (stick.num_axis > 1) c.held[Thrust] = stick.axis[1].d1;
  }
  c.held[Thrust] = c.held[Thrust] || pressed(j, 0);
  c.held[Fire] = pressed(j, 1);
  c.held[Action] = pressed(j, 2);
  return c;
}

bool controlheld(Control control) {
  bool keyheld = false;
  switch (control) {
    case TurnLeft: keyheld = key[KEY_LEFT]; break;
    case TurnRight: keyheld = key[KEY_RIGHT]; break;
    case Thrust: keyheld = key[KEY_UP]; break;
    case Fire: keyheld = key[KEY_LCONTROL] || key[KEY_RCONTROL]; break;
    case Action: keyheld = key[KEY_SPACE]; break;
    case NumControls: return false;
  }
  return keyheld || joystickheld.held[control];
}

void installjoystick() {
  joystickinstalled = install_joystick(JOY_TYPE_AUTODETECT) == 0 && num_joysticks > 0;
}

void polljoystick() {
  if (joystickinstalled && poll_joystick() == 0)
    setjoystick(&joy[0]);
  else
    setjoystick(nullptr);
}

void setjoystick(const JOYSTICK_INFO* joystick) {
  joystickheld = joystick ? joystickcontrols(*joystick) : ControlSet{};
}
