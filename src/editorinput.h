#pragma once

// What the designer does in one pass of the level editor, as a plain value.
// The editor's passes take it rather than reading the keyboard and mouse, so
// that tests drive them with made-up input.
struct EditorInput {
  bool anykey = false;  // any key held
  bool esc = false;     // held
  bool lshift = false;  // left Shift held: only the left one nudges
  bool shift = false;   // either Shift held: turns the wheel sideways
  bool left = false, right = false, up = false, down = false;  // arrows held
  int typed = 0;    // the key taken from the keyboard buffer this pass, as
                    // readkey gives it (scancode << 8 | character); 0: none
  int x = 0, y = 0;  // the pointer, in screen pixels
  int buttons = 0;   // mouse buttons held: bit 0 left, bit 1 right
  int wheel = 0;     // wheel notches since the last pass, positive away from the designer

  bool leftbutton() const { return buttons & 1; }
  bool rightbutton() const { return buttons & 2; }
  bool arrow() const { return left || right || up || down; }
  int character() const { return typed & 0xff; }
  int scancode() const { return typed >> 8; }
};

// Reads Allegro's key array, keyboard buffer (one key at most) and mouse
// state: the one place where the editor looks at them.
class EditorInputReader {
 public:
  EditorInputReader();  // the wheel counts from where it is now
  EditorInput read();

 private:
  int wheel;  // mouse_z as the last read saw it
};
