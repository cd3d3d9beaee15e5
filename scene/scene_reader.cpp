// scene/scene_reader.cpp -- the scene file: line by line, one keyword per line, tested in a fixed order; no GL.
#include <new>
#include <algorithm>
#include <optional>
#include <utility>

#include "base/debug_log.h"
#include "base/dialogs.h"
#include "base/file_open.h"
#include "base/basepath.h"
#include "base/text_scan.h"
#include "scene/scene.h"

namespace {

constexpr std::string_view kPlaceholderBasepath = "C:\\put_your_game_directory_here\\base";

// The current light and slot; they carry over from line to line.
struct ReaderState {
    int light = 0;
    int model = 0;
    std::string_view line; // the line being read
    std::string refused;   // why the key that took the line changed nothing; "" when it did
};

using textscan::kBlanks;
using textscan::kNameEnds;

// The values of a line: its pieces after the first one, which is taken as the key.
using Tokens = textscan::Pieces;

// Integers as "%i" reads them; floats in their decimal form only, so that no infinity or NaN
// reaches a light or a position. A value that does not convert leaves its field.
bool convertInt(std::string_view token, int& field) { return textscan::Cursor(token).readInt(field); }
void convertFloat(std::string_view token, float& field) {
    textscan::Cursor(token).readFloat(field, textscan::FloatSyntax::Decimal);
}

// --- value readers: each returns false when the first value is missing ---

bool readInt(Tokens& tokens, int& field) {
    const std::string_view token = tokens.next(kBlanks);
    if (token.empty()) return false;
    convertInt(token, field);
    return true;
}

bool readFloat(Tokens& tokens, float& field) {
    const std::string_view token = tokens.next(kBlanks);
    if (token.empty()) return false;
    convertFloat(token, field);
    return true;
}

// Up to `count` floats in order; values missing or not converting leave their components.
bool readFloats(Tokens& tokens, float* fields, int count) {
    if (!readFloat(tokens, fields[0])) return false;
    for (int i = 1; i < count; ++i)
        if (!readFloat(tokens, fields[i])) break;
    return true;
}

bool readName(Tokens& tokens, std::optional<std::string>& field) {
    const std::string_view token = tokens.next(kNameEnds);
    if (token.empty()) return false;
    field = std::string(token);
    return true;
}

// --- the current light and slot; callers check them first ---

bool lightSelected(const Scene& scene, const ReaderState& state) {
    return state.light >= 0 && state.light < scene.numlights && state.light < static_cast<int>(scene.lights.size());
}

bool slotSelected(const Scene& scene, const ReaderState& state) {
    return state.model >= 0 && state.model < scene.nummodels && state.model < static_cast<int>(scene.modelname.size());
}

Light& currentLight(Scene& scene, const ReaderState& state) { return scene.lights[static_cast<size_t>(state.light)]; }

size_t currentSlot(const ReaderState& state) { return static_cast<size_t>(state.model); }

// --- counts ---

void setLightCount(Scene& scene, int count) {
    if (count < 0) count = 0; // a negative count makes no lights
    std::vector<Light> fresh;
    try {
        if (count > kMaxSceneRecords) throw std::bad_alloc();
        fresh.resize(static_cast<size_t>(count)); // every record at its defaults
    } catch (const std::bad_alloc&) {
        scene.lights.clear();
        scene.numlights = 0;
        logText("couldn\xB4t allocate memory for lighs\n");
        return;
    }
    scene.lights = std::move(fresh);
    scene.numlights = count;
}

void clearSlots(Scene& scene) {
    scene.meshTextures.clear();
    scene.models.clear();
    scene.modelname.clear();
    scene.modelanim.clear();
    scene.modelpos.clear();
    scene.modelangle.clear();
}

// The slot arrays are made anew, without models; start-up creates those. When they
// cannot be had `nummodels` keeps the count and the end of reading reports it.
void setSlotCount(Scene& scene, int count) {
    if (count < 0) count = 0; // a negative count makes no slots
    clearSlots(scene);
    scene.nummodels = count;
    try {
        if (count > kMaxSceneRecords) throw std::bad_alloc();
        const size_t n = static_cast<size_t>(count);
        scene.models.resize(n);
        scene.modelname.resize(n);
        scene.modelanim.resize(n);
        scene.modelpos.resize(n, Vec3{0, 0, 0});
        scene.modelangle.resize(n, 0.0f);
    } catch (const std::bad_alloc&) {
        clearSlots(scene);
    }
}

// --- one function per key ---

using Action = void (*)(Scene&, ReaderState&, Tokens&);

void actDisplaylights(Scene& scene, ReaderState&, Tokens& tokens) { readInt(tokens, scene.displaylights); }

void actBasepath(Scene& scene, ReaderState&, Tokens& tokens) {
    const std::string_view value = tokens.next(textscan::kQuotedNameEnds);
    if (value.empty()) return;
    scene.basepath = std::string(value);
    if (scene.basepath == kPlaceholderBasepath)
        dialogs().messageBox("Ostrelle Startup", "Don't forget to edit the basepath in scene.txt.", DialogKind::Ok);
    const char last = scene.basepath.back();
    if (last != '\\' && last != '/') scene.basepath += '\\';
}

void actCamanim(Scene& scene, ReaderState&, Tokens& tokens) { readName(tokens, scene.camanim); }

void actCamjointname(Scene& scene, ReaderState&, Tokens& tokens) { readName(tokens, scene.camjointname); }

void actCampos(Scene& scene, ReaderState&, Tokens& tokens) { readFloats(tokens, scene.campos.data(), 3); }

void actBackgroundcolor(Scene& scene, ReaderState&, Tokens& tokens) {
    if (readFloats(tokens, scene.backgroundColor, 3)) scene.backgroundColor[3] = 0.0f;
}

void actNumlights(Scene& scene, ReaderState&, Tokens& tokens) {
    const std::string_view token = tokens.next(kBlanks);
    if (token.empty()) return;
    int count = 0;
    if (convertInt(token, count)) setLightCount(scene, count);
}

void actLightcolorA(Scene& scene, ReaderState&, Tokens& tokens) {
    if (readFloats(tokens, scene.globalAmbient, 3)) scene.globalAmbient[3] = 1.0f;
}

void actNearradius(Scene& scene, ReaderState& state, Tokens& tokens) {
    readFloat(tokens, currentLight(scene, state).light_nearradius);
}

void actFarradius(Scene& scene, ReaderState& state, Tokens& tokens) {
    readFloat(tokens, currentLight(scene, state).light_farradius);
}

void actCubemap(Scene& scene, ReaderState& state, Tokens& tokens) { readInt(tokens, currentLight(scene, state).cubemap); }

void actBindToBone(Scene& scene, ReaderState& state, Tokens& tokens) {
    Light& light = currentLight(scene, state);
    if (readName(tokens, light.boneName)) readInt(tokens, light.boneModel);
}

void actLight(Scene&, ReaderState& state, Tokens& tokens) { readInt(tokens, state.light); }

void actPosoffset(Scene& scene, ReaderState& state, Tokens& tokens) {
    readFloats(tokens, currentLight(scene, state).posoffset, 3);
}

void actLightpos(Scene& scene, ReaderState& state, Tokens& tokens) {
    Light& light = currentLight(scene, state);
    if (readFloats(tokens, light.lightpos, 3)) light.lightpos[3] = 1.0f;
}

void actLightcolorD(Scene& scene, ReaderState& state, Tokens& tokens) {
    Light& light = currentLight(scene, state);
    if (readFloats(tokens, light.lightcolor_d, 3)) light.lightcolor_d[3] = 1.0f;
}

void actLightcolorS(Scene& scene, ReaderState& state, Tokens& tokens) {
    Light& light = currentLight(scene, state);
    if (readFloats(tokens, light.lightcolor_s, 3)) light.lightcolor_s[3] = 1.0f;
}

void actNummodels(Scene& scene, ReaderState&, Tokens& tokens) {
    const std::string_view token = tokens.next(kBlanks);
    if (token.empty()) return;
    int count = 0;
    if (convertInt(token, count)) setSlotCount(scene, count);
}

void actModel(Scene&, ReaderState& state, Tokens& tokens) { readInt(tokens, state.model); }

void actModelname(Scene& scene, ReaderState& state, Tokens& tokens) {
    readName(tokens, scene.modelname[currentSlot(state)]);
}

void actModelanim(Scene& scene, ReaderState& state, Tokens& tokens) {
    readName(tokens, scene.modelanim[currentSlot(state)]);
}

void actModelangle(Scene& scene, ReaderState& state, Tokens& tokens) {
    readFloat(tokens, scene.modelangle[currentSlot(state)]);
}

void actModelpos(Scene& scene, ReaderState& state, Tokens& tokens) {
    readFloats(tokens, scene.modelpos[currentSlot(state)].data(), 3);
}

// The last field of a meshtexture line: a file name in double quotes, which may hold blanks, or
// one without quotes, which ends at the first blank.
std::string_view fileField(std::string_view line, size_t from) {
    std::string_view rest = line.substr(std::min(from, line.size()));
    const size_t start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    rest.remove_prefix(start);
    if (rest.front() == '"') {
        rest.remove_prefix(1);
        return rest.substr(0, rest.find_first_of("\"\r\n"));
    }
    return rest.substr(0, rest.find_first_of(" \t\r\n"));
}

// meshtexture SLOT MESH KIND FILE: every field must be there and make sense, or nothing is kept.
void actMeshtexture(Scene& scene, ReaderState& state, Tokens& tokens) {
    MeshTexture texture;
    const std::string_view slot = tokens.next(kBlanks), mesh = tokens.next(kBlanks), kind = tokens.next(kBlanks);
    const std::optional<TextureGroup> group = textureKindNamed(kind);
    const std::string_view file = fileField(state.line, tokens.position());
    if (!convertInt(slot, texture.slot) || !convertInt(mesh, texture.mesh) || !group || file.empty()) {
        state.refused = "meshtexture needs SLOT MESH KIND FILE, KIND one of diffuse, specular, normal, height";
        return;
    }
    if (texture.slot < 0 || texture.slot >= scene.nummodels || texture.mesh < 0) {
        state.refused = "meshtexture for slot " + std::string(slot) + ", mesh " + std::string(mesh) +
                        ", which the scene cannot have (see nummodels)";
        return;
    }
    texture.kind = *group;
    texture.file = std::string(file);
    rememberMeshTexture(scene, std::move(texture));
}

enum class Needs { Nothing, CurrentLight, CurrentSlot };

struct Key {
    std::string_view text; // the keyword followed by one blank, as searched for
    Needs needs;
    Action act;
};

// The order of testing. A line is taken by the first key found in it whose condition
// holds; a key found whose condition fails leaves the line to the keys after it.
// meshtexture comes first: its file name may hold blanks and so the text of any other key.
const Key kKeys[] = {
    {"meshtexture ", Needs::Nothing, actMeshtexture},
    {"displaylights ", Needs::Nothing, actDisplaylights},
    {"basepath ", Needs::Nothing, actBasepath},
    {"camanim ", Needs::Nothing, actCamanim},
    {"camjointname ", Needs::Nothing, actCamjointname},
    {"campos ", Needs::Nothing, actCampos},
    {"backgroundcolor ", Needs::Nothing, actBackgroundcolor},
    {"numlights ", Needs::Nothing, actNumlights},
    {"lightcolor_a ", Needs::Nothing, actLightcolorA},
    {"light_nearradius ", Needs::CurrentLight, actNearradius},
    {"light_farradius ", Needs::CurrentLight, actFarradius},
    {"cubemap ", Needs::CurrentLight, actCubemap},
    {"bind_to_bone ", Needs::CurrentLight, actBindToBone},
    {"light ", Needs::Nothing, actLight},
    {"posoffset ", Needs::CurrentLight, actPosoffset},
    {"lightpos ", Needs::CurrentLight, actLightpos},
    {"lightcolor_d ", Needs::CurrentLight, actLightcolorD},
    {"lightcolor_s ", Needs::CurrentLight, actLightcolorS},
    {"nummodels ", Needs::Nothing, actNummodels},
    {"model ", Needs::Nothing, actModel},
    {"modelname ", Needs::CurrentSlot, actModelname},
    {"modelanim ", Needs::CurrentSlot, actModelanim},
    {"modelangle ", Needs::CurrentSlot, actModelangle},
    {"modelpos ", Needs::CurrentSlot, actModelpos},
};

bool conditionHolds(Needs needs, const Scene& scene, const ReaderState& state) {
    switch (needs) {
    case Needs::CurrentLight: return lightSelected(scene, state);
    case Needs::CurrentSlot: return slotSelected(scene, state);
    case Needs::Nothing: break;
    }
    return true;
}

// Why a line that no key took changed nothing; empty when the line holds nothing to take.
std::string unreadReason(const Key* unmet, std::string_view line) {
    if (unmet) {
        const std::string_view key = unmet->text.substr(0, unmet->text.size() - 1);
        return std::string(key) + (unmet->needs == Needs::CurrentLight ? " with no light selected (see numlights and light)"
                                                                       : " with no model selected (see nummodels and model)");
    }
    if (textscan::Pieces(line).next(kBlanks).empty()) return {};
    return "no key understood";
}

// The line as the message shows it: at most 60 bytes, control bytes as '?'.
std::string shownLine(std::string_view line) {
    std::string shown(line.substr(0, 60));
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    return shown;
}

// Applies the line; returns why it changed nothing, or "" when a key took it or nothing was to take.
std::string readLine(Scene& scene, ReaderState& state, std::string_view line) {
    if (textscan::startsWith(line, "//")) return {};
    const Key* unmet = nullptr;
    for (const Key& key : kKeys) {
        if (line.find(key.text) == std::string_view::npos) continue;
        if (!conditionHolds(key.needs, scene, state)) {
            if (!unmet) unmet = &key;
            continue;
        }
        Tokens tokens(line);
        tokens.next(kBlanks); // the key token
        state.line = line;
        key.act(scene, state, tokens);
        return std::exchange(state.refused, std::string());
    }
    return unreadReason(unmet, line);
}

} // namespace

