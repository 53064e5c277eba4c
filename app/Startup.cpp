#include "Startup.h"

#include "BoxMessages.h"
#include "ImageView.h"

void PrepareApplication() {
    // fontconfig does not map 宋体/SimSun to an installed CJK face here, so
    // the program maps them itself.
    imaging::InstallFontSubstitutions();
    InstallBoxMessages();
}
