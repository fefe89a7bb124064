#include "tools/varnok-pack/commands.h"

int main(int argc, char** argv) { return RunVarnokPack(argc, argv); }
