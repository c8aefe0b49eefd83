#pragma once
// Resource paths of Quorlane's artwork, compiled into the quorlane_assets
// library (see assets/CMakeLists.txt). Linking that library is all a target
// needs: the resources register themselves at start-up.

namespace quorlane::assets {

inline constexpr char kWindowIcon[] = ":/assets/quorlane.png"; // 32 x 32
inline constexpr char kSplash[] = ":/assets/splash.png"; // 427 x 227, RGB
// ":/assets/icons/quorlane-N.png" for N = 16, 32, 48, 64, 128, 256
inline constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// Path of the icon of the given size (one of kIconSizes).
const char *iconPath(int size);

} // namespace quorlane::assets
