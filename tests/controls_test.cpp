#include <gtest/gtest.h>

#include "controls.h"
#include "support/world_support.h"

namespace {

// A two-axis, four-button joystick at rest.
JOYSTICK_INFO joystick() {
  JOYSTICK_INFO j{};
  j.num_sticks = 1, j.num_buttons = 4, j.stick[0].num_axis = 2;
  return j;
}

std::string held(const ControlSet& c) {
  const char* names[] = {"left ", "right ", "thrust ", "fire ", "action "};
  std::string s;
  for (int i = 0; i < NumControls; i++) s += c.held[i] ? names[i] : "";
  return s;
}

}  // namespace

// Allegro leaves stale flags in the axes and buttons a device lacks.
TEST(Controls, StickAndFirstThreeButtonsMapToTheShipsControls) {
  struct Row { const char* input; void (*press)(JOYSTICK_INFO&); const char* held; } rows[] = {
      {"nothing", [](JOYSTICK_INFO&) {}, ""},
      {"stick left, up", [](JOYSTICK_INFO& j) { j.stick[0].axis[0].d1 = j.stick[0].axis[1].d1 = 1; }, "left thrust "},
      {"stick right, down", [](JOYSTICK_INFO& j) { j.stick[0].axis[0].d2 = j.stick[0].axis[1].d2 = 1; }, "right "},
      {"buttons 1 to 4", [](JOYSTICK_INFO& j) { j.button[0].b = j.button[1].b = j.button[2].b = j.button[3].b = 1; },
       "thrust fire action "},
      {"a second stick", [](JOYSTICK_INFO& j) { j.num_sticks = 2, j.stick[1].num_axis = 2, j.stick[1].axis[0].d1 = 1; }, ""},
      {"no stick", [](JOYSTICK_INFO& j) { j.num_sticks = 0, j.stick[0].axis[0].d1 = 1; }, ""},
      {"one axis", [](JOYSTICK_INFO& j) { j.stick[0].num_axis = 1, j.stick[0].axis[0].d2 = j.stick[0].axis[1].d1 = 1; }, "right "},
      {"two buttons", [](JOYSTICK_INFO& j) { j.num_buttons = 2, j.button[1].b = j.button[2].b = 1; }, "fire "},
  };
  for (const Row& row : rows) {
    JOYSTICK_INFO j = joystick();
    row.press(j);
    EXPECT_EQ(held(joystickcontrols(j)), row.held) << row.input;
  }
}

TEST(Controls, JoystickSteersTheShipAlongsideTheKeys) {
  TestWorld world;
  struct Release { ~Release() { setjoystick(nullptr); } } release;
  Ship ship;
  StaticObject tank(TankHydrogen);
  ship.position = {320, 100};
  ship.hydrogen = 0.5f;
  tank.position = {320, 170};
  nearobjects = {&ship, &tank};
  JOYSTICK_INFO j = joystick();
  // Left, up, fire, and SPACE over the tank.
  j.stick[0].axis[0].d1 = j.stick[0].axis[1].d1 = j.button[1].b = j.button[2].b = 1;
  setjoystick(&j);
  ship.tick(0.03125f);
  EXPECT_LT(ship.angle, 0) << "turned anticlockwise";
  EXPECT_LT(ship.velocity.y, 0) << "thrust beat gravity";
  EXPECT_EQ(newshots().size(), 1u);
  EXPECT_GT(ship.hydrogen, 0.5f) << "drew from the tank";

  // The arrow key and the stick held opposite ways: clockwise wins, as with both arrows.
  const float before = ship.angle;
  key[KEY_RIGHT] = 1;
  ship.tick(0.03125f);
  EXPECT_GT(ship.angle, before);

  // Without a joystick installed a poll lets everything go; the keys still count.
  polljoystick();
  for (Control c : {TurnLeft, Fire, Action}) EXPECT_FALSE(controlheld(c)) << c;
  EXPECT_TRUE(controlheld(TurnRight));
}
