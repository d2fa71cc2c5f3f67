// The font the overlay names. Its glyphs come from the browser: the page draws
// the text in its own sans-serif at 18 pixels (glutBitmapCharacter in
// gl_stand_ins.js), so the font is only a name here.
#include <GL/glut.h>

void* glutBitmapHelvetica18 = nullptr;
