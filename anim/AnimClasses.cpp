#include "anim/AnimClasses.h"
