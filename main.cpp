// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/startup.h"

int main(int argc, char** argv) { return cotalia::RunCotalia(argc, argv); }
