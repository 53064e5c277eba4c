#include "UntLogin.h"
