// scene/scene_writer.cpp -- the scene file written from the scene, in the order the reader needs; no GL.
#include "scene/scene_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "base/file_open.h"
#include "scene/scene.h"

namespace {

// The reader takes at most 4095 characters per read, line end included; a longer line would
// be read as two.
constexpr size_t kLongestLine = 4094;

// Why the reader would not give `name` back as it stands, or null when it would. Names are
// written quoted, so no key's text followed by a blank can appear in their line unless the
// name itself holds a blank.
const char* nameFault(std::string_view name, bool blanksAllowed = false) {
    for (char c : name) {
        if (c == ' ' && !blanksAllowed) return "a blank";
        if (c == '\t') return "a tab";
        if (c == '"') return "a double quote";
        if (c == '\r' || c == '\n') return "a line end";
        if (c == '\0') return "a NUL byte";
    }
    return nullptr;
}

// The base path runs to the next quote, tab or line end and may hold blanks; only the one key
// tested before it could take its line.
const char* basepathFault(std::string_view path) {
    for (char c : path) {
        if (c == '\t') return "a tab";
        if (c == '"') return "a double quote";
        if (c == '\r' || c == '\n') return "a line end";
        if (c == '\0') return "a NUL byte";
    }
    if (path.find("displaylights ") != std::string_view::npos) return "the word displaylights followed by a blank";
    if (path.find("meshtexture ") != std::string_view::npos) return "the word meshtexture followed by a blank";
    return nullptr;
}

// Builds the text line by line; the first name that cannot be written stops it.
class SceneText {
public:
    // "key v1 v2 ..." with the shortest decimals that read back as the same floats.
    void floats(const char* key, const float* values, int count) {
        std::string line = key;
        for (int i = 0; i < count; ++i) {
            char digits[32];
            const auto result = std::to_chars(digits, digits + sizeof digits, values[i]);
            line += ' ';
            line.append(digits, result.ptr);
        }
        add(line, key);
    }

    void integer(const char* key, int value) { add(std::string(key) + ' ' + std::to_string(value), key); }

    // `key "name"` and what follows it; nothing when there is no name (the reader keeps none).
    void name(const char* key, const std::optional<std::string>& value, const std::string& what,
              const std::string& after = "") {
        if (!value || value->empty() || failed()) return;
        if (const char* fault = nameFault(*value)) {
            refuse(what, fault);
            return;
        }
        add(std::string(key) + " \"" + *value + '"' + after, what);
    }

    // A texture file name is the line's last field: quoted, it may hold blanks.
    void meshTexture(const MeshTexture& t) {
        if (failed()) return;
        const std::string what = std::string(textureKindName(t.kind)) + " texture of mesh " + std::to_string(t.mesh) +
                                 " of slot " + std::to_string(t.slot);
        if (const char* fault = nameFault(t.file, true)) {
            refuse(what, fault);
            return;
        }
        add("meshtexture " + std::to_string(t.slot) + ' ' + std::to_string(t.mesh) + ' ' + textureKindName(t.kind) +
                " \"" + t.file + '"',
            what);
    }

    void basepath(const std::string& path) {
        if (path.empty() || failed()) return;
        if (const char* fault = basepathFault(path)) {
            refuse("basepath", fault);
            return;
        }
        add("basepath " + path, "basepath");
    }

    void comment(const char* text) { text_ += text; }
    bool failed() const { return !refusal_.empty(); }
    const std::string& text() const { return text_; }
    const std::string& refusal() const { return refusal_; }

private:
    void add(const std::string& line, const std::string& what) {
        if (failed()) return;
        if (line.size() > kLongestLine) {
            refusal_ = "The line of " + what + " is longer than the scene file's lines can be";
            return;
        }
        text_ += line;
        text_ += '\n';
    }

    void refuse(const std::string& what, const char* fault) {
        refusal_ = "The " + what + " holds " + fault + ", which the scene file cannot take back";
    }

