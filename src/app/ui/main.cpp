#include "app/ui/ArchiverApp.h"

int main(int argc, char** argv) {
    return mirabel::RunMirabel(argc, argv);
}
