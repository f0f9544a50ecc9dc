#include "app/MainClass.h"

int main() {
    startUp();
    double previousTime = 0;
    while (running)
        runFrame(previousTime);
    shutDown();
    return 0;
}
