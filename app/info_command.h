// app/info_command.h -- the description that ostrelle --info prints, reachable by tests.
#pragma once

#include <nlohmann/json.hpp>

#include "base/load_problem.h"

class Model;

// The "problems" of a description: one {"kind", "file", "mesh", "record", "value", "message"}
// per problem, absent numbers as null.
nlohmann::ordered_json describeProblems(const LoadProblems& problems);

// {"file", "joints", "meshes": [...], "problems": [...]} of a loaded model; with `positions` each mesh also lists
// its drawn corners as [x, y, z, u, v] in the bind pose. Poses the model in its bind pose.
nlohmann::ordered_json describeModel(Model& model, bool positions);

// Where --anim and --time put the model before its corners are reported.
struct InfoPose {
    bool animated = false; // an animation was asked for
    double time = 0;       // seconds on the animation clock
};

// As above; when an animation was asked for and loaded, the corners are those posed at
// pose.time and the description gains "animation": {"version", "frames", "frameRate",
// "joints", "channels", "boundJoints"}.
nlohmann::ordered_json describeModel(Model& model, bool positions, const InfoPose& pose);
