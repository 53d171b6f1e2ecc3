// The stand-in CAD host program.
#include "cadhost.h"

int main(int argc, char** argv) {
    return cadhost::runHost(argc, argv);
}
