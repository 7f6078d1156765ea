#include <allegro.h>

#include "desktop.h"
#include "main.h"
#include "marsflyer.xpm"  // the window's icon, drawn from the ship by makedata at build time

int main(int argc, char** argv) {
  setwindowicon(marsflyer_xpm);
  return runmarsflyer(argc, argv);
}
END_OF_MAIN()
