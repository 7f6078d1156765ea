#include <allegro.h>

#include "main.h"

int main(int argc, char** argv) { return runmarsflyer(argc, argv); }
END_OF_MAIN()
