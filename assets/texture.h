// Textures under fixed names, loaded from BMP files at start-up.
#pragma once

// Used as they stand: never generated. BlankTexture never receives an image,
// so binding it draws untextured while GL_TEXTURE_2D stays enabled.
enum TextureName : unsigned {
    AsteroidTexture = 0,
    FireTexture = 1,
    SmokeTexture = 2,
    BlankTexture = 5,
};

// Loads the file and uploads it under name, or ends the process with status 1.
void loadTexture(const char* fileName, TextureName name);
