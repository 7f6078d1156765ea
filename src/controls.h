#pragma once

#include <allegro.h>

// The ship's five controls, held on the keyboard or on a joystick or
// gamepad. The keys are read from Allegro's key[] whenever asked; the
// joystick is polled once a frame by the level's frame loop.

enum Control { TurnLeft, TurnRight, Thrust, Fire, Action, NumControls };

// Which controls one joystick's state holds: stick 0 left and right turn,
// up or button 1 thrusts, button 2 fires, button 3 acts as SPACE. Buttons
// and axes the joystick does not have count as released.
struct ControlSet {
  bool held[NumControls] = {};
};
ControlSet joystickcontrols(const JOYSTICK_INFO& joystick);

// Whether the control is held on the keyboard or on the joystick as last polled.
bool controlheld(Control control);

// Looks for a joystick; without one (or without a driver) the keyboard alone
// steers. The game calls it once at start-up; the editor does not.
void installjoystick();

// Reads the first joystick, if one was installed; called once a frame.
void polljoystick();

// Takes `joystick` as the state of the stick and buttons, or none with null;
// polljoystick's last step, and how tests hold joystick controls.
void setjoystick(const JOYSTICK_INFO* joystick);