    std::string text_;
    std::string refusal_;
};

void writeCamera(const Scene& scene, SceneText& out) {
    out.name("camanim", scene.camanim, "camanim");
    out.name("camjointname", scene.camjointname, "camjointname");
    out.floats("campos", scene.campos.data(), 3);
}

void writeLight(const Light& light, int index, SceneText& out) {
    out.integer("light", index);
    // The key sets w to 1: a light that was never placed keeps its all-zero default.
    const float* p = light.lightpos;
    if (p[0] != 0 || p[1] != 0 || p[2] != 0 || p[3] != 0) out.floats("lightpos", p, 3);
    out.floats("lightcolor_d", light.lightcolor_d, 3);
    out.floats("lightcolor_s", light.lightcolor_s, 3);
    out.floats("light_nearradius", &light.light_nearradius, 1);
    out.floats("light_farradius", &light.light_farradius, 1);
    out.integer("cubemap", light.cubemap);
    out.name("bind_to_bone", light.boneName, "joint name of light " + std::to_string(index),
             ' ' + std::to_string(light.boneModel));
    out.floats("posoffset", light.posoffset, 3);
}

void writeSlot(const Scene& scene, size_t s, SceneText& out) {
    const std::string slot = "slot " + std::to_string(s);
    out.integer("model", static_cast<int>(s));
    out.name("modelname", scene.modelname[s], "modelname of " + slot);
    out.name("modelanim", scene.modelanim[s], "modelanim of " + slot);
    out.floats("modelpos", scene.modelpos[s].data(), 3);
    out.floats("modelangle", &scene.modelangle[s], 1);
}

} // namespace

bool writeSceneText(const Scene& scene, std::string& text, std::string& refusal) {
    SceneText out;
    out.comment("// scene saved by the viewer\n");
    out.basepath(scene.basepath);
    out.integer("displaylights", scene.displaylights);
    out.floats("backgroundcolor", scene.backgroundColor, 3);
    out.floats("lightcolor_a", scene.globalAmbient, 3);
    writeCamera(scene, out);
    // Every light and slot key acts only once its count is set.
    const size_t lights = std::min(static_cast<size_t>(std::max(scene.numlights, 0)), scene.lights.size());
    const size_t slots = std::min(static_cast<size_t>(std::max(scene.nummodels, 0)), scene.modelname.size());
    const size_t most = static_cast<size_t>(kMaxSceneRecords);
    if (lights > most || slots > most) {
        refusal = "The scene has more than " + std::to_string(kMaxSceneRecords) +
                  " lights or models, more than the scene file gives back; nothing was saved.";
        return false;
    }
    out.integer("numlights", static_cast<int>(lights));
    for (size_t i = 0; i < lights; ++i) writeLight(scene.lights[i], static_cast<int>(i), out);
    out.integer("nummodels", static_cast<int>(slots));
    for (size_t s = 0; s < slots && s < scene.modelpos.size() && s < scene.modelangle.size(); ++s)
        writeSlot(scene, s, out);
    // After the slots: the reader keeps a hand-set texture only for a slot that exists.
    for (const MeshTexture& texture : scene.meshTextures)
        if (texture.slot >= 0 && static_cast<size_t>(texture.slot) < slots && !texture.file.empty())
            out.meshTexture(texture);
    if (out.failed()) {
        refusal = out.refusal() + "; nothing was saved.";
        return false;
    }
    text = out.text();
    return true;
}

namespace {

bool writeWhole(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && written;
}

} // namespace

bool saveSceneFile(const Scene& scene, const std::string& fileName, std::string& message) {
    namespace fs = std::filesystem;
    std::string text;
    if (!writeSceneText(scene, text, message)) return false;
    const std::string path = resolvePath(fileName);
    std::error_code error;
    if (fs::exists(path, error)) {
        fs::copy_file(path, path + ".bak", fs::copy_options::overwrite_existing, error);
        if (error) {
            message = "Could not copy " + path + " to " + path + ".bak (" + error.message() + "); nothing was saved.";
            return false;
        }
    }
    const std::string temporary = path + ".new";
    if (!writeWhole(temporary, text)) {
        fs::remove(temporary, error);
        message = "Could not write " + temporary + "; nothing was saved.";
        return false;
    }
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        message = "Could not replace " + path + "; nothing was saved.";
        return false;
    }
    return true;
}
