#include "app/QuarvelApp.h"

int main(int argc, char** argv)
{
    return QuarvelApp().run(argc, argv);
}
