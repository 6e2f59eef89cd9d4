#include "app/Application.h"

#include "platform/ProcessMemory.h"

int main(int argc, char** argv)
{
    KeepLargeBlocksApart();
    return RunKestrolin(argc, argv);
}
