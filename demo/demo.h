#pragma once
// The demo's scenes and layers as start-up sees them: one ordered list of initialisers.

#include <string>
#include <string_view>
#include <vector>

namespace nimra {

using SceneInitialiser = void (*)();

// Every scene initialiser, in the order start-up calls them. Later initialisers use
// objects made by earlier ones (above all the opening scene's screen quad), so the order
// is fixed: opening, tunnel, sculpture, loudspeakers, creatures, spheres, metaballs, break,
// finale, word cards, slide cards, and last the blur chain.
const std::vector<SceneInitialiser>& sceneInitialisers();

// Announces that every scene is built, and keeps the text of the shaders whose numbers
// the scenes copy (see copiedNumbersAgree), as start-up loaded them.
void initFinale();

// Whether the numbers the C++ side copies from a shader file (the metaball sprites' reach
// in "metaball2.vert", the sculpture's lift in "prog.frag", the backdrop's nightfall in
// "overlay.vert" and "overlay.frag", the composite's ripple in "lolvarlay.frag", the blur's
// reach in its programs' files) still agree with it: true until the file is loaded anew
// (edited while the show runs) with text other than start-up's, and again once its text is
// start-up's. What is drawn only inside boxes worked out from those numbers, or through a
// cheaper program standing in for that file's, is drawn over the whole screen through the
// file's own program while they may not agree.
// Asked several times a frame; the name is compared where it stands, never copied.
bool copiedNumbersAgree(std::string_view file);

// The pictures the show keeps at the window's size (the metaball capture and the
// sculpture's copy of the screen) made again at the size it has now. Start-up makes them at
// the window's size then; a picture that keeps its aspect follows the window's later sizes.
void resizeShowPictures();

// What the show works out from a file at start-up, worked out again after the file was
// loaded anew (edited while the show runs): a slide card's ink, whether the top overlay's
// middle is still clear, what the sphere scene's programs read.
void showFileReloaded(const std::string& file);

// Every rule's state back to where start-up left it, so that the show plays again from 0
// exactly as it did the first time: rand() is started over (the program never seeds it, so
// it began from seed 1) and every particle is made again in start-up's order. Pictures,
// programs and meshes are kept. The clocks are the caller's.
void restartShow();

}  // namespace nimra
