#include "app/application.h"

int RunApplication() { return 0; }
