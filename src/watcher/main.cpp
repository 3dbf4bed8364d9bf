#include "watcher/KWatcher.h"

int main(int argc, char* argv[]) {
    return KWatcher::programMain(argc, argv);
}