void readSceneText(Scene& scene, std::string_view text, LoadProblems* problems) {
    ReaderState state;
    textscan::LineReader lines(text);
    std::string_view line;
    long long lineNumber = 1;
    const char* counted = text.data();
    while (lines.next(line)) {
        for (; counted < line.data(); ++counted) lineNumber += *counted == '\n';
        const std::string reason = readLine(scene, state, line);
        if (reason.empty() || !problems) continue;
        LoadProblem problem;
        problem.kind = ProblemKind::LineNotRead;
        problem.record = lineNumber;
        problem.message = "line " + std::to_string(lineNumber) + ": " + reason + ", ignored: " + shownLine(line);
        addProblem(*problems, std::move(problem));
    }
    if (scene.nummodels > 0 && static_cast<int>(scene.modelname.size()) != scene.nummodels) {
        logText("scene data initialization failed\n");
        clearSlots(scene);
        scene.nummodels = 0;
    }
}

void readSceneFile(Scene& scene, const std::string& fileName, LoadProblems* problems) {
    std::string text;
    if (!readWholeFile(fileName, text)) {
        if (problems) addProblem(*problems, cannotOpenProblem(fileName));
        logText("scene data file not found: ");
        logText(fileName);
        logText("\n");
        setBasepath(scene.basepath);
        return;
    }
    readSceneText(scene, text, problems);
    if (problems) nameProblemFile(*problems, fileName);
    setBasepath(scene.basepath);
}
