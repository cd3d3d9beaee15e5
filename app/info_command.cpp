// app/info_command.cpp -- ostrelle --info: load one model and describe it as JSON.
#include "app/info_command.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "model/animation.h"
#include "app/commands.h"
#include "base/debug_log.h"
#include "base/basepath.h"
#include "base/load_problem.h"
#include "model/model.h"

namespace {

using Json = nlohmann::ordered_json;

struct InfoOptions {
    std::vector<const char*> models;
    std::string basepath;
    bool hasBasepath = false;
    bool positions = false;
    bool strict = false; // any problem of a load makes the exit status 3
    const char* anim = nullptr;
    bool hasTime = false;
    InfoPose pose;
};

// What went wrong on the command line, with its exit status.
struct InfoError {
    int status = kExitUsage;
    std::string message;
};

// The value after an option, or false with the reason.
bool optionValue(int argc, char** argv, int& i, const char* what, const char*& value, InfoError& error) {
    if (i + 1 >= argc) {
        error.message = std::string(argv[i]) + " needs " + what;
        return false;
    }
    value = argv[++i];
    return true;
}

bool parseTime(const char* text, double& time, InfoError& error) {
    char* end = nullptr;
    time = strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(time)) {
        error.message = std::string("--time needs a number of seconds, not ") + text;
        return false;
    }
    return true;
}

bool checkFolder(const std::string& folder, InfoError& error) {
    struct stat st;
    if (stat(folder.c_str(), &st) != 0) {
        error = {kExitFailure, "--basepath " + folder + ": " + systemReason()};
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = {kExitFailure, "--basepath " + folder + ": not a folder"};
        return false;
    }
    return true;
}

bool parseOption(int argc, char** argv, int& i, InfoOptions& options, InfoError& error) {
    const char* arg = argv[i];
    const char* value = nullptr;
    if (strcmp(arg, "--positions") == 0) {
        options.positions = true;
    } else if (strcmp(arg, "--strict") == 0) {
        options.strict = true;
    } else if (strcmp(arg, "--basepath") == 0) {
        if (!optionValue(argc, argv, i, "a folder", value, error)) return false;
        options.basepath = value;
        options.hasBasepath = true;
    } else if (strcmp(arg, "--anim") == 0) {
        if (!optionValue(argc, argv, i, "an animation file", options.anim, error)) return false;
        options.pose.animated = true;
    } else if (strcmp(arg, "--time") == 0) {
        if (!optionValue(argc, argv, i, "a time", value, error) || !parseTime(value, options.pose.time, error))
            return false;
        options.hasTime = true;
    } else {
        error.message = std::string("unknown option ") + arg;
        return false;
    }
    return true;
}

// False, with the reason and exit status in `error`, when the arguments do not form a command.
bool parseOptions(int argc, char** argv, InfoOptions& options, InfoError& error) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (strcmp(arg, "--info") == 0) continue;
        if (arg[0] == '-' && arg[1] == '-') {
            if (!parseOption(argc, argv, i, options, error)) return false;
        } else {
            options.models.push_back(arg);
        }
    }
    if (options.models.empty()) {
        error.message = "no model given; usage: ostrelle --info MODEL... [--basepath DIR] [--anim FILE [--time T]] "
                        "[--positions] [--strict]";
        return false;
    }
    if (options.hasTime && !options.anim) {
        error.message = "--time poses an animation: give one with --anim FILE";
        return false;
    }
    return !options.hasBasepath || checkFolder(options.basepath, error);
}

// Like the scene's base path, the folder ends in a separator.
std::string asFolder(std::string path) {
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    return path;
}

int countOpenEdges(const Model& model, size_t m) {
    const std::vector<Edge>& edges = model.edges[m];
    return static_cast<int>(std::count_if(edges.begin(), edges.end(), [](const Edge& e) { return e.tri1 == -1; }));
}

// The three drawn corners of every triangle; static models draw their per-corner texture
// coordinates, skinned ones those of the vertex.
Json describeCorners(const Model& model, size_t m) {
    Json corners = Json::array();
    const std::vector<int>& indices = model.indices[m];
    const std::vector<Vertex>& verts = model.verts[m];
    const std::vector<CornerVertex>& cornerData = model.corners[m];
    const bool cornerUv = model.numJoints() == 0 && cornerData.size() == indices.size();
    for (size_t i = 0; i < indices.size(); ++i) {
        const Vertex& vert = verts[static_cast<size_t>(indices[i])];
        const float u = cornerUv ? cornerData[i].u : vert.u;
        const float tv = cornerUv ? cornerData[i].v : vert.v;
        corners.push_back(Json::array({vert.pos[0], vert.pos[1], vert.pos[2], u, tv}));
    }
    return corners;
}

Json describeMesh(const Model& model, size_t m, bool positions) {
    Json mesh;
    mesh["material"] = m < model.materialName.size() ? model.materialName[m] : std::string();
    mesh["verts"] = model.numVerts[m];
    mesh["vertsTotal"] = model.numVertsTotal(static_cast<int>(m));
    mesh["clones"] = model.numClones(static_cast<int>(m));
    mesh["duplicates"] = model.numDuplicates[m];
    mesh["tris"] = model.numTris(static_cast<int>(m));
    mesh["weights"] = model.numWeights(static_cast<int>(m));
    mesh["edges"] = model.numEdges(static_cast<int>(m));
    mesh["openEdges"] = countOpenEdges(model, m);
    mesh["textures"] = Json{{"diffuse", model.hasDiffuse[m] != 0},
                            {"specular", model.hasSpecular[m] != 0},
                            {"local", model.hasLocal[m] != 0},
                            {"height", model.hasHeight[m] != 0}};
    // The file each kind came from, keyed as "textures" is; null where the mesh has none.
    const char* const keys[kTextureGroupCount] = {"diffuse", "specular", "local", "height"};
    Json files;
    for (size_t g = 0; g < kTextureGroupCount; ++g) {
        const std::string& file = model.textureFile[m][g];
        files[keys[g]] = file.empty() ? Json(nullptr) : Json(file);
    }
    mesh["textureFiles"] = std::move(files);
    if (positions) mesh["corners"] = describeCorners(model, m);
    return mesh;
}

