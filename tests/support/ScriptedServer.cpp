#include "ScriptedServer.h"
