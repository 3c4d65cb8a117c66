// build/vorndle: the production, with its data tree in build/data/.
#include "Vorndle.h"

#include "app/PlayerMain.h"

int main(int argc, char** argv) {
    return playerMain<Vorndle>(argc, argv);
}
