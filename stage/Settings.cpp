#include "stage/Settings.h"

TGameOptions Options;
