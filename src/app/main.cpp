#include "app/QuarvelApp.h"

int main(int argc, char** argv)
{
    return CQuarvelApp().Run(argc, argv);
}