void poseBind(Model& model) {
    model.setBindPose();
    for (int m = 0; m < model.numMeshes(); ++m) model.skinMesh(m);
}

// The animation the model plays (version 6 wins, as in playback), posed at `time`, then skinned.
void poseAnimated(Model& model, double time) {
    model.animate(time);
    for (int m = 0; m < model.numMeshes(); ++m) model.skinMesh(m);
}

Json describeAnimationV10(const AnimationV10& anim) {
    const auto bound = std::count_if(anim.joints.begin(), anim.joints.end(),
                                     [](const AnimJointV10& j) { return j.meshJoint >= 0; });
    return Json{{"version", 10},         {"frames", anim.numFrames}, {"frameRate", anim.frameRate},
                {"joints", anim.numJoints}, {"channels", 0},          {"boundJoints", bound}};
}

// Version 6 has no frame count of its own: frames is the longest key list, the frame rate that of
// the first channel, joints the distinct channel joint names.
Json describeAnimationV6(const AnimationV6& anim) {
    std::vector<std::string> names;
    std::vector<int> bound;
    int frames = 0;
    for (const AnimChannelV6& c : anim.channels) {
        frames = std::max(frames, static_cast<int>(c.keys.size()));
        if (std::find(names.begin(), names.end(), c.jointName) == names.end()) names.push_back(c.jointName);
        if (c.joint >= 0 && std::find(bound.begin(), bound.end(), c.joint) == bound.end()) bound.push_back(c.joint);
    }
    const float frameRate = anim.channels.empty() ? 0.0f : anim.channels.front().frameRate;
    return Json{{"version", 6},          {"frames", frames},     {"frameRate", frameRate},
                {"joints", names.size()}, {"channels", anim.numChannels}, {"boundJoints", bound.size()}};
}

bool animationFailed(const Model& model, const std::string& anim) {
    for (const LoadProblem& problem : model.problems)
        if (problem.file == anim && (problem.kind == ProblemKind::CannotOpen || problem.kind == ProblemKind::NotAnimation))
            return true;
    return false;
}

bool anyMeshLoaded(const Model& model) {
    for (int m = 0; m < model.numMeshes(); ++m)
        if (model.meshLoaded[static_cast<size_t>(m)]) return true;
    return false;
}

} // namespace

Json describeModel(Model& model, bool positions) { return describeModel(model, positions, InfoPose{}); }

Json describeModel(Model& model, bool positions, const InfoPose& pose) {
    const bool animated = pose.animated && (model.animV6 || model.animV10);
    if (positions && animated)
        poseAnimated(model, pose.time);
    else if (positions)
        poseBind(model);
    Json out;
    out["file"] = model.fileName;
    out["joints"] = model.numJoints();
    if (animated) out["animation"] = model.animV6 ? describeAnimationV6(*model.animV6) : describeAnimationV10(*model.animV10);
    Json meshes = Json::array();
    for (int m = 0; m < model.numMeshes(); ++m) meshes.push_back(describeMesh(model, static_cast<size_t>(m), positions));
    out["meshes"] = std::move(meshes);
    out["problems"] = describeProblems(model.problems);
    return out;
}

Json describeProblems(const LoadProblems& problems) {
    Json list = Json::array();
    for (const LoadProblem& p : problems) {
        list.push_back(Json{{"kind", problemKindName(p.kind)},
                            {"file", p.file},
                            {"mesh", p.mesh ? Json(*p.mesh) : Json(nullptr)},
                            {"record", p.record ? Json(*p.record) : Json(nullptr)},
                            {"value", p.value ? Json(*p.value) : Json(nullptr)},
                            {"message", p.message}});
    }
    return list;
}

namespace {

// One model: its problems on standard error, its description as one line of standard output.
// Returns the exit status of this model alone.
int describeOneModel(const InfoOptions& options, const char* file) {
    Model model;
    model.readmeshfromfile(file, options.anim);
    printProblems(model.problems);
    if (!anyMeshLoaded(model)) {
        if (model.problems.empty()) fprintf(stderr, "ostrelle --info: %s: no mesh in the file\n", file);
        return kExitFailure;
    }
    // The animation's problem is on standard error already.
    if (options.anim && animationFailed(model, options.anim)) return kExitFailure;
    // File and material names come from the data and need not be UTF-8.
    const std::string text = describeModel(model, options.positions, options.pose)
                                 .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    fwrite(text.data(), 1, text.size(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
    return options.strict && !model.problems.empty() ? kExitProblems : kExitSuccess;
}

} // namespace

int runInfoCommand(int argc, char** argv) {
    InfoOptions options;
    InfoError error;
    if (!parseOptions(argc, argv, options, error)) {
        fprintf(stderr, "ostrelle --info: %s\n", error.message.c_str());
        return error.status;
    }
    openDebugLog();
    if (options.hasBasepath) setBasepath(asFolder(options.basepath));
    // A file that could not be read outranks problems found in the others.
    bool failed = false, problems = false;
    for (const char* file : options.models) {
        const int status = describeOneModel(options, file);
        failed = failed || status == kExitFailure;
        problems = problems || status == kExitProblems;
    }
    return failed ? kExitFailure : problems ? kExitProblems : kExitSuccess;
}
