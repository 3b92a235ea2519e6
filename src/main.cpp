#include "app/ArchiverApp.h"

int main(int argc, char** argv) {
    return RunMirabel(argc, argv);
}
