#pragma once
// The demo's meshes, built in code (the tests check them before they are written).

#include <string>

#include "mesh_builder.h"

namespace nimra::bake {

cMeshBuilder buildBox();
cMeshBuilder buildTunnel();
cMeshBuilder buildSculpture();
cMeshBuilder buildPlane();
cMeshBuilder buildSpeakers();
cMeshBuilder buildCreature();
cMeshBuilder buildSphere();

// Throws cBakeError naming the path on failure.
void writeMesh(const std::string& path, const cMeshBuilder& mesh);

}  // namespace nimra::bake
