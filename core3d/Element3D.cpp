#include "core3d/Element3D.h"
