// tools/demo/scene_files.cpp -- the light filter faces in data/ and scene.txt, which names
// every part of the demo and sets each key the scene reader knows at least once.
#include "tools/demo/creature_rig.h"
#include "tools/demo/demo_files.h"
#include "tools/demo/text_out.h"
#include "tools/demo/textures.h"

namespace demo {

namespace {

std::string triple(Vec3 v) { return num(v.x) + " " + num(v.y) + " " + num(v.z); }

} // namespace

bool writeLightFilters(const std::string& dir) {
    static const char* const kFaceNames[6] = {"east", "west", "down", "up", "north", "south"};
    std::vector<Image> sharp = projectorFaces();
    std::vector<Image> soft = blurredFaces(sharp);
    bool ok = true;
    for (int i = 0; i < 6; ++i) {
        ok = writeTga(dir + "/data/normal_" + kFaceNames[i] + ".tga", sharp[static_cast<size_t>(i)],
                      TgaStorage::RunLength) &&
             ok;
        ok = writeTga(dir + "/data/blurred_" + kFaceNames[i] + ".tga", soft[static_cast<size_t>(i)],
                      TgaStorage::Plain) &&
             ok;
    }
    return ok;
}

// Light and model keys act only after their counts; a key's text followed by a blank is
// found anywhere in a line, so names here avoid "light " and the other keys.
bool writeScene(const std::string& dir) {
    std::string s;
    s += "// Ostrelle demo: a lizard walking round a broken column under a rose-window lamp.\n";
    s += "// Written by gen_demo; start the viewer with this folder as its working directory.\n";
    s += "basepath \"./\"\n";
    s += "displaylights 1\n";
    s += "backgroundcolor 0.04 0.05 0.09\n";
    s += "lightcolor_a 0.2 0.2 0.23\n";
    s += std::string("camanim ") + path::kCamera + "\n";
    s += std::string("camjointname ") + kCameraJoint + "\n";
    s += "campos " + triple(kCameraOffset) + "\n\n";

    s += "numlights 3\n";
    s += "// the lamp: high above, casting the window pattern\n";
    s += "light 0\nlightpos 0 10 150\nlightcolor_d 0.95 0.88 0.75\nlightcolor_s 0.9 0.9 0.85\n";
    s += "cubemap 1\nlight_nearradius 120\nlight_farradius 300\n";
    s += "// the lure on the creature's head\n";
    s += "light 1\nlightpos 0 0 20\nlightcolor_d 0.3 0.75 0.65\nlightcolor_s 0.4 1 0.9\n";
    s += "bind_to_bone lure 0\nposoffset " + triple(lureLightOffset()) + "\n";
    s += "// a violet rim from behind the column\n";
    s += "light 2\nlightpos -150 140 80\nlightcolor_d 0.5 0.3 0.7\nlightcolor_s 0.8 0.5 1\n\n";

    s += "nummodels 3\n";
    s += std::string("model 0\nmodelname ") + path::kCreatureMesh + "\nmodelanim " + path::kCreatureAnim + "\n";
    s += "modelpos 0 0 0\nmodelangle 0\n";
    s += std::string("model 1\nmodelname ") + path::kFloor + "\nmodelpos 0 0 0\n";
    s += std::string("model 2\nmodelname ") + path::kColumn + "\nmodelpos " + triple(kColumnPos) + "\n";
    s += "modelangle " + num(kColumnAngle) + "\n";
    return writeTextFile(dir + "/scene.txt", s);
}

} // namespace demo
