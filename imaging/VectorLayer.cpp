#include "VectorLayer.h"
