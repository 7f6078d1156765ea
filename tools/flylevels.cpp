#include <allegro.h>

#include "flylevels/run.h"

// The level pilot; everything it does is in flylevels/.
int main(int argc, char** argv) { return pilot::flylevelsmain(argc, argv); }
END_OF_MAIN()
