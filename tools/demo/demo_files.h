// tools/demo/demo_files.h -- the parts of the demo folder, each written by one function.
// Paths inside the folder are fixed here so the scene file and the writers agree.
#pragma once

#include <string>

#include "tools/demo/demo_math.h"

namespace demo {

namespace path {
constexpr const char* kCreatureMesh = "models/creature/creature.md5mesh";
constexpr const char* kCreatureAnim = "models/creature/walk.md5anim";
constexpr const char* kFloor = "models/floor/floor.obj";
constexpr const char* kColumn = "models/column/column.obj";
constexpr const char* kCamera = "cameras/orbit.md5anim";
} // namespace path

constexpr const char* kCameraJoint = "camera";
// The camera animation's placement (the scene's campos); its keys are relative to it.
constexpr Vec3 kCameraOffset{0, 0, 4};
// Where the column stands and how it is turned.
constexpr Vec3 kColumnPos{-64, 44, 0};
constexpr float kColumnAngle = 25;

// Each returns false when a file could not be written; `dir` ends without a separator.
bool writeCreature(const std::string& dir);
bool writeFloor(const std::string& dir);
bool writeColumn(const std::string& dir);
bool writeCameraAnimation(const std::string& dir);
bool writeLightFilters(const std::string& dir);
bool writeScene(const std::string& dir);

// Writes the four maps of a material as <base>_d, _s, _h (and _local) .tga.
struct MaterialMaps;
bool writeMaterialMaps(const std::string& base, const MaterialMaps& maps);

} // namespace demo
