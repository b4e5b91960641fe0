// Where every generated file stands, relative to the game's executable.
#pragma once

namespace assetgen {

inline constexpr const char* kTileModelPath = "MQO/Korvane.mqo";
inline constexpr const char* kUnitModelPath = "MQA/BlueKnight.mqa";
inline constexpr const char* kStagePath = "Stage1.vtm";
inline constexpr const char* kTextureFolder = "TEXTURE/";

// Texture file names as materials name them (relative to the texture folder).
inline constexpr const char* kGrassTexture = "grass_top.png";
inline constexpr const char* kEarthTexture = "earth_side.bmp";
inline constexpr const char* kArmourTexture = "armour_plate.bmp";
inline constexpr const char* kShieldTexture = "shield_emblem.png";

} // namespace assetgen
