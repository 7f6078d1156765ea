#include <allegro.h>

#include "flylevels/run.h"

// The level pilot; its command line is in flylevels/, its flying in src/pilot*.
int main(int argc, char** argv) { return pilot::flylevelsmain(argc, argv); }
END_OF_MAIN()
