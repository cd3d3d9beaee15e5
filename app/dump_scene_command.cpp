// app/dump_scene_command.cpp -- ostrelle --dump-scene: read a scene file and print it as JSON.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "app/commands.h"
#include "base/file_open.h"
#include "base/load_problem.h"
#include "scene/scene.h"

namespace {

// Keys are those of the scene file, in the order of the scene record; "slots" and "lights"
// hold what the model and light keys set.
using json = nlohmann::ordered_json;

// The shortest decimal that reads back as the same float, so 0.1f prints as 0.1.
double shortestDecimal(float value) {
    char text[32];
    for (int digits = 6; digits <= 9; ++digits) {
        snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (strtof(text, nullptr) == value) break;
    }
    return strtod(text, nullptr);
}

json floats(const float* values, int count) {
    json array = json::array();
    for (int i = 0; i < count; ++i) array.push_back(shortestDecimal(values[i]));
    return array;
}

json nameOrNull(const std::optional<std::string>& name) { return name ? json(*name) : json(nullptr); }

json slotsJson(const Scene& scene) {
    json slots = json::array();
    for (size_t s = 0; s < scene.modelname.size(); ++s) {
        slots.push_back({{"modelname", nameOrNull(scene.modelname[s])},
                         {"modelanim", nameOrNull(scene.modelanim[s])},
                         {"modelpos", floats(scene.modelpos[s].data(), 3)},
                         {"modelangle", shortestDecimal(scene.modelangle[s])}});
    }
    return slots;
}

json lightJson(const Light& light) {
    return {{"lightpos", floats(light.lightpos, 4)},
            {"lightcolor_d", floats(light.lightcolor_d, 4)},
            {"lightcolor_s", floats(light.lightcolor_s, 4)},
            {"cubemap", light.cubemap},
            {"light_nearradius", shortestDecimal(light.light_nearradius)},
            {"light_farradius", shortestDecimal(light.light_farradius)},
            {"bind_to_bone", light.boneName ? json::array({*light.boneName, light.boneModel}) : json(nullptr)},
            {"posoffset", floats(light.posoffset, 3)}};
}

json meshTexturesJson(const Scene& scene) {
    json textures = json::array();
    for (const MeshTexture& t : scene.meshTextures)
        textures.push_back({{"slot", t.slot}, {"mesh", t.mesh}, {"kind", textureKindName(t.kind)}, {"file", t.file}});
    return textures;
}

json sceneJson(const Scene& scene) {
    json lights = json::array();
    for (const Light& light : scene.lights) lights.push_back(lightJson(light));
    return {{"basepath", scene.basepath},
            {"displaylights", scene.displaylights},
            {"backgroundcolor", floats(scene.backgroundColor, 4)},
            {"lightcolor_a", floats(scene.globalAmbient, 4)},
            {"camanim", nameOrNull(scene.camanim)},
            {"camjointname", nameOrNull(scene.camjointname)},
            {"campos", floats(scene.campos.data(), 3)},
            {"nummodels", scene.nummodels},
            {"slots", slotsJson(scene)},
            {"numlights", scene.numlights},
            {"lights", lights},
            {"meshtextures", meshTexturesJson(scene)}};
}

// The scene file named after --dump-scene, else scene.txt. False with the reason when the
// arguments are not understood.
bool parseArguments(int argc, char** argv, std::string& fileName, std::string& error) {
    bool named = false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--dump-scene") == 0) continue;
        if (strncmp(argv[i], "--", 2) == 0) {
            error = std::string("unknown option ") + argv[i];
            return false;
        }
        if (named) {
            error = std::string("one scene file at a time: ") + argv[i];
            return false;
        }
        fileName = argv[i];
        named = true;
    }
    return true;
}

} // namespace

// Message boxes go through the console dialogs, which write "CAPTION: TEXT" to stderr.
int runDumpSceneCommand(int argc, char** argv) {
    std::string fileName = "scene.txt", error;
    if (!parseArguments(argc, argv, fileName, error)) {
        fprintf(stderr, "ostrelle --dump-scene: %s\n", error.c_str());
        return kExitUsage;
    }
    std::string text;
    if (!readWholeFile(fileName, text)) {
        fputs(problemLine(cannotOpenProblem(fileName)).c_str(), stderr);
        return kExitFailure;
    }
    Scene scene;
    LoadProblems problems;
    readSceneText(scene, text, &problems);
    nameProblemFile(problems, fileName);
    printProblems(problems);
    // Names are bytes from the file; invalid UTF-8 is replaced rather than refused.
    std::cout << sceneJson(scene).dump(2, ' ', false, json::error_handler_t::replace) << '\n';
    return kExitSuccess;
}
