#include "assets/Texture.h"
#include "render/Shader.h"
#include "scene/BonusItem.h"

namespace kesto::scene {

void BonusItemSet::drawBonusItems(bool transparency, bool bilinear, int mipmapMode) {
    for (BonusItemRecord& record : bonusItemRecords) {
        BonusItemObject& item = *record.item;
        if (transparency) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        }
        if (item.hit) {
            // Back faces pushed outwards make the outline around the toon-shaded item.
            glCullFace(GL_FRONT);
            glUseProgram(contourShader->programHandle);
            setUniform(*contourShader, "modelMatrix", item.modelMatrix);
            item.draw();
            glCullFace(GL_BACK);

            glUseProgram(toonShader->programHandle);
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, record.skin ? record.skin->textureName : 0);
            applyTextureSampling(bilinear, mipmapMode);
            setUniform(*toonShader, "colorTexture", 0);
            setUniform(*toonShader, "modelMatrix", item.modelMatrix);
            item.draw();
        } else {
            glCullFace(GL_BACK);
            glUseProgram(labyrinthShader->programHandle);
            setUniform(*labyrinthShader, "modelMatrix", item.modelMatrix);
            item.draw();

            glUseProgram(transparencyShader->programHandle);
            setUniform(*transparencyShader, "color", record.colour);
            setUniform(*transparencyShader, "modelMatrix", record.cone->modelMatrix);
            record.cone->draw();
        }
        glDisable(GL_BLEND);
    }
}

}  // namespace kesto::scene
