// scene/scene_writer.h -- the scene written back as a scene file that the reader takes back whole; no GL.
#pragma once

#include <string>

struct Scene;

// The scene as scene-file text: base path, marker switch, colours, the animated camera, every
// light (position, colours, radii, cube-map flag, joint binding), every slot (names,
// position, angle) and the textures set on meshes by hand. The free camera, the render switches and the clock have no keys and are
// not written. False, with `refusal` naming the slot, light or key, when a name or the base
// path cannot be read back as it stands (a blank, tab, quote or line end inside a name, a line
// longer than the reader's buffer) or there are more lights or slots than the reader makes;
// `text` is then left alone.
bool writeSceneText(const Scene& scene, std::string& text, std::string& refusal);

// Writes the scene to `fileName` (resolved as the reader resolves it). An existing file is
// first copied to `fileName` + ".bak"; the new text goes to a temporary file that then replaces
// it, so a failed write leaves the old file in place. False, with `message` saying why, when
// nothing was saved.
bool saveSceneFile(const Scene& scene, const std::string& fileName, std::string& message);
