// Pictures in the browser, where DevIL does not exist: stb_image and DevIL's own scaling.

#include "render/gl.h"
#include "render/picture_file.h"

namespace nimra {

void preparePictureLoading() {
    static bool prepared = false;
    if (prepared) return;
    // What DevIL's GL renderer sets up on the native side: rows of any length.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    prepared = true;
}

bool decodePicture(const std::string& bytes, const std::string& kind, cPicture& picture,
                   std::string& reason) {
    return decodePictureWithStb(bytes, kind, picture, reason);
}

void scalePicture(cPicture& picture, int width, int height) {
    scalePictureNearest(picture, width, height);
}

}  // namespace nimra
