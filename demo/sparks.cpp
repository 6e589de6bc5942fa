#include "demo/sparks.h"

#include "demo/scene_rules.h"
#include "render/gl.h"
#include "render/mesh.h"
#include "render/quad_batch.h"
#include "render/screen_quad.h"
#include "runtime/state.h"

namespace nimra {

static struct {
    cShaderProgram* program = nullptr;  // the sphere scene's
    cTexture* texture = nullptr;        // the smoke puff, on unit 0
    cSparkField field;
    cQuadBatch sprites;
} state;

void buildSparkField(cSparkField& field) {
    for (int i = 0; i < sparkCount; ++i)
        field.sparks.push_back(makeDrifter(sparkBirthplace));
}

void advanceSparkPhase(cSparkField& field, int dt, float bin20) {
    field.phase = advancePhase(field.phase, dt, 0.001, bin20, 0.1);
}

void advanceSpark(cSparkField& field, int i, int dt) {
    cDrifter& spark = field.sparks[i];
    advanceDrifter(spark, dt, sparkRebirthplace);
    spark.size = drifterSize(field.phase, i);
}

void createSparks(cShaderProgram& program, cTexture& texture) {
    state.program = &program;
    state.texture = &texture;
    buildSparkField(state.field);
    state.sprites.build(sparkCount, {{"sprite", 4}});
}

void visitSparksState(cStateVisitor& visit) {
    visit(state.field.phase);
    visitDrifters(visit, state.field.sparks);
}

void restartSparks() {
    if (!state.program) return;  // never created
    state.field = cSparkField();
    buildSparkField(state.field);
}

void advanceSparks() {
    if (!state.program) return;  // nothing created yet
    const int dt = frameTime;
    advanceSparkPhase(state.field, dt, spectrumBin(20));
    for (int i = 0; i < static_cast<int>(state.field.sparks.size()); ++i)
        advanceSpark(state.field, i, dt);
}

void drawSparks() {
    if (!state.program) return;  // nothing created yet
    glDisable(GL_DEPTH_TEST);
    state.texture->bind(0);
    state.sprites.clear();
    for (const cDrifter& spark : state.field.sparks) {
        const float sprite[4] = {spark.position.x, spark.position.y, spark.size,
                                 drifterStrength(spark)};
        state.sprites.add(sprite);
    }
    state.sprites.draw(*state.program);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace nimra
