#include "app/Main.h"

int main(int argc, char **argv)
{
    return orvane::Main(argc, argv);
}
