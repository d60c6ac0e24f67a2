#include "startup.h"

int main(int argc, char** argv) { return cotalia::RunCotalia(argc, argv); }
