#include "telvane/telvane_start.h"

int main(int argc, char** argv) { return phondeck::run_telvane(argc, argv); }
