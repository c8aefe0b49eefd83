#include "assets/assets.h"

namespace quorlane::assets {

const char *iconPath(int size)
{
    switch (size) {
    case 16:
        return ":/assets/icons/quorlane-16.png";
    case 32:
        return ":/assets/icons/quorlane-32.png";
    case 48:
        return ":/assets/icons/quorlane-48.png";
    case 64:
        return ":/assets/icons/quorlane-64.png";
    case 128:
        return ":/assets/icons/quorlane-128.png";
    case 256:
        return ":/assets/icons/quorlane-256.png";
    default:
        return kWindowIcon;
    }
}

} // namespace quorlane::assets
