#include "resources/ColorQuantizationLibrary.h"
