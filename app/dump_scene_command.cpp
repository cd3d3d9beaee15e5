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
#include "scene/scene.h"

namespace {

// Keys in the order of the scene record.
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
            {"boneName", nameOrNull(light.boneName)},
            {"boneModel", light.boneModel},
            {"posoffset", floats(light.posoffset, 3)}};
}

json sceneJson(const Scene& scene) {
    json lights = json::array();
    for (const Light& light : scene.lights) lights.push_back(lightJson(light));
    return {{"basepath", scene.basepath},
            {"displaylights", scene.displaylights},
            {"backgroundColor", floats(scene.backgroundColor, 4)},
            {"globalAmbient", floats(scene.globalAmbient, 4)},
            {"camanim", nameOrNull(scene.camanim)},
            {"camjointname", nameOrNull(scene.camjointname)},
            {"campos", floats(scene.campos.data(), 3)},
            {"nummodels", scene.nummodels},
            {"slots", slotsJson(scene)},
            {"numlights", scene.numlights},
            {"lights", lights}};
}

} // namespace

// Message boxes go through the console dialogs, which write "CAPTION: TEXT" to stderr.
int runDumpSceneCommand(int argc, char** argv) {
    std::string fileName = "scene.txt";
    for (int i = 1; i + 1 < argc; ++i)
        if (strcmp(argv[i], "--dump-scene") == 0 && strncmp(argv[i + 1], "--", 2) != 0) fileName = argv[i + 1];

    std::string text;
    if (!readWholeFile(fileName, text)) {
        fprintf(stderr, "scene data file not found: %s\n", fileName.c_str());
        return 1;
    }
    Scene scene;
    readSceneText(scene, text);
    // Names are bytes from the file; invalid UTF-8 is replaced rather than refused.
    std::cout << sceneJson(scene).dump(2, ' ', false, json::error_handler_t::replace) << '\n';
    return 0;
}
