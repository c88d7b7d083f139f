#include "app/AppSettings.h"

AppSettings* g_settings = nullptr;
