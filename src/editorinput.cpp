#include "editorinput.h"

#include <allegro.h>

EditorInputReader::EditorInputReader() : wheel(mouse_z) {}

EditorInput EditorInputReader::read() {
  EditorInput in;
  for (int i = 0; i < KEY_MAX && !in.anykey; i++) in.anykey = key[i];
  in.esc = key[KEY_ESC];
  in.lshift = key[KEY_LSHIFT];
  in.shift = key[KEY_LSHIFT] || key[KEY_RSHIFT];
  in.left = key[KEY_LEFT];
  in.right = key[KEY_RIGHT];
  in.up = key[KEY_UP];
  in.down = key[KEY_DOWN];
  if (keypressed()) in.typed = readkey();
  in.x = mouse_x;
  in.y = mouse_y;
  in.buttons = mouse_b;
  const int z = mouse_z;
  in.wheel = z - wheel;
  wheel = z;
  return in;
}
