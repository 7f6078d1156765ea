#include <allegro.h>

#include "levelcheck/run.h"

// The level designer's checker; everything it does is in levelcheck/.
int main(int argc, char** argv) { return levelcheckmain(argc, argv); }
END_OF_MAIN()
