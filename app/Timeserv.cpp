#include "app/Timeserv.h"
