// app/info_command.h -- the description that ostrelle --info prints, reachable by tests.
#pragma once

#include <nlohmann/json.hpp>

class Model;

// {"file", "joints", "meshes": [...]} of a loaded model; with `positions` each mesh also lists
// its drawn corners as [x, y, z, u, v] in the bind pose. Poses the model in its bind pose.
nlohmann::ordered_json describeModel(Model& model, bool positions);
