#include "app/command_line.h"
#include "platform/memory_reuse.h"

int main(int argc, char** argv) {
    painter::keepFreedMemoryForReuse();
    return painter::runPainter(argc, argv);
}
