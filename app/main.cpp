// veskat-cameras: start-up seeding of the settings, then the frame window.
#include "app/module1.h"

int main()
{
    Module1::SeedSettings();
    return 0;
}
