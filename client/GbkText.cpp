#include "GbkText.h"
